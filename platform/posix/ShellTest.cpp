// The shell's "open" on the host: what xdg-open is handed, and how its fate
// becomes ShellExecuteA's result.
#include <gtest/gtest.h>
#include <time.h>

#include <string>
#include <vector>

#include "platform/Win32.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Shell.h"
#include "platform/posix/testing/TestPrograms.h"

namespace platform::posix {
namespace {

using testing::CScopedVariable;
using testing::TestPrograms;

// The support mail link as the tool builds it; the same text as narrow code
// page 932 bytes and as the UTF-8 that xdg-open must receive.
#define VEXA_SUPPORT_LINK                                                                                                          \
  "mailto:support@example.com?subject=[Qoru] サポート From vexaEnvChecker&body="                                               \
  "注：デスクトップに出力された envInfo.txt をこのメールに添付してください。%0d%0a"                  \
  "　　必ずファイルが添付されている事を確認してから送信ボタンを押してください。%0d%0a%0d%0a" \
  "・ゲームのタイトル%0d%0a (ここにゲームタイトルを記入してください)%0d%0a%0d%0a"                      \
  "・起こった場面/どのような症状が発生したのか、等の気付いた点が有れば%0d%0a "                    \
  "(ここに症状などを記入してください)%0d%0a"
const char kLinkAnsi[] = VEXA_SUPPORT_LINK;
const char kLinkUtf8[] = u8"" VEXA_SUPPORT_LINK;
const std::size_t kBodyAnsiBytes = 358;

UINT_PTR Result(HINSTANCE instance) { return reinterpret_cast<UINT_PTR>(instance); }

class ShellOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(programs_.folder().empty());
    programs_.Add("xdg-open");
  }

  TestPrograms programs_;
  // First on PATH; the rest stays for the tools the stub itself uses.
  CScopedVariable path_{"PATH", (programs_.folder() + ":" + (getenv("PATH") ? getenv("PATH") : "")).c_str()};
};

TEST_F(ShellOpenTest, LinkReachesXdgOpenAsOneUtf8Argument) {
  const std::string body = std::string(kLinkAnsi).substr(std::string(kLinkAnsi).find("&body=") + 6);
  ASSERT_EQ(kBodyAnsiBytes, body.size()) << "the link is compiled to code page 932";

  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const HINSTANCE result = ShellExecuteA(nullptr, "open", kLinkAnsi, nullptr, nullptr, SW_SHOWNORMAL);
  const std::string output = ::testing::internal::GetCapturedStdout();
  const std::string errors = ::testing::internal::GetCapturedStderr();

  EXPECT_GT(Result(result), 32u);
  // Spaces stay, "%0d%0a" stays six characters, nothing else is encoded.
  EXPECT_EQ(std::vector<std::string>{kLinkUtf8}, programs_.Arguments("xdg-open"));
  EXPECT_EQ("", output) << "the opener's output stays off the terminal";
  EXPECT_EQ("", errors);
}

TEST_F(ShellOpenTest, ExitStatusOfXdgOpenBecomesTheResult) {
  struct Case {
    int exitCode;
    UINT_PTR result;
    DWORD lastError;
  } const cases[] = {
      {0, 42, 0},
      {1, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},  // bad arguments
      {2, SE_ERR_FNF, ERROR_FILE_NOT_FOUND},      // no such file
      {3, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},  // no program for it
      {4, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},  // the program failed
      {130, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
  };
  for (const Case& c : cases) {
    programs_.SetExitCode("xdg-open", c.exitCode);
    SetLastError(0);
    EXPECT_EQ(c.result, Result(ShellExecuteA(nullptr, "open", "https://example.com/", nullptr, nullptr, 1)))
        << c.exitCode;
    EXPECT_EQ(c.lastError, GetLastError()) << c.exitCode;
  }
}

TEST_F(ShellOpenTest, AMissingOrUnusableXdgOpenFails) {
  TestPrograms empty;
  {
    CScopedVariable path("PATH", empty.folder().c_str());
    EXPECT_EQ(static_cast<UINT_PTR>(SE_ERR_FNF),
              Result(ShellExecuteA(nullptr, "open", kLinkAnsi, nullptr, nullptr, SW_SHOWNORMAL)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  }
  const std::string opener = empty.Add("xdg-open");
  ASSERT_EQ(0, chmod(opener.c_str(), 0644));
  CScopedVariable path("PATH", empty.folder().c_str());
  EXPECT_EQ(static_cast<UINT_PTR>(SE_ERR_ACCESSDENIED),
            Result(ShellExecuteA(nullptr, "open", kLinkAnsi, nullptr, nullptr, SW_SHOWNORMAL)));
}

TEST_F(ShellOpenTest, OnlyTheDefaultVerbAndNoParameters) {
  struct Case {
    const char* verb;
    const char* parameters;
    bool runs;
  } const cases[] = {
      {nullptr, nullptr, true},  {"open", "", true},       {"OPEN", nullptr, true}, {"", nullptr, true},
      {"print", nullptr, false}, {"edit", nullptr, false}, {"open", "-x", false},
  };
  for (const Case& c : cases) {
    programs_.Reset("xdg-open");
    const UINT_PTR result =
        Result(ShellExecuteA(nullptr, c.verb, "mailto:a@example.com", c.parameters, nullptr, 1));
    const std::string label =
        std::string(c.verb ? c.verb : "(null)") + " " + (c.parameters ? c.parameters : "");
    EXPECT_EQ(c.runs, programs_.Ran("xdg-open")) << label;
    if (c.runs) {
      EXPECT_GT(result, 32u) << label;
    } else {
      EXPECT_EQ(static_cast<UINT_PTR>(SE_ERR_NOASSOC), result) << label;
    }
  }
  EXPECT_EQ(static_cast<UINT_PTR>(SE_ERR_FNF),
            Result(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, 1)));
  EXPECT_EQ(static_cast<UINT_PTR>(SE_ERR_FNF),
            Result(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, 1)));
}

TEST_F(ShellOpenTest, FilesAndFoldersAreHostPaths) {
  const std::string folder = ToWindowsPath(programs_.folder());
  EXPECT_GT(Result(ShellExecuteA(nullptr, "open", "-x.txt", nullptr, folder.c_str(), 1)), 32u);
  EXPECT_EQ(programs_.folder(), programs_.StartFolder("xdg-open")) << "started in the folder given";
  EXPECT_EQ(std::vector<std::string>{"./-x.txt"}, programs_.Arguments("xdg-open")) << "a file, not an option";

  const std::string file = folder + "\\\x95\x5C.txt";  // 表: trail byte 0x5C
  EXPECT_GT(Result(ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, 1)), 32u);
  EXPECT_EQ(std::vector<std::string>{programs_.folder() + u8"/表.txt"}, programs_.Arguments("xdg-open"));

  programs_.Reset("xdg-open");
  EXPECT_EQ(static_cast<UINT_PTR>(SE_ERR_PNF),
            Result(ShellExecuteA(nullptr, "open", "a.txt", nullptr, (folder + "\\missing").c_str(), 1)));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(static_cast<UINT_PTR>(SE_ERR_PNF),
            Result(ShellExecuteA(nullptr, "open", "C:\\Windows\\a.txt", nullptr, nullptr, 1)));
  EXPECT_FALSE(programs_.Ran("xdg-open"));
}

TEST_F(ShellOpenTest, AnOpenerStillRunningAfterTheBoundHasStarted) {
  programs_.SetSleep("xdg-open", "3");
  const DWORD previous = SetOpenTimeBound(100);
  timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const HINSTANCE result = ShellExecuteA(nullptr, "open", kLinkAnsi, nullptr, nullptr, SW_SHOWNORMAL);
  clock_gettime(CLOCK_MONOTONIC, &end);
  SetOpenTimeBound(previous);
  EXPECT_GT(Result(result), 32u);
  EXPECT_LT(end.tv_sec - start.tv_sec, 2) << "waited for the opener to end";
}

}  // namespace
}  // namespace platform::posix
