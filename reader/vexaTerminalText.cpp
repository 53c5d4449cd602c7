// Visible escapes for control characters in terminal output.
#include "reader/vexaTerminalText.h"

#include <cstdio>

namespace vexaEnvReader {
namespace {

// The length of the well-formed UTF-8 sequence at `i`; 0 when there is none.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t extra;
  unsigned long min;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - i <= extra) return 0;
  unsigned long code = c & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    const unsigned char t = static_cast<unsigned char>(text[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    code = (code << 6) | (t & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return extra + 1;
}

}  // namespace

std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  char escape[8];
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
    } else if (const std::size_t length = SequenceLength(text, i)) {
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
