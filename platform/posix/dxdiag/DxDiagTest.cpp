// The built stand-in diagnostic program, run as the checker runs it (through
// CreateProcessA, into a folder whose name has two blanks in a row) and from
// a shell: its file, its exit codes and its message on standard error.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/posix/internal/HostHardware.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/testing/HostTesting.h"
#include "platform/testing/Testing.h"

namespace platform::posix {
namespace {

using testkit::AddQemuCard;
using testkit::CFakeSysfs;
using testkit::FromCrLf;
using testkit::ReadHostFile;
using testkit::RunShell;
using testkit::ShellRun;
using testkit::WithoutNamedLine;

std::string Section(const std::string& report, const std::string& title) {
  const std::string dashes(title.size(), '-');
  const std::size_t start = report.find(dashes + "\n" + title + "\n");
  if (start == std::string::npos) return std::string();
  const std::size_t end = report.find("\n\n-", start);
  return report.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

const char kQemuDisplay[] =
    "---------------\n"
    "Display Devices\n"
    "---------------\n"
    "          Card name: Vendor 1234 Device 1111\n"
    "           Location: 0000:00:02.0\n"
    "          Vendor ID: 0x1234\n"
    "          Device ID: 0x1111\n"
    "          SubSys ID: 0x11001AF4\n"
    "        Revision ID: 0x0002\n"
    "        Driver Name: bochs-drm\n"
    "     Driver Version: 2.0\n"
    "     Preferred Mode: 1280 x 800\n"
    "\n";

// Without a display only the kernel's preferred mode is known; the X server
// tells the one it shows, with its refresh rate where it has one.
TEST(DxDiagTest, CurrentModeComesFromTheXServer) {
  const testkit::CXvfb xvfb(VEXA_WITH_XVFB);
  if (xvfb.Display().empty()) GTEST_SKIP() << "Xvfb is missing";
  std::optional<DisplayMode> server;
  {
    const testkit::CScopedVariable display("DISPLAY", xvfb.Display().c_str());
    server = XCurrentMode(HardwareSources().xTimeLimitMs);
  }
  ASSERT_TRUE(server.has_value());
  const std::string rate = server->refreshRate != 0 ? " (" + std::to_string(server->refreshRate) + "Hz)" : "";
  CFakeSysfs tree;
  AddQemuCard(tree);
  const ShellRun run = RunShell(tree, "env -i SYSFS_PATH='" + tree.Root() + "' DISPLAY=" + xvfb.Display() +
                                          " '" + VEXA_DXDIAG + "' /t '" + tree.Path("report.txt") + "'");
  ASSERT_EQ(0, run.exitCode) << run.errors;
  std::string expected = kQemuDisplay;
  expected.replace(expected.find("     Preferred Mode: 1280 x 800"), 31,
                   "       Current Mode: 1024 x 768" + rate);
  EXPECT_EQ(WithoutNamedLine(expected, "          Card name: "),
            WithoutNamedLine(Section(FromCrLf(ReadHostFile(tree.Path("report.txt"))), "Display Devices"),
                             "          Card name: "));
}

TEST(DxDiagTest, CheckerStartsItWithThePathAsGiven) {
  CFakeSysfs tree;
  AddQemuCard(tree);
  const std::string folder = tree.Path(u8"デスクトップ  two blanks");
  ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
  char commandLine[1024];
  std::snprintf(commandLine, sizeof commandLine, "dxdiag /t %s\\envInfo.txt", ToWindowsPath(folder).c_str());
  const std::string environment =
      "SYSFS_PATH=" + tree.Root() + std::string(1, '\0') + "PATH=/usr/bin:/bin" + std::string(2, '\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(ToWindowsPath(VEXA_DXDIAG).c_str(), commandLine, nullptr, nullptr, FALSE, 0,
                             const_cast<char*>(environment.c_str()), nullptr, &startup, &process));
  DWORD exitCode = 1;
  ASSERT_TRUE(platform::testkit::WaitForExit(process, exitCode));
  EXPECT_EQ(0u, exitCode);

  const std::string report = FromCrLf(ReadHostFile(folder + "/envInfo.txt"));
  EXPECT_EQ(WithoutNamedLine(kQemuDisplay, "          Card name: "),
            WithoutNamedLine(Section(report, "Display Devices"), "          Card name: "));
  EXPECT_EQ(0u,
            report.find("------------------\nSystem Information\n------------------\nTime of this report: "));
  EXPECT_NE(std::string::npos, report.find("\n           Language: C\n")) << "no locale in the environment";
}

TEST(DxDiagTest, ExitCodesAndReasons) {
  CFakeSysfs tree;
  const std::string program = std::string("'") + VEXA_DXDIAG + "'";
  struct Case {
    std::string arguments;
    int exitCode;
    std::string errors;
  } const cases[] = {
      {"", 2, "usage: dxdiag /t <report file>\n"},
      {"/x " + tree.Root(), 2, "usage: dxdiag /t <report file>\n"},
      {"/t 'C:\\report.txt'", 2, "dxdiag: no such place on this host: C:\\report.txt\n"},
      {"/t " + tree.Path("missing/envInfo.txt"), 1,
       "dxdiag: cannot write " + tree.Path("missing/envInfo.txt") + ": No such file or directory\n"},
      {"/t " + tree.Root(), 1, "dxdiag: cannot write " + tree.Root() + ": Is a directory\n"},
      {"/t /dev/full", 1, "dxdiag: cannot write /dev/full: No space left on device\n"},  // a full disk
  };
  for (const Case& c : cases) {
    if (c.arguments == "/t /dev/full" && access("/dev/full", W_OK) != 0) continue;
    const ShellRun run = RunShell(tree, program + " " + c.arguments);
    EXPECT_EQ(c.exitCode, run.exitCode) << c.arguments;
    EXPECT_EQ(c.errors, run.errors) << c.arguments;
    EXPECT_EQ("", run.out) << c.arguments;
  }
}

// The report outlives the run: what code page 932 lacks is '?' in it, never
// a code that only the run's own process knew.
TEST(DxDiagTest, TextOutsideCodePage932IsMarked) {
  CFakeSysfs tree;
  AddQemuCard(tree);
  tree.File("module/bochs/version", u8"2.0 für Jürgen\n");
  const ShellRun run = RunShell(tree, "env -i SYSFS_PATH='" + tree.Root() + "' '" + VEXA_DXDIAG + "' /t '" +
                                          tree.Path("report.txt") + "'");
  ASSERT_EQ(0, run.exitCode) << run.errors;
  const std::string report = ReadHostFile(tree.Path("report.txt"));
  EXPECT_NE(std::string::npos, report.find("\r\n     Driver Version: 2.0 f?r J?rgen\r\n")) << report;
}

TEST(DxDiagTest, ReportsThisMachine) {
  CFakeSysfs tree;
  const ShellRun run =
      RunShell(tree, "env -u SYSFS_PATH '" + std::string(VEXA_DXDIAG) + "' /t " + tree.Path("real.txt"));
  ASSERT_EQ(0, run.exitCode) << run.errors;
  EXPECT_EQ("", run.errors);
  const std::string report = FromCrLf(ReadHostFile(tree.Path("real.txt")));
  EXPECT_EQ(0u,
            report.find("------------------\nSystem Information\n------------------\nTime of this report: "));
  EXPECT_NE(std::string::npos, report.find("\n   Operating System: "));
  EXPECT_NE("", Section(report, "Display Devices"));
  EXPECT_NE(std::string::npos, report.find("\n\n-------------\nSound Devices\n-------------\n"));
  EXPECT_EQ("\n\n", report.substr(report.size() - 2));
}

}  // namespace
}  // namespace platform::posix
