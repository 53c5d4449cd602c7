// The built-in modules and the program's own file name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/Win32.h"
#include "platform/posix/testing/HostTesting.h"
#include "platform/posix/testing/StandIn.h"

namespace platform::posix {
namespace {

const char kHyouUtf8[] = u8"表";
const char kHyouAnsi[] = "\x95\x5C";  // trail byte 0x5C

using TempFolderTest = testkit::CTempFolderTest;

TEST_F(TempFolderTest, ImagehlpCreatesFoldersWithoutSplittingCharacters) {
  HMODULE imagehlp = LoadLibraryA("imagehlp");  // case and ".dll" as Windows allows
  ASSERT_NE(nullptr, imagehlp);
  typedef BOOL(WINAPI * MakeSure)(PCSTR);
  const MakeSure makeSure = reinterpret_cast<MakeSure>(
      reinterpret_cast<void (*)()>(GetProcAddress(imagehlp, "MakeSureDirectoryPathExists")));
  ASSERT_NE(nullptr, makeSure);
  const std::string path = windows_ + "\\" + kHyouAnsi + "\\sub\\file";
  EXPECT_TRUE(makeSure(path.c_str()));
  struct stat info;
  EXPECT_EQ(0, stat((host_ + "/" + kHyouUtf8 + "/sub").c_str(), &info));
  EXPECT_NE(0, stat((host_ + "/" + kHyouUtf8 + "/sub/file").c_str(), &info));
  EXPECT_EQ(nullptr, GetProcAddress(imagehlp, "NoSuchExport"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
  EXPECT_TRUE(FreeLibrary(imagehlp));
  EXPECT_EQ(nullptr, LoadLibraryA("d3dx8.dll"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST(PosixModuleTest, ModuleFileNameTruncatesLikeWindows) {
  char full[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, full, MAX_PATH);
  ASSERT_GT(length, 4u);
  EXPECT_EQ(0, std::strncmp(full, "Z:\\", 3));
  char small[5];
  SetLastError(0);
  EXPECT_EQ(5u, GetModuleFileNameA(nullptr, small, sizeof small));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(std::string(full, 4), small);
}

// Modules put in place of the built-in ones unload what was loaded before,
// even when the new table is the same as the last.
TEST(PosixModuleTest, ReplacedModulesUnloadTheLoadedOnes) {
  static const BuiltinModule kEmpty[] = {{"IMAGEHLP.dll", nullptr, 0}};
  for (const BuiltinModule* table : {static_cast<const BuiltinModule*>(nullptr), kEmpty}) {
    HMODULE loaded = LoadLibraryA("IMAGEHLP.dll");
    ASSERT_NE(nullptr, loaded);
    SetBuiltinModules(table, table != nullptr ? 1 : 0);
    EXPECT_FALSE(FreeLibrary(loaded)) << "gone with its table";
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    SetBuiltinModules(nullptr, 0);
  }
}

}  // namespace
}  // namespace platform::posix
