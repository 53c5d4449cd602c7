// Paths between the program and the host: drive Z: is the host root and
// backslashes are separators, also where one is the second byte of a
// double-byte character. Any ANSI path maps to a host path without
// backslashes or is refused; any host path comes back from its Windows form.
#include "fuzz/FuzzCheck.h"
#include "platform/posix/internal/Posix.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = vexaFuzz::CText(data, size);

  // The text as an ANSI path from the program. A drive is an ASCII character
  // and a colon in the text read as characters: a half-width katakana before
  // a colon is none, a byte that does not convert ('?') is one.
  const std::string characters = platform::posix::AnsiToUtf8(text);
  const bool drive = characters.size() >= 2 && characters[1] == ':';
  std::string host;
  if (platform::posix::ToHostPath(text.c_str(), host)) {
    VEXA_FUZZ_CHECK(!host.empty());
    VEXA_FUZZ_CHECK(host.find('\\') == std::string::npos);
    if (drive) VEXA_FUZZ_CHECK(host[0] == '/');
  } else {
    // Only an empty path and other drives have no place on the host.
    VEXA_FUZZ_CHECK(text.empty() || (drive && characters[0] != 'Z' && characters[0] != 'z'));
  }

  // The text as a host path, when it is one the program can hold: UTF-8
  // that code page 932 carries, without backslashes.
  if (text.find('\\') != std::string::npos ||
      platform::posix::AnsiToUtf8(platform::posix::Utf8ToAnsi(text)) != text) {
    return 0;
  }
  const std::string windows = platform::posix::ToWindowsPath(text);
  if (!text.empty() && text[0] == '/') VEXA_FUZZ_CHECK(windows.compare(0, 3, "Z:\\") == 0);
  std::string back;
  // A relative host path whose first part looks like a drive is the one
  // text that is not a host path on the way back.
  if (!text.empty() && !(text.size() >= 2 && text[1] == ':')) {
    VEXA_FUZZ_CHECK(platform::posix::ToHostPath(windows.c_str(), back));
    VEXA_FUZZ_CHECK(back == text);
  }
  return 0;
}
