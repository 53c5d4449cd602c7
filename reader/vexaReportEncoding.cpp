// The code pages of a report: names, the conversions through the generated
// tables, and the choice of code page from the detector's charset name.
#include "reader/vexaReportEncoding.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"
#include "reader/internal/vexaCodePageTable.h"

namespace vexaEnvReader {
namespace {

using internal::CodePageTable;

const CodePageTable* TableOf(unsigned codePage) {
  for (std::size_t i = 0; i < internal::kCodePageTableCount; ++i) {
    if (internal::kCodePageTables[i].codePage == codePage) return &internal::kCodePageTables[i];
  }
  return nullptr;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The next character of UTF-8 text, moving `i` past it; U+FFFD for a byte
// that does not begin a well-formed one (it alone is taken).
char32_t NextUtf8(std::string_view text, std::size_t& i) {
  char32_t character;
  const std::size_t length = platform::DecodeUtf8(text.substr(i), character);
  i += length != 0 ? length : 1;
  return length != 0 ? character : 0xFFFD;
}

// Each character's bytes in one code page; the single byte where there is
// one, else the first pair in byte order.
using Reverse = std::unordered_map<char16_t, unsigned>;

Reverse BuildReverse(const CodePageTable& table) {
  Reverse reverse;
  for (unsigned b = 0x80; b < 0x100; ++b) {
    const char16_t code = table.single[b - 0x80];
    if (code != 0 && code != 0xFFFD) reverse.emplace(code, b);
  }
  if (table.pairs == nullptr) return reverse;
  for (unsigned lead = internal::kFirstLead; lead < 0xFF; ++lead) {
    for (unsigned t = 0; t < internal::kTrailCount; ++t) {
      const char16_t code = table.pairs[(lead - internal::kFirstLead) * internal::kTrailCount + t];
      if (code != 0) reverse.emplace(code, (lead << 8) | (t + internal::kFirstTrail));
    }
  }
  return reverse;
}

const Reverse& ReverseOf(const CodePageTable& table) {
  static const std::vector<Reverse> all = [] {
    std::vector<Reverse> tables;
    for (std::size_t i = 0; i < internal::kCodePageTableCount; ++i) {
      tables.push_back(BuildReverse(internal::kCodePageTables[i]));
    }
    return tables;
  }();
  return all[static_cast<std::size_t>(&table - internal::kCodePageTables)];
}

}  // namespace

bool ParseEncodingName(std::string_view name, GivenEncoding& given) {
  std::string text = Lower(name);
  text.erase(std::remove(text.begin(), text.end(), '_'), text.end());
  text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
  static const std::map<std::string, unsigned> aliases = {
      {"shiftjis", 932}, {"sjis", 932},      {"windows31j", 932}, {"gbk", 936},
      {"gb2312", 936},   {"gb18030", 936},   {"euckr", 949},      {"uhc", 949},
      {"big5", 950},     {"latin1", 1252},   {"iso88591", 1252},  {"iso885915", 1252},
      {"tis620", 874},   {"iso88592", 1250}, {"iso88597", 1253},  {"iso88599", 1254}};
  if (text == "utf8" || text == "cp65001" || text == "65001") {
    given = {Encoding::kUtf8, kUtf8CodePage, false};
    return true;
  }
  if (text == "utf16" || text == "utf16le" || text == "utf16be" || text == "unicode") {
    given = {Encoding::kUtf16, kUtf8CodePage, text == "utf16be"};
    return true;
  }
  unsigned codePage = 0;
  const auto alias = aliases.find(text);
  if (alias != aliases.end()) {
    codePage = alias->second;
  } else {
    std::string digits = text;
    for (const char* prefix : {"windows", "cp", "ms"}) {
      if (digits.compare(0, std::char_traits<char>::length(prefix), prefix) == 0) {
        digits = digits.substr(std::char_traits<char>::length(prefix));
        break;
      }
    }
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    codePage = static_cast<unsigned>(std::stoul(digits));
  }
  if (TableOf(codePage) == nullptr) return false;
  given = {codePage == 932 ? Encoding::kCp932 : Encoding::kAnsi, codePage, false};
  return true;
}

std::string EncodingName(Encoding encoding, unsigned codePage) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "utf-8";
    case Encoding::kUtf8WithBom:
      return "utf-8-bom";
    case Encoding::kUtf16:
      return "utf-16";
    case Encoding::kCp932:
    case Encoding::kAnsi:
      break;
  }
  return "cp" + std::to_string(codePage);
}

bool KnownCodePage(unsigned codePage) { return codePage == kUtf8CodePage || TableOf(codePage) != nullptr; }

std::string AnsiToUtf8(unsigned codePage, std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  const CodePageTable* table = TableOf(codePage);
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      // Runs of ASCII, most of any report, in one go.
      std::size_t end = i + 1;
      while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
      out.append(bytes.data() + i, end - i);
      i = end;
      continue;
    }
    if (table == nullptr) {
      platform::AppendUtf8(NextUtf8(bytes, i), out);
      continue;
    }
    const char16_t code = table->single[c - 0x80];
    if (code != 0) {
      platform::AppendUtf8(code, out);
      ++i;
      continue;
    }
    // A lead byte: its pair when the trail is one, else the lead alone is no
    // character and the next byte is read afresh.
    const unsigned trail = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    if (trail < internal::kFirstTrail || trail == 0xFF) {
      platform::AppendUtf8(0xFFFD, out);
      ++i;
      continue;
    }
    const char16_t pair =
        table->pairs[(c - internal::kFirstLead) * internal::kTrailCount + trail - internal::kFirstTrail];
    platform::AppendUtf8(pair != 0 ? pair : 0xFFFD, out);
    i += 2;
  }
  return out;
}

bool Utf8ToAnsi(unsigned codePage, std::string_view utf8, std::string& bytes) {
  bytes.clear();
  if (codePage == kUtf8CodePage) {
    bytes.assign(utf8);
    return AnsiToUtf8(kUtf8CodePage, utf8) == utf8;
  }
  const CodePageTable* table = TableOf(codePage);
  if (table == nullptr) return false;
  const Reverse& reverse = ReverseOf(*table);
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t code = NextUtf8(utf8, i);
    if (code < 0x80) {
      bytes += static_cast<char>(code);
      continue;
    }
    const auto found = code < 0x10000 ? reverse.find(static_cast<char16_t>(code)) : reverse.end();
    if (found == reverse.end()) return false;
    if (found->second > 0xFF) bytes += static_cast<char>(found->second >> 8);
    bytes += static_cast<char>(found->second & 0xFF);
  }
  // U+FFFD stands for bytes that were none: it has no bytes of its own.
  return AnsiToUtf8(codePage, bytes) == utf8;
}

unsigned CodePageOfCharset(std::string_view charset) {
  static const std::map<std::string, unsigned> codePages = {
      {"iso-8859-1", 1252},   {"iso-8859-15", 1252},  {"windows-1252", 1252}, {"shift_jis", 932},
      {"gb18030", 936},       {"gb2312", 936},        {"gbk", 936},           {"hz-gb-2312", 936},
      {"euc-kr", 949},        {"uhc", 949},           {"big5", 950},          {"euc-tw", 950},
      {"iso-8859-2", 1250},   {"windows-1250", 1250}, {"windows-1251", 1251}, {"iso-8859-5", 1251},
      {"ibm866", 1251},       {"koi8-r", 1251},       {"mac-cyrillic", 1251}, {"iso-8859-7", 1253},
      {"windows-1253", 1253}, {"iso-8859-9", 1254},   {"windows-1254", 1254}, {"iso-8859-8", 1255},
      {"windows-1255", 1255}, {"windows-1256", 1256}, {"iso-8859-6", 1256},   {"iso-8859-13", 1257},
      {"windows-1257", 1257}, {"iso-8859-4", 1257},   {"windows-1258", 1258}, {"tis-620", 874},
      {"iso-8859-11", 874}};
  const auto found = codePages.find(Lower(charset));
  return found != codePages.end() ? found->second : 0;
}

namespace {

// Whether the bytes read as Japanese in code page 932: every byte above
// ASCII part of a character the code page defines (its user-defined rows
// aside), the characters of two bytes mostly of the rows of kana and the
// common kanji (leads 0x81 to 0x9F, where Western code pages have rare
// punctuation), and half-width katakana, when there is nothing else, in runs
// (a Western capital such as "Ü" stands alone among ASCII letters).
bool LooksJapanese(std::string_view bytes) {
  const CodePageTable& table = *TableOf(932);
  std::size_t pairs = 0, commonPairs = 0, kanaRun = 0;
  bool loneKana = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const bool kana = c >= 0xA1 && c <= 0xDF;
    if (!kana) {
      loneKana = loneKana || kanaRun == 1;
      kanaRun = 0;
    }
    if (c < 0x80) continue;
    if (kana) {
      ++kanaRun;
      continue;
    }
    if (table.single[c - 0x80] != 0 || i + 1 == bytes.size()) return false;
    const unsigned trail = static_cast<unsigned char>(bytes[++i]);
    if (trail < internal::kFirstTrail || trail == 0xFF || (c >= 0xF0 && c <= 0xF9) ||
        table.pairs[(c - internal::kFirstLead) * internal::kTrailCount + trail - internal::kFirstTrail] ==
            0) {
      return false;
    }
    ++pairs;
    commonPairs += c <= 0x9F;
  }
  loneKana = loneKana || kanaRun == 1;
  return pairs != 0 ? commonPairs * 2 >= pairs : !loneKana;
}

}  // namespace

unsigned DetectAnsiCodePage(std::string_view bytes) {
  const unsigned codePage = CodePageOfCharset(DetectCharset(bytes));
  // A few Japanese words in a report of ASCII are too little for the
  // detector, which then names a Western code page; Japanese is what the
  // reader has always assumed, and is kept where the bytes allow it.
  if ((codePage == 0 || codePage == 1252 || codePage == 1250 || codePage == 1251 || codePage == 1253 ||
       codePage == 1254 || codePage == 1255 || codePage == 1256 || codePage == 1257 || codePage == 1258 ||
       codePage == 874) &&
      LooksJapanese(bytes)) {
    return 932;
  }
  // A few Western letters or signs ("®" alone) leave the detector guessing
  // among code pages that give them all the same: 1252, by far the most
  // common, is named then.
  if (codePage != 0 && codePage != 1252 && TableOf(codePage)->pairs == nullptr) {
    const CodePageTable& western = *TableOf(1252);
    const CodePageTable& detected = *TableOf(codePage);
    bool same = true;
    for (std::size_t i = 0; i < bytes.size() && same; ++i) {
      const unsigned char c = static_cast<unsigned char>(bytes[i]);
      same = c < 0x80 || western.single[c - 0x80] == detected.single[c - 0x80];
    }
    if (same) return 1252;
  }
  return codePage != 0 ? codePage : kDefaultCodePage;
}

}  // namespace vexaEnvReader
