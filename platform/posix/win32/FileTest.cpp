// Files and folders by their code page 932 names, as real host files with
// UTF-8 names, and the attributes and errors Windows gives for them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "platform/Win32.h"
#include "platform/posix/testing/HostTesting.h"

namespace platform::posix {
namespace {

const char kHyouUtf8[] = u8"表";
const char kHyouAnsi[] = "\x95\x5C";  // trail byte 0x5C

using TempFolderTest = testkit::CTempFolderTest;

TEST_F(TempFolderTest, JapaneseNamesReachTheHostAsUtf8) {
  const std::string folder = windows_ + "\\" + kHyouAnsi;
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  struct stat info;
  EXPECT_EQ(0, stat((host_ + "/" + kHyouUtf8).c_str(), &info));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA(folder.c_str()));
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());

  const std::string file = folder + "\\a.txt";
  std::ofstream(host_ + "/" + kHyouUtf8 + "/a.txt") << "x";
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA(file.c_str()));
  EXPECT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY),
            GetFileAttributesA(file.c_str()));
  EXPECT_FALSE(DeleteFileA(file.c_str())) << "read-only files are not deleted";
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA(file.c_str()));

  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "\\no\\a.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

}  // namespace
}  // namespace platform::posix
