// The program's code page 932 texts handed to the shell through the wide
// function, as on a Windows whose own code page is another: the program
// started gets its parameters and its folder each as given.
#include <gtest/gtest.h>

#include <string>

#include "platform/Win32.h"
#include "platform/windows/internal/WideShell.h"

namespace {

// A fresh folder named "表" plus a number, as its wide name and as the
// program's code page 932 path; both empty when it cannot be made.
struct JapaneseFolder {
  std::wstring wide;
  std::string cp932;
};

JapaneseFolder MakeJapaneseFolder() {
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return {};
  for (const char* c = temp; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) >= 0x80) return {};  // read the same in every code page
  }
  // Process ids come round again under Wine; a folder left by a run that
  // was killed must not stop this one.
  for (DWORD attempt = 0; attempt < 100; ++attempt) {
    const std::string number = std::to_string(GetTickCount()) + "-" + std::to_string(attempt);
    JapaneseFolder folder{
        std::wstring(temp, temp + length) + L"\u8868" + std::wstring(number.begin(), number.end()),
        std::string(temp) + "\x95\x5C" + number};
    if (CreateDirectoryW(folder.wide.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

TEST(ShellExecuteThroughWideTest, ParametersAndFolderReachTheProgram) {
  const JapaneseFolder folder = MakeJapaneseFolder();
  if (folder.wide.empty()) GTEST_SKIP() << "no new folder in a temporary folder with an ASCII path";
  const std::wstring made = folder.wide + L"\\made.txt";
  const HINSTANCE started = platform::windows::ShellExecuteThroughWide(
      nullptr, "open", "cmd.exe", "/c echo made> made.txt", folder.cp932.c_str(), SW_HIDE);
  EXPECT_GT(reinterpret_cast<INT_PTR>(started), 32);
  // The shell does not wait for the program.
  for (int wait = 0; wait < 300 && GetFileAttributesW(made.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) {
    Sleep(100);
  }
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(made.c_str())) << "made.txt in the folder given";
  DeleteFileW(made.c_str());
  RemoveDirectoryW(folder.wide.c_str());
}

}  // namespace
