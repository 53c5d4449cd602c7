// UTF-8, the one implementation the stand-in's code page 932 and the reader's
// conversions and checks share: well-formed means the shortest form, no
// surrogate, nothing past U+10FFFF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The length of the well-formed UTF-8 character at the start of `text` (1 to
// 4), with its code point in `character`; 0 when none begins there.
std::size_t DecodeUtf8(std::string_view text, char32_t& character);

// Appends the UTF-8 bytes of a code point (below U+110000, no surrogate).
void AppendUtf8(char32_t character, std::string& text);

}  // namespace platform
