#include <gtest/gtest.h>

#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/System/vexaProcess.h"

namespace vexaSDK {
namespace System {
namespace {

// Code page 932 characters whose second byte is 0x5C, the backslash.
const char kHyou[] = "\x95\x5C";  // 表
const char kSo[] = "\x83\x5C";    // ソ

// The system's ANSI code page decides what a double-byte character is.
bool AnsiCodePageIs932() { return IsDBCSLeadByte(0x95) != FALSE; }

TEST(PathTest, AddPathSeparatorTurnsAndEndsSeparators) {
  struct Case {
    const char* path;
    char separator;
    const char* expected;
  } const cases[] = {
      {"C:/a/b", '\\', "C:\\a\\b\\"},
      {"C:\\a\\b\\", '\\', "C:\\a\\b\\"},
      {"", '\\', ""},
      {"", '/', ""},
      {"C:\\a", '/', "C:/a/"},
      {"a/b", 'x', "a\\b\\"},
      {"/", '\\', "\\"},
      {"a\\/b//", '/', "a//b//"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, AddPathSeparator(c.path, c.separator)) << c.path << " " << c.separator;
  }
}

TEST(PathTest, AddPathSeparatorKeepsDoubleByteCharacters) {
  if (!AnsiCodePageIs932()) GTEST_SKIP() << "the ANSI code page is not 932";
  const std::string folder = std::string("C:\\") + kHyou;
  EXPECT_EQ(folder + "\\", AddPathSeparator(folder, '\\'));
  // With the slash chosen, the trail bytes stay backslashes.
  EXPECT_EQ(std::string("C:/") + kHyou + "/" + kSo + "/", AddPathSeparator(folder + "\\" + kSo, '/'));
}

TEST(PathTest, ReplaceAllScansLeftToRightWithoutOverlap) {
  EXPECT_EQ("ba", ReplaceAll("aaa", "aa", "b"));
  EXPECT_EQ("a\nb\n", ReplaceAll("a\r\nb\r\n", "\r\n", "\n"));
  EXPECT_EQ("", ReplaceAll("", "a", "b"));
  EXPECT_EQ("abab", ReplaceAll("aa", "a", "ab")) << "replacements are not searched again";
  EXPECT_EQ("abc", ReplaceAll("abc", "", "x")) << "an empty search text finds nothing to replace";
  EXPECT_EQ("", ReplaceAll("", "", "x"));
}

TEST(PathTest, SplittingTable) {
  struct Case {
    const char* path;
    const char* directory;
    const char* fileName;
    const char* withLog;
  } const cases[] = {
      {"C:\\x\\y.exe", "C:\\x\\", "y.exe", "y.log"},
      {"y.exe", "", "y.exe", "y.log"},
      {"C:y.exe", "C:\\", "y.exe", "y.log"},
      {"C:\\x\\y.tar.gz", "C:\\x\\", "y.tar.gz", "y.tar.log"},
      {"C:/x.d/y", "C:\\x.d\\", "y", "y.log"},
      {"\\\\server\\share\\f.txt", "\\\\server\\share\\", "f.txt", "f.log"},
      {"dir\\", "dir\\", "", ".log"},
      {"", "", "", ".log"},
      {".profile", "", ".profile", ".log"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.directory, GetDirectoryName(c.path, '\\')) << c.path;
    EXPECT_EQ(c.fileName, GetFileName(c.path)) << c.path;
    EXPECT_EQ(c.withLog, GetFileNameWithExtension(c.path, "log")) << c.path;
    EXPECT_EQ(c.withLog, GetFileNameWithExtension(c.path, ".log")) << c.path;
  }
  EXPECT_EQ("y.tar", GetFileNameWithExtension("C:\\x\\y.tar.gz", ""));
}

TEST(PathTest, SplittingSkipsTrailBytes) {
  if (!AnsiCodePageIs932()) GTEST_SKIP() << "the ANSI code page is not 932";
  const std::string name = std::string(kSo) + "フト.exe";
  const std::string path = std::string("C:\\") + kHyou + "\\" + name;
  EXPECT_EQ(std::string("C:\\") + kHyou + "\\", GetDirectoryName(path, '\\'));
  EXPECT_EQ(name, GetFileName(path));
  EXPECT_EQ(std::string(kSo) + "フト.log", GetFileNameWithExtension(path, "log"));
}

TEST(PathTest, ModuleFileAndFolder) {
  const std::string path = GetModuleFilePath(nullptr);
  const std::string folder = GetModuleDirectory(nullptr);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(0u, GetFileName(path).find("vexaSDKTest"));
  EXPECT_EQ('\\', folder.back());
  EXPECT_EQ(path, folder + GetFileName(path));
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(DirectoryExists(folder));
}

TEST(PathTest, DesktopFolderIsAnExistingFolderText) {
  const std::string desktop = GetDesktopDirectory('\\');
  if (desktop.empty()) GTEST_SKIP() << "this machine has no desktop folder";
  EXPECT_EQ('\\', desktop.back());
  EXPECT_TRUE(DirectoryExists(desktop));
  EXPECT_EQ('/', GetDesktopDirectory('/').back());
}

}  // namespace
}  // namespace System
}  // namespace vexaSDK
