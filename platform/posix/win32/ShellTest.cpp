// The shell's "open" on the host: what xdg-open is handed, and how its fate
// becomes ShellExecuteA's result.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Win32.h"
#include "platform/posix/internal/Opener.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"
#include "platform/posix/testing/TestPrograms.h"

namespace platform::posix {
namespace {

using testkit::CScopedVariable;
using testkit::TestPrograms;

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

class ShellOpenTest : public testing::Test {
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

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const HINSTANCE result = ShellExecuteA(nullptr, "open", kLinkAnsi, nullptr, nullptr, SW_SHOWNORMAL);
  const std::string output = testing::internal::GetCapturedStdout();
  const std::string errors = testing::internal::GetCapturedStderr();

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

// The desktop's real xdg-open with a mailto handler that runs in a terminal,
// as a terminal mail program does: one that reads the message from a
// standard input that is no terminal, and refuses an empty one. Started from
// a terminal, the tool must still have xdg-open open a terminal of its own.
TEST(ShellOpenTerminalMailerTest, ATerminalMailerGetsATerminalOfItsOwn) {
  if (FindOnPath("xdg-open").empty() || FindOnPath("xdg-mime").empty() || FindOnPath("script").empty()) {
    GTEST_SKIP() << "xdg-open, xdg-mime or script is missing";
  }
  TestPrograms programs;
  ASSERT_FALSE(programs.folder().empty());
  const std::string root = programs.folder();
  const std::string mailer = root + "/mail";
  std::ofstream(mailer) << "#!/bin/sh\n"
                           "if [ ! -t 0 ] && ! read -r line; then echo 'no message' >&2; exit 1; fi\n"
                           "printf '%s' \"$1\" >\"$0.link\"\n";
  // A terminal window: the command runs on a terminal of its own.
  std::ofstream(root + "/vexa-terminal") << "#!/bin/sh\n"
                                            "[ \"$1\" = -e ] && shift\n"
                                            "touch \"$0.ran\"\n"
                                            "export VEXA_LINK=\"$2\"\n"
                                            "exec script -qec \"'$1' \\\"\\$VEXA_LINK\\\"\" /dev/null\n";
  for (const std::string& program : {mailer, root + "/vexa-terminal"}) chmod(program.c_str(), 0755);
  for (const char* folder : {"/config", "/data", "/data/applications"}) mkdir((root + folder).c_str(), 0700);
  std::ofstream(root + "/data/applications/vexa-mail.desktop")
      << "[Desktop Entry]\nType=Application\nName=Mail\nExec=" << mailer
      << " %u\nTerminal=true\nMimeType=x-scheme-handler/mailto;\n";
  std::ofstream(root + "/config/mimeapps.list")
      << "[Default Applications]\nx-scheme-handler/mailto=vexa-mail.desktop\n";
  const testkit::CScopedVariable variables[] = {
      {"PATH", (root + ":" + (getenv("PATH") ? getenv("PATH") : "")).c_str()},
      {"XDG_CONFIG_HOME", (root + "/config").c_str()},
      {"XDG_DATA_HOME", (root + "/data").c_str()},
      {"XDG_DATA_DIRS", (root + "/data").c_str()},
      {"XDG_CURRENT_DESKTOP", nullptr},
      {"DESKTOP_SESSION", nullptr},
      {"DISPLAY", ":vexa-nowhere"},
      {"TERMINAL", "vexa-terminal"},
  };
  static_cast<void>(variables);

  // A run started from a terminal: a session whose controlling terminal is a
  // pseudo-terminal of the child's own.
  const pid_t pid = fork();
  ASSERT_LE(0, pid);
  if (pid == 0) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (setsid() < 0 || master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        open(ptsname(master), O_RDWR) < 0) {
      _exit(255);
    }
    _exit(
        static_cast<int>(Result(ShellExecuteA(nullptr, "open", kLinkAnsi, nullptr, nullptr, SW_SHOWNORMAL))));
  }
  int status = 0;
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(42, WEXITSTATUS(status)) << "the mail program refused its empty input";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (testkit::ReadHostFile(mailer + ".link").empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(kLinkUtf8, testkit::ReadHostFile(mailer + ".link"));
  EXPECT_EQ(0, access((root + "/vexa-terminal.ran").c_str(), F_OK)) << "no terminal window was opened";
}

}  // namespace
}  // namespace platform::posix
