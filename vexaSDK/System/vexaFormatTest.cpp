#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <cwchar>
#include <string>

#include "vexaSDK/Common/vexaException.h"
#include "vexaSDK/System/vexaFormat.h"

namespace vexaSDK {
namespace System {
// Defined beside the replaced global operator new of this test program.
extern int largeAllocations;
extern long allocations;
}  // namespace System
}  // namespace vexaSDK

namespace vexaSDK {
namespace System {
namespace {

TEST(FormatTest, BufferGrowsOnlyPastTheStackBuffer) {
  struct Case {
    int length;
    int allocations;  // buffers of 512, 1024, ... needed on the way
  } const cases[] = {{0, 0}, {255, 0}, {256, 1}, {511, 1}, {512, 2}, {5000, 5}};
  for (const Case& c : cases) {
    std::string output = "old";
    const std::string filler(static_cast<std::size_t>(c.length), 'x');
    output.reserve(8192);  // the result string's own growth is not counted
    largeAllocations = 0;
    FormatText(output, "%s", filler.c_str());
    EXPECT_EQ(c.allocations, largeAllocations) << c.length;
    EXPECT_EQ(filler, output) << c.length;
  }
}

// A text that fits the stack buffer costs the counted pointer's reference
// object and, in the returning form, the result string: nothing else.
TEST(FormatTest, ShortTextsAllocateOnlyTheCountedPointerAndTheResult) {
  const std::string path = "Z:\\home\\yamada\\Desktop\\envInfo.txt";
  const std::string longest(255, 'x');
  std::string output;
  output.reserve(256);
  allocations = 0;
  FormatText(output, "dxdiag /t %s", path.c_str());
  EXPECT_EQ(1, allocations) << "filling a string that has room";
  EXPECT_EQ("dxdiag /t " + path, output);
  allocations = 0;
  const std::string result = FormatText("%s", longest.c_str());
  EXPECT_EQ(2, allocations) << "returning a string past its inline buffer";
  EXPECT_EQ(longest, result);
}

TEST(FormatTest, FormsOfTheSystemsMessages) {
  EXPECT_EQ("dxdiag /t Z:\\d\\envInfo.txt", FormatText("dxdiag /t %s", "Z:\\d\\envInfo.txt"));
  EXPECT_EQ("a.cpp(131)", FormatText("%s(%lu)", "a.cpp", 131ul));
  EXPECT_EQ("0007/08/-9", FormatText("%04ld/%02ld/%02ld", 7L, 8L, -9L));
  const std::string longArgument(3000, 'q');
  EXPECT_EQ("<" + longArgument + ">" + longArgument,
            FormatText("<%s>%s", longArgument.c_str(), longArgument.c_str()));
  EXPECT_EQ("ab", FormatText("ab%cd", 0)) << "a produced zero ends the text";
}

// The local date and time, formatted independently of the code under test.
std::string LocalText(const char* format) {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  std::strftime(text, sizeof text, format, std::localtime(&now));
  return text;
}

TEST(FormatTest, DateTextIsTheLocalDateAndTime) {
  // Taken on both sides of the call, so a tick of the clock in between is no failure.
  const std::string dateBefore = LocalText("%Y/%m/%d"), dateTimeBefore = LocalText("%Y/%m/%d %H:%M:%S");
  const std::string date = GetDateText(false);
  const std::string dateTime = GetDateText(true);
  const std::string dateAfter = LocalText("%Y/%m/%d"), dateTimeAfter = LocalText("%Y/%m/%d %H:%M:%S");
  EXPECT_TRUE(date == dateBefore || date == dateAfter) << date << " " << dateBefore;
  EXPECT_TRUE(dateTime == dateTimeBefore || dateTime == dateTimeAfter) << dateTime << " " << dateTimeBefore;
  EXPECT_EQ(10u, date.size());
  EXPECT_EQ(19u, dateTime.size());
}

TEST(FormatTest, FormatRefusedByTheLibraryFailsAtOnce) {
  // A wide character the "C" locale cannot convert makes the C library give
  // up with a negative count; no larger buffer would help.
  char probe[8];
  if (std::snprintf(probe, sizeof probe, "%ls", L"\x3042") >= 0) {
    GTEST_SKIP() << "this C library converts the character";
  }
  largeAllocations = 0;
  std::string output = "unchanged";
  EXPECT_THROW(FormatText(output, "%ls", L"\x3042"), Common::CNullPointerException);
  EXPECT_EQ("unchanged", output);
  EXPECT_EQ(0, largeAllocations) << "no buffer was grown for a format that can never succeed";
}

}  // namespace
}  // namespace System
}  // namespace vexaSDK
