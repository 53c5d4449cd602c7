// Code page 932 at the boundary with the UTF-8 host, both ways, for any bytes:
// what comes out is well formed, no blank, digit, quote, colon or other byte
// below 0x40 (which is never part of a double-byte character) is lost to a
// character that does not convert, and a text that came from code page 932
// goes there and back unchanged, and so does host text.
#include <algorithm>

#include "fuzz/FuzzCheck.h"
#include "platform/posix/internal/Posix.h"

namespace {

// Every lead byte of code page 932 is followed by a trail byte.
bool IsWellFormedAnsi(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsDBCSLeadByte(static_cast<BYTE>(text[i]))) continue;
    if (++i == text.size()) return false;
    const unsigned char trail = static_cast<unsigned char>(text[i]);
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
  }
  return true;
}

// The bytes below 0x40 in their order, but for '?', which also stands for
// what does not convert.
std::string LowBytes(const std::string& text) {
  std::string low;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x40 && c != '?') low += c;
  }
  return low;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = vexaFuzz::Text(data, size);

  // The bytes as code page 932 text, from a driver or the program.
  const std::string utf8 = platform::posix::AnsiToUtf8(bytes);
  VEXA_FUZZ_CHECK(vexaFuzz::IsUtf8(utf8));
  VEXA_FUZZ_CHECK(LowBytes(utf8) == LowBytes(bytes));
  const std::string ansi = platform::posix::Utf8ToAnsi(utf8);
  VEXA_FUZZ_CHECK(IsWellFormedAnsi(ansi));
  VEXA_FUZZ_CHECK(platform::posix::AnsiToUtf8(ansi) == utf8);

  // The bytes as UTF-8 text from the host: a file name, a terminal answer.
  const std::string fromHost = platform::posix::Utf8ToAnsi(bytes);
  VEXA_FUZZ_CHECK(IsWellFormedAnsi(fromHost));
  VEXA_FUZZ_CHECK(LowBytes(fromHost) == LowBytes(bytes));
  VEXA_FUZZ_CHECK(vexaFuzz::IsUtf8(platform::posix::AnsiToUtf8(fromHost)));
  // Host text comes back unchanged while the user-defined area has codes left.
  const auto marks = [](const std::string& text) { return std::count(text.begin(), text.end(), '?'); };
  if (vexaFuzz::IsUtf8(bytes) && marks(fromHost) == marks(bytes)) {
    VEXA_FUZZ_CHECK(platform::posix::AnsiToUtf8(fromHost) == bytes);
  }
  return 0;
}
