// Where message boxes appear on the host, and what the dialogue programs are
// told and what their answers mean.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/internal/Dialog.h"
#include "platform/posix/testing/StandIn.h"
#include "platform/posix/testing/TestPrograms.h"

namespace platform::posix {
namespace {

using testkit::CScopedVariable;
using testkit::TestPrograms;

typedef std::vector<std::string> Arguments;

TEST(DialogChoiceTest, ADialogueOnlyWithoutTerminalOnADesktopWithAProgram) {
  const char* const kTerminal = "terminal";
  const char* const kZenity = "zenity";
  const char* const kKdialog = "kdialog";
  struct Case {
    bool terminal;
    const char* display;
    const char* wayland;
    const char* zenity;
    const char* kdialog;
    const char* choice;
  } const cases[] = {
      {true, ":0", "", "/usr/bin/zenity", "/usr/bin/kdialog", kTerminal},  // someone can answer there
      {false, ":0", "", "/usr/bin/zenity", "/usr/bin/kdialog", kZenity},
      {false, ":0", "", "", "/usr/bin/kdialog", kKdialog},
      {false, "", "wayland-0", "/usr/bin/zenity", "", kZenity},
      {false, "", "wayland-0", "", "/usr/bin/kdialog", kKdialog},
      {false, "", "", "/usr/bin/zenity", "/usr/bin/kdialog", kTerminal},  // no desktop session
      {false, ":0", "wayland-0", "", "", kTerminal},                      // nothing to show it with
      {true, "", "", "", "", kTerminal},
  };
  for (const Case& c : cases) {
    DialogEnvironment environment;
    environment.stdinIsTerminal = c.terminal;
    environment.display = c.display;
    environment.waylandDisplay = c.wayland;
    environment.zenity = c.zenity;
    environment.kdialog = c.kdialog;
    const DialogProgram program = ChooseDialogProgram(environment);
    const char* choice = program == DialogProgram::kZenity    ? kZenity
                         : program == DialogProgram::kKdialog ? kKdialog
                                                              : kTerminal;
    EXPECT_STREQ(c.choice, choice) << c.terminal << " '" << c.display << "' '" << c.wayland << "' '"
                                   << c.zenity << "' '" << c.kdialog << "'";
  }
}

// A local X server as the display's socket in the abstract namespace, where
// servers listen beside /tmp/.X11-unix; gone with the object, no file left.
class FakeXServer {
 public:
  explicit FakeXServer(int number) {
    const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    socket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    listening_ = socket_ >= 0 && bind(socket_, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                 listen(socket_, 4) == 0;
  }
  ~FakeXServer() {
    if (socket_ >= 0) close(socket_);
  }
  bool listening() const { return listening_; }

 private:
  int socket_ = -1;
  bool listening_ = false;
};

// Display numbers of this process's own, far above what desktops use: one
// that a fake server of this process answers on, and one that no test
// process ever serves, so that it stays dead while other tests run.
int LiveDisplayNumber() { return 30000 + static_cast<int>(getpid() % 20000); }
int DeadDisplayNumber() { return 50000 + static_cast<int>(getpid() % 10000); }

TEST(DialogChoiceTest, EnvironmentIsReadFromTheProcess) {
  TestPrograms programs;
  const std::string zenity = programs.Add("zenity");
  CScopedVariable path("PATH", programs.folder().c_str());
  const FakeXServer server(LiveDisplayNumber());
  ASSERT_TRUE(server.listening());
  const std::string live = ":" + std::to_string(LiveDisplayNumber()) + ".0";
  CScopedVariable display("DISPLAY", live.c_str());
  CScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
  const DialogEnvironment environment = CurrentDialogEnvironment();
  EXPECT_EQ(live, environment.display);
  EXPECT_EQ("", environment.waylandDisplay);
  EXPECT_EQ(zenity, environment.zenity);
  EXPECT_EQ("", environment.kdialog);
  EXPECT_EQ(isatty(0) != 0, environment.stdinIsTerminal);
}

// A display whose server is gone would make zenity fail as if the user had
// said No: such a display counts as none, and the terminal asks instead.
TEST(DialogChoiceTest, DisplaysThatDoNotAnswerCountAsNone) {
  const std::string dead = ":" + std::to_string(DeadDisplayNumber());
  for (const char* value : {dead.c_str(), "unix" /* no number */, "garbage"}) {
    CScopedVariable display("DISPLAY", value);
    CScopedVariable wayland("WAYLAND_DISPLAY", "vexa-no-such-wayland-0");
    const DialogEnvironment environment = CurrentDialogEnvironment();
    EXPECT_EQ("", environment.display) << value;
    EXPECT_EQ("", environment.waylandDisplay);
  }
  CScopedVariable remote("DISPLAY", "otherhost:10.0");
  EXPECT_EQ("otherhost:10.0", CurrentDialogEnvironment().display)
      << "another host's display is taken on trust";
}

TEST(DialogArgumentsTest, EachBoxKindHasItsButtonsAndIcon) {
  const std::string text = u8"一行目\n<b>&</b>";
  const std::string title = u8"-vexaEnvChecker のお知らせ";
  const std::string zTitle = "--title=" + title;
  const std::string zText = "--text=" + text;
  struct Case {
    UINT type;
    Arguments zenity;
    Arguments kdialog;
  } const cases[] = {
      {MB_YESNO | MB_ICONQUESTION,
       {"--question", zTitle, zText, "--no-markup"},
       {"--title", title, "--yesno", text}},
      {MB_YESNO | MB_ICONEXCLAMATION,
       {"--question", zTitle, zText, "--no-markup", "--icon-name=dialog-warning"},
       {"--title", title, "--warningyesno", text}},
      {MB_YESNO | MB_ICONHAND,
       {"--question", zTitle, zText, "--no-markup", "--icon-name=dialog-error"},
       {"--title", title, "--warningyesno", text}},
      {MB_OKCANCEL | MB_ICONASTERISK,
       {"--question", zTitle, zText, "--no-markup", "--icon-name=dialog-information", "--ok-label=OK",
        "--cancel-label=Cancel"},
       {"--title", title, "--yesno", text, "--yes-label", "OK", "--no-label", "Cancel"}},
      {MB_OK | MB_ICONASTERISK,
       {"--info", zTitle, zText, "--no-markup"},
       {"--title", title, "--msgbox", text}},
      {MB_OK, {"--info", zTitle, zText, "--no-markup"}, {"--title", title, "--msgbox", text}},
      {MB_OK | MB_ICONEXCLAMATION,
       {"--warning", zTitle, zText, "--no-markup"},
       {"--title", title, "--sorry", text}},
      {MB_OK | MB_ICONHAND, {"--error", zTitle, zText, "--no-markup"}, {"--title", title, "--error", text}},
      {MB_OK | MB_ICONQUESTION,
       {"--info", zTitle, zText, "--no-markup", "--icon-name=dialog-question"},
       {"--title", title, "--msgbox", text}},
      {3 /* MB_YESNOCANCEL */, {}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.zenity, DialogArguments(DialogProgram::kZenity, text, title, c.type)) << std::hex << c.type;
    EXPECT_EQ(c.kdialog, DialogArguments(DialogProgram::kKdialog, text, title, c.type)) << std::hex << c.type;
  }
}

class DialogRunTest : public testing::Test {
 protected:
  TestPrograms programs_;
};

TEST_F(DialogRunTest, ExitStatusBecomesTheButtonCode) {
  struct Case {
    const char* program;
    UINT type;
    int exitCode;
    int answer;
  } const cases[] = {
      {"zenity", MB_YESNO | MB_ICONQUESTION, 0, IDYES},
      {"zenity", MB_YESNO | MB_ICONQUESTION, 1, IDNO},  // No, Escape or closed
      {"zenity", MB_OKCANCEL, 0, IDOK},
      {"zenity", MB_OKCANCEL, 1, IDCANCEL},
      {"zenity", MB_OK | MB_ICONASTERISK, 0, IDOK},
      {"zenity", MB_OK | MB_ICONASTERISK, 1, IDOK},  // an OK box closed
      {"zenity", MB_YESNO, 255, 0},                  // its own error: ask on the terminal
      {"zenity", MB_OK, 5, 0},
      {"kdialog", MB_YESNO, 0, IDYES},
      {"kdialog", MB_YESNO, 1, IDNO},
      {"kdialog", MB_YESNO, 2, IDNO},
      {"kdialog", MB_OKCANCEL, 2, IDCANCEL},
      {"kdialog", MB_OK | MB_ICONHAND, 0, IDOK},
  };
  for (const Case& c : cases) {
    const std::string path = programs_.Add(c.program);
    programs_.SetExitCode(c.program, c.exitCode);
    const DialogProgram program =
        std::string(c.program) == "zenity" ? DialogProgram::kZenity : DialogProgram::kKdialog;
    EXPECT_EQ(c.answer, ShowDialog(program, path, "text", "title", c.type))
        << c.program << " " << c.type << " " << c.exitCode;
  }
}

TEST_F(DialogRunTest, TextReachesTheProgramAsItIs) {
  const std::string path = programs_.Add("zenity");
  const std::string text = u8"作業中にエラーが発生しました。\nエラー内容：C:\\a & <b>";
  EXPECT_EQ(IDYES, ShowDialog(DialogProgram::kZenity, path, text, u8"vexaEnvChecker のエラー", MB_YESNO));
  EXPECT_EQ((Arguments{"--question", u8"--title=vexaEnvChecker のエラー", "--text=" + text, "--no-markup"}),
            programs_.Arguments("zenity"));
  EXPECT_EQ("UTF-8", programs_.Charset("zenity")) << "GLib must read the arguments as UTF-8";
}

TEST_F(DialogRunTest, WithoutAProgramTheTerminalAsks) {
  EXPECT_EQ(0, ShowDialog(DialogProgram::kZenity, programs_.folder() + "/zenity", "t", "c", MB_YESNO));
  EXPECT_EQ(0, ShowDialog(DialogProgram::kZenity, "", "t", "c", MB_YESNO));
  const std::string path = programs_.Add("zenity");
  EXPECT_EQ(0, ShowDialog(DialogProgram::kZenity, path, "t", "c", 2 /* MB_ABORTRETRYIGNORE */));
  EXPECT_FALSE(programs_.Ran("zenity"));
}

// Everything else would call for a dialogue: a display that answers, zenity,
// and no terminal on standard input.
TEST_F(DialogRunTest, BoxesAskedOnTestStreamsNeverBecomeDialogues) {
  programs_.Add("zenity");
  CScopedVariable path("PATH", programs_.folder().c_str());
  const FakeXServer server(LiveDisplayNumber());
  ASSERT_TRUE(server.listening());
  CScopedVariable display("DISPLAY", (":" + std::to_string(LiveDisplayNumber())).c_str());
  const int savedStdin = dup(STDIN_FILENO);
  const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_TRUE(savedStdin >= 0 && null >= 0 && dup2(null, STDIN_FILENO) == STDIN_FILENO);
  close(null);
  std::istringstream in("n\n");
  std::ostringstream out;
  SetConsoleStreams(&in, &out);
  const int answer = MessageBoxA(nullptr, "続けてよろしいですか？", "vexaEnvChecker のお知らせ", 0x24);
  SetConsoleStreams(nullptr, nullptr);
  dup2(savedStdin, STDIN_FILENO);
  close(savedStdin);
  EXPECT_EQ(IDNO, answer);
  EXPECT_FALSE(programs_.Ran("zenity"));
  EXPECT_EQ(0u, out.str().find(u8"==== vexaEnvChecker のお知らせ (Question) ====\n続けてよろしいですか？\n"));
}

}  // namespace
}  // namespace platform::posix
