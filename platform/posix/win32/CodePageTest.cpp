// Code page 932 and UTF-8 at the host boundary: the round trip, the
// replacement of what cannot be read, and the user-defined area that carries
// host names code page 932 lacks.
#include <gtest/gtest.h>

#include <string>

#include "platform/Win32.h"
#include "platform/posix/internal/Posix.h"

namespace platform::posix {
namespace {

const char kHyouUtf8[] = u8"表";
const char kHyouAnsi[] = "\x95\x5C";  // trail byte 0x5C
const char kDesktopUtf8[] = u8"デスクトップ";

TEST(PosixPathTest, CodePage932RoundTripAndReplacement) {
  EXPECT_EQ(kHyouUtf8, AnsiToUtf8(kHyouAnsi));
  EXPECT_EQ(kHyouAnsi, Utf8ToAnsi(kHyouUtf8));
  EXPECT_EQ(std::string("a") + kHyouUtf8 + "b", AnsiToUtf8(std::string("a") + kHyouAnsi + "b"));
  EXPECT_EQ("\x83\x66\x83\x58\x83\x4E\x83\x67\x83\x62\x83\x76", Utf8ToAnsi(kDesktopUtf8));
  EXPECT_EQ("\\~", AnsiToUtf8("\\~")) << "0x5C and 0x7E stay ASCII";
  EXPECT_EQ("a?b", AnsiToUtf8("a\xA0"
                              "b"));
  EXPECT_EQ("a?b", AnsiToUtf8("a\x85\x40"
                              "b"))
      << "an unassigned double-byte code is one character";
  EXPECT_EQ("?\" ?:x", AnsiToUtf8("\x81\" \x81:x")) << "a stray lead byte leaves what cannot be its trail";
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_TRUE(IsDBCSLeadByte(0xFC));
  EXPECT_FALSE(IsDBCSLeadByte(0xA0));
  EXPECT_FALSE(IsDBCSLeadByte(0x5C));
}

// Host names that code page 932 lacks, or would turn into another character
// ('¥' into the separator '\\'), take codes of its user-defined area, whose
// bytes never look like ASCII, and come back unchanged; the area's own codes
// in the program's text keep their place too.
TEST(PosixPathTest, NamesOutsideCodePage932SurviveTheRoundTrip) {
  for (const char* name :
       {u8"Masaüstü", u8"Työpöytä", u8"Área de trabalho", u8"a¥b\u301C", u8"a😀b", u8"\uE000 \uE757"}) {
    const std::string ansi = Utf8ToAnsi(name);
    EXPECT_EQ(std::string::npos, ansi.find_first_of("?\\")) << name;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
      const unsigned char byte = static_cast<unsigned char>(ansi[i]);
      if (byte < 0x80) continue;
      ASSERT_LT(i + 1, ansi.size()) << name;
      EXPECT_TRUE(byte >= 0xF0 && byte <= 0xF9) << name;
      EXPECT_GE(static_cast<unsigned char>(ansi[++i]), 0x80) << name;
    }
    EXPECT_EQ(name, AnsiToUtf8(ansi));
  }
  for (const char* code : {"\xF0\x41", "\xF5\x80"}) EXPECT_EQ(code, Utf8ToAnsi(AnsiToUtf8(code)));
  // Text for files keeps no code that only this process knows.
  const char* const forFile = u8"Masaüstü a¥b\u301C 表";
  EXPECT_EQ(std::string("Masa?st? a?b? ") + kHyouAnsi, Utf8ToAnsiLossy(forFile));
}

}  // namespace
}  // namespace platform::posix
