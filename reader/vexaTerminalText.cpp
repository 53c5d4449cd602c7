// Visible escapes for control characters in terminal output.
#include "reader/vexaTerminalText.h"

#include <cstdio>

#include "platform/CodePage.h"

namespace vexaEnvReader {
std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  char escape[8];
  char32_t character;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
      ++i;
    } else if (c == '\n' || c == '\r' || c == '\t') {
      out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
      ++i;
    } else if (c < 0x80) {
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      out += escape;
      ++i;
    } else if (const std::size_t length = platform::DecodeUtf8(text.substr(i), character)) {
      if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
        out += escape;
      } else {
        out.append(text.data() + i, length);
      }
      i += length;
    } else {
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      out += escape;
      ++i;
    }
  }
  return out;
}

}  // namespace vexaEnvReader
