// Code page 932 at the boundary with a UTF-8 host, and its lead bytes.
#include "platform/CodePage.h"
#include <iconv.h>

#include <cerrno>

#include "platform/posix/internal/Posix.h"

namespace platform_posix {
namespace {

bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Converts with iconv; a byte sequence that does not convert becomes '?' and
// the conversion goes on behind it.
std::string Convert(const char* to, const char* from, std::string_view input, bool fromAnsi) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string output;
  output.reserve(input.size() * 3 / 2 + 4);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buffer[256];
  while (inLeft > 0) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    output.append(buffer, out);
    if (result != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: replace one character.
    output.push_back('?');
    size_t skip = 1;
    const unsigned char lead = static_cast<unsigned char>(*in);
    if (fromAnsi) {
      // A lead byte takes the next byte with it only when that can be its
      // trail byte: a blank, quote or colon after a stray lead byte stays.
      if (IsDBCSLeadByte(lead) && inLeft >= 2 && IsTrailByte(static_cast<unsigned char>(in[1]))) skip = 2;
    } else if (lead >= 0xC0) {
      while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
    }
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return output;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  if (IsAscii(ansi)) return std::string(ansi);
  return Convert("UTF-8", "CP932", ansi, true);
}

std::string Utf8ToAnsi(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Convert("CP932", "UTF-8", utf8, false);
}

}  // namespace platform_posix

BOOL WINAPI IsDBCSLeadByte(BYTE testChar) {
  return (testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC);
}

namespace platform {

// The host's ANSI code page is 932 already.
std::string Cp932ToUtf8(std::string_view cp932) { return platform_posix::AnsiToUtf8(cp932); }

std::string Utf8ToCp932(std::string_view utf8) { return platform_posix::Utf8ToAnsi(utf8); }

}  // namespace platform
