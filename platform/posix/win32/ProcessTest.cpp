// Command lines: split by the Windows rules, and handed to children as they
// were given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"

namespace platform::posix {
namespace {

TEST(PosixProcessTest, CommandLinesSplitByTheWindowsRules) {
  struct Case {
    const char* line;
    std::vector<std::string> arguments;
  } const cases[] = {
      {"dxdiag /t Z:\\d\\envInfo.txt", {"dxdiag", "/t", "Z:\\d\\envInfo.txt"}},
      {"\"C:\\Program Files\\a.exe\" x", {"C:\\Program Files\\a.exe", "x"}},
      {"p \"a b\" c", {"p", "a b", "c"}},
      {"p a\\\\\\\"b", {"p", "a\\\"b"}},
      {"p \"a\\\\\" b", {"p", "a\\", "b"}},
      {"p a\\b\\ c", {"p", "a\\b\\", "c"}},
      {"p \"\"", {"p", ""}},
      {"p \"a\"\"b\"", {"p", "a\"b"}},
      {"p   ", {"p"}},
      {"0\"x y", {"0x y"}},  // quotes anywhere in the program name
      {"a\"b c\"d e", {"ab cd", "e"}},
      {" x", {"", "x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.arguments, SplitCommandLine(c.line)) << c.line;
}

TEST(PosixProcessTest, ChildrenGetTheCommandLineAsItWasGiven) {
  struct Case {
    const char* handedOver;  // null: started from a host shell
    std::vector<std::string> argv;
    const char* commandLine;
    const char* arguments;
  } const cases[] = {
      {"dxdiag /t Z:\\a  b\\e.txt",
       {"dxdiag", "/t", "Z:\\a", "b\\e.txt"},
       "dxdiag /t Z:\\a  b\\e.txt",
       "/t Z:\\a  b\\e.txt"},
      {u8"p  Z:\\表", {"p", u8"Z:\\表"}, "p  Z:\\\x95\x5C", "Z:\\\x95\x5C"},
      {"dxdiag /t other", {"dxdiag", "/t", "mine"}, "dxdiag /t mine", "/t mine"},  // an ancestor's line
      {"p a", {"p", "a", "b"}, "p a b", "a b"},
      {nullptr,
       {"p", "a b", "q\"r", "c\\", "", "d\\\\"},
       "p \"a b\" \"q\\\"r\" c\\ \"\" d\\\\",
       "\"a b\" \"q\\\"r\" c\\ \"\" d\\\\"},
      {nullptr, {"/opt/my app/p"}, "\"/opt/my app/p\"", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = c.argv;
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(&argument[0]);
    const std::string line = ProcessCommandLine(c.handedOver, static_cast<int>(argv.size()), pointers.data());
    EXPECT_EQ(c.commandLine, line) << c.commandLine;
    EXPECT_EQ(c.arguments, CommandLineArguments(line)) << c.commandLine;
    std::vector<std::string> split;
    for (const std::string& argument : SplitCommandLine(line)) split.push_back(AnsiToUtf8(argument));
    EXPECT_EQ(c.argv, split) << "the Windows rules give the same arguments back";
  }
}

}  // namespace
}  // namespace platform::posix
