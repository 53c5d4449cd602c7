#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "vexaSDK/System/vexaFormat.h"

namespace vexaSDK {
namespace System {
// Defined beside the replaced global operator new of this test program.
extern int largeAllocations;
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

TEST(FormatTest, FormsOfTheSystemsMessages) {
  EXPECT_EQ("dxdiag /t Z:\\d\\envInfo.txt", FormatText("dxdiag /t %s", "Z:\\d\\envInfo.txt"));
  EXPECT_EQ("a.cpp(131)", FormatText("%s(%lu)", "a.cpp", 131ul));
  EXPECT_EQ("0007/08/-9", FormatText("%04ld/%02ld/%02ld", 7L, 8L, -9L));
  const std::string longArgument(3000, 'q');
  EXPECT_EQ("<" + longArgument + ">" + longArgument,
            FormatText("<%s>%s", longArgument.c_str(), longArgument.c_str()));
  EXPECT_EQ("ab", FormatText("ab%cd", 0)) << "a produced zero ends the text";
}

TEST(FormatTest, DateTextShapes) {
  const std::string date = GetDateText(false);
  const std::string dateTime = GetDateText(true);
  EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d{4}/\d{2}/\d{2})"))) << date;
  EXPECT_TRUE(std::regex_match(dateTime, std::regex(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2})"))) << dateTime;
}

}  // namespace
}  // namespace System
}  // namespace vexaSDK
