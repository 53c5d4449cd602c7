// The text encodings of a report: the names the desk may give, the Windows
// ANSI code pages and their conversion to UTF-8 and back (the same tables on
// every platform), and the detection of the code page a report was written in.
#pragma once

#include <string>
#include <string_view>

namespace vexaEnvReader {

// How the file's bytes were read. kAnsi is any ANSI code page but 932, which
// keeps its own value as the reader's first and most common case.
enum class Encoding { kCp932, kUtf8, kUtf8WithBom, kUtf16, kAnsi };

// Stands for UTF-8 where a code page is asked for, as on Windows.
const unsigned kUtf8CodePage = 65001;
// What a report in ASCII alone, or one nothing can be told of, is read as.
const unsigned kDefaultCodePage = 932;

struct GivenEncoding {
  Encoding encoding = Encoding::kCp932;
  unsigned codePage = kDefaultCodePage;
  bool bigEndian = false;  // UTF-16
};

// "cp1252", "1252", "windows-1252", "shift_jis", "utf-8", "utf-16le"...,
// any case; false for a name the reader has no table for.
bool ParseEncodingName(std::string_view name, GivenEncoding& given);

// "cp932", "cp1252", "utf-8", "utf-8-bom", "utf-16".
std::string EncodingName(Encoding encoding, unsigned codePage);

// Whether the reader has a table for the code page (65001 included).
bool KnownCodePage(unsigned codePage);

// Bytes of a known code page as UTF-8; a byte or pair that is no character
// becomes U+FFFD. Code page 65001 keeps the text, with U+FFFD for every
// byte that is not well-formed UTF-8.
std::string AnsiToUtf8(unsigned codePage, std::string_view bytes);

// The bytes of the code page that give `utf8` back exactly; false when a
// character has none.
bool Utf8ToAnsi(unsigned codePage, std::string_view utf8, std::string& bytes);

// The Windows code page of a detector's charset name (ISO-8859-1 and
// WINDOWS-1252 are 1252, SHIFT_JIS 932, ...); 0 for a name that is none.
unsigned CodePageOfCharset(std::string_view charset);

// The ANSI code page the report was most likely written in, judged over all
// of it; kDefaultCodePage when the bytes do not tell.
unsigned DetectAnsiCodePage(std::string_view bytes);

// The detector's own name for the bytes' charset ("ISO-8859-1",
// "SHIFT_JIS"...), empty when it cannot tell.
std::string DetectCharset(std::string_view bytes);

}  // namespace vexaEnvReader
