// Windows paths and the host's: drive Z: is the host root, and a code page
// 932 trail byte 0x5C is no separator.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/internal/Posix.h"

namespace platform::posix {
namespace {

const char kHyouUtf8[] = u8"表";
const char kHyouAnsi[] = "\x95\x5C";  // trail byte 0x5C

TEST(PosixPathTest, WindowsPathsMapToHostPaths) {
  struct Case {
    const char* windows;
    const char* host;
  } const cases[] = {
      {"Z:\\home\\u\\a.txt", "/home/u/a.txt"},
      {"z:/home/u", "/home/u"},
      {"Z:", "/"},
      {"Z:\\", "/"},
      {"\\home\\u", "/home/u"},
      {"log\\a.log", "log/a.log"},
      {"a", "a"},
  };
  for (const Case& c : cases) {
    std::string host;
    ASSERT_TRUE(ToHostPath(c.windows, host)) << c.windows;
    EXPECT_EQ(c.host, host) << c.windows;
  }
  std::string host = "unchanged";
  SetLastError(0);
  EXPECT_FALSE(ToHostPath("C:\\Windows", host));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_FALSE(ToHostPath("", host));

  EXPECT_EQ("Z:\\home\\u\\Desktop", ToWindowsPath("/home/u/Desktop"));
  EXPECT_EQ("a\\b", ToWindowsPath("a/b"));
  std::string mapped;
  ASSERT_TRUE(ToHostPath((std::string("Z:\\") + kHyouAnsi + "\\x").c_str(), mapped));
  EXPECT_EQ(std::string("/") + kHyouUtf8 + "/x", mapped) << "a trail byte 0x5C is no separator";
}

}  // namespace
}  // namespace platform::posix
