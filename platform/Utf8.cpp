// UTF-8 on every platform: the same bytes are well-formed, and the same code
// points come out, for the stand-in and for the reader on both systems.
#include "platform/CodePage.h"

namespace platform {

std::size_t DecodeUtf8(std::string_view text, char32_t& character) {
  if (text.empty()) return 0;
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  std::size_t length;
  if (lead < 0x80) {
    character = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    character = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    character = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    character = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    character = character << 6 | (next & 0x3F);
  }
  const bool overlong = (length == 3 && character < 0x800) || (length == 4 && character < 0x10000);
  if (overlong || (character >= 0xD800 && character <= 0xDFFF) || character > 0x10FFFF) return 0;
  return length;
}

void AppendUtf8(char32_t character, std::string& text) {
  if (character < 0x80) {
    text += static_cast<char>(character);
    return;
  }
  if (character < 0x800) {
    text += static_cast<char>(0xC0 | character >> 6);
  } else {
    if (character < 0x10000) {
      text += static_cast<char>(0xE0 | character >> 12);
    } else {
      text += static_cast<char>(0xF0 | character >> 18);
      text += static_cast<char>(0x80 | (character >> 12 & 0x3F));
    }
    text += static_cast<char>(0x80 | (character >> 6 & 0x3F));
  }
  text += static_cast<char>(0x80 | (character & 0x3F));
}

}  // namespace platform
