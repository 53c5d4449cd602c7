// What counts as well-formed UTF-8, and the bytes a code point becomes: the
// same on every platform, since reports are checked and converted with it.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"

namespace {

TEST(Utf8Test, WellFormedSequencesAndTheirCodePoints) {
  const struct {
    const char* bytes;
    std::size_t length;  // 0: not well-formed
    char32_t character;
  } cases[] = {
      {"A", 1, U'A'},
      {"\xC2\x80", 2, 0x80},             // the first two-byte one
      {"\xC1\xBF", 0, 0},                // overlong "?"
      {"\xE3\x81\x82x", 3, 0x3042},      // a Japanese character, the next left alone
      {"\xE0\x9F\xBF", 0, 0},            // overlong three-byte form
      {"\xED\xA0\x80", 0, 0},            // a surrogate
      {"\xF0\x9F\x98\x80", 4, 0x1F600},  // past the basic plane
      {"\xF4\x90\x80\x80", 0, 0},        // past U+10FFFF
      {"\xE3\x81", 0, 0},                // cut short
      {"\xE3\x41\x82", 0, 0},            // a trail byte missing
      {"\x80", 0, 0},                    // a trail byte alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    char32_t character = 0;
    EXPECT_EQ(c.length, platform::DecodeUtf8(c.bytes, character));
    if (c.length == 0) continue;
    EXPECT_EQ(c.character, character);
    std::string encoded;
    platform::AppendUtf8(character, encoded);
    EXPECT_EQ(std::string(c.bytes, c.length), encoded);
  }
}

}  // namespace
