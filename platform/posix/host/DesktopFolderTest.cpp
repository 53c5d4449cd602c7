// The desktop folder: where the XDG user-dirs file puts it, and what the
// shell's special-folder calls hand the program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>

#include "platform/Win32.h"
#include "platform/posix/internal/DesktopFolder.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/testing/HostTesting.h"

namespace platform::posix {
namespace {

const char kDesktopUtf8[] = u8"デスクトップ";

using TempFolderTest = testkit::CTempFolderTest;

TEST_F(TempFolderTest, DesktopIsTheXdgDesktopFolder) {
  // Restored however the test ends, so no later test sees this home.
  const testkit::CScopedVariable home("HOME", host_.c_str());
  const testkit::CScopedVariable config("XDG_CONFIG_HOME", (host_ + "/config").c_str());
  ASSERT_EQ(0, mkdir((host_ + "/config").c_str(), 0700));

  auto desktop = [](std::string& path) {
    LPITEMIDLIST list = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list);
    if (FAILED(hr)) return hr;
    char buffer[MAX_PATH];
    EXPECT_TRUE(SHGetPathFromIDListA(list, buffer));
    path = buffer;
    IMalloc* allocator = nullptr;
    EXPECT_EQ(S_OK, SHGetMalloc(&allocator));
    allocator->Free(list);
    allocator->Release();
    return hr;
  };
  std::string path;
  EXPECT_TRUE(FAILED(desktop(path))) << "no Desktop folder yet";
  ASSERT_EQ(0, mkdir((host_ + "/Desktop").c_str(), 0700));
  EXPECT_EQ(S_OK, desktop(path));
  EXPECT_EQ(windows_ + "\\Desktop", path);

  std::ofstream(host_ + "/config/user-dirs.dirs")
      << "# comment\nXDG_DESKTOP_DIR=\"$HOME/" << kDesktopUtf8 << "\"\n";
  ASSERT_EQ(0, mkdir((host_ + "/" + kDesktopUtf8).c_str(), 0700));
  EXPECT_EQ(S_OK, desktop(path));
  EXPECT_EQ(windows_ + "\\" + Utf8ToAnsi(kDesktopUtf8), path);

  // Two blanks in a row are part of the name, not one separator.
  std::ofstream(host_ + "/config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/a  b\"\n";
  ASSERT_EQ(0, mkdir((host_ + "/a  b").c_str(), 0700));
  EXPECT_EQ(S_OK, desktop(path));
  EXPECT_EQ(windows_ + "\\a  b", path);
}

// user-dirs.dirs read as the desktop's file managers read it: the value as
// written between its quotes, blanks and all.
TEST(DesktopFolderTest, UserDirsAreReadAsTheFileManagersReadThem) {
  const std::string home = "/h";
  struct Case {
    const char* file;
    std::string expected;
  } const cases[] = {
      {"XDG_DESKTOP_DIR=\"$HOME/a  b\"\n", "/h/a  b"},
      {u8"XDG_DESKTOP_DIR=\"$HOME/デスク トップ  二重\"\n", u8"/h/デスク トップ  二重"},
      {"XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=\"$HOME/B\"\n", "/h/B"},
      {"# comment\n  XDG_DESKTOP_DIR = \"/srv/d\"  # note\n", "/srv/d"},
      {"XDG_DESKTOP_DIR=\"$HOME/q\\\"d\\\\e\"\n", "/h/q\"d\\e"},
      {"XDG_DESKTOP_DIR=\"$HOME/\"\n", "/h"},
      {"XDG_DESKTOP_DIR=\"$HOME\"\n", "/h"},
      {"XDG_DESKTOP_DIR=\"$HOME/d/\"\n", "/h/d"},
      {"XDG_DESKTOP_DIR=\"$HOME/d\"\r\n", "/h/d"},
      {"XDG_DESKTOP_DIR=\"$HOME/open\n", "/h/open"},
      // What they ignore leaves the last valid line, else ~/Desktop.
      {"XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=\"Desk\"\n", "/h/A"},
      {"XDG_DESKTOP_DIR=$HOME/a\n", "/h/Desktop"},
      {"XDG_DESKTOP_DIR=\"$HOMEX/a\"\n", "/h/Desktop"},
      {"XDG_DESKTOP_DIR=\"${HOME}/a\"\n", "/h/Desktop"},
      {"XDG_DESKTOP_DIR=\"\"\n", "/h/Desktop"},
      {"XDG_DESKTOP_DIRS=\"/x\"\nXDG_DOWNLOAD_DIR=\"/y\"\n", "/h/Desktop"},
      {"", "/h/Desktop"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, DesktopDirectoryFrom(c.file, home)) << c.file;
}

// The file is $XDG_CONFIG_HOME's, else the home folder's .config one.
TEST_F(TempFolderTest, UserDirsFileIsTheConfigFoldersOne) {
  const testkit::CScopedVariable home("HOME", host_.c_str());
  ASSERT_EQ(0, mkdir((host_ + "/.config").c_str(), 0700));
  ASSERT_EQ(0, mkdir((host_ + "/config").c_str(), 0700));
  std::ofstream(host_ + "/.config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/dot\"\n";
  std::ofstream(host_ + "/config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/set\"\n";
  for (const char* config : {"", "config"}) {
    const testkit::CScopedVariable variable("XDG_CONFIG_HOME", *config ? (host_ + "/" + config).c_str() : "");
    EXPECT_EQ(host_ + (*config ? "/set" : "/dot"), DesktopDirectory()) << config;
  }
}

// A user-dirs file that cannot be read as one (a folder of that name) is
// no file: the home folder's Desktop, and no exception out of the
// shell's calls.
TEST_F(TempFolderTest, UserDirsFileThatCannotBeReadIsIgnored) {
  const testkit::CScopedVariable home("HOME", host_.c_str());
  const testkit::CScopedVariable config("XDG_CONFIG_HOME", (host_ + "/config").c_str());
  ASSERT_EQ(0, mkdir((host_ + "/config").c_str(), 0700));
  ASSERT_EQ(0, mkdir((host_ + "/config/user-dirs.dirs").c_str(), 0700));
  std::string folder;
  EXPECT_NO_THROW(folder = DesktopDirectory());
  EXPECT_EQ(host_ + "/Desktop", folder);
}

}  // namespace
}  // namespace platform::posix
