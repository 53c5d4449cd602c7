// Test-only, POSIX host: runs the real tool as a user would, in a folder of
// its own. A copy of the program sits in app/ (it looks for dxdiag beside
// itself first), home/ is its HOME with a Desktop, bin/ comes first on PATH
// with the stub xdg-open, and the answers arrive on standard input while
// standard output and error are kept. Every run is bounded in time. Also the
// boxes of the run as the terminal shows them.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/testing/HostFiles.h"

namespace vexaEnvChecker {
namespace testkit {

using platform::posix::testkit::ReadHostFile;

inline void WriteHostFile(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary) << bytes;
  chmod(path.c_str(), mode);
}

inline bool HostFileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// GCC's undefined-behaviour runtime, beside AddressSanitizer, writes its
// reports to standard error whatever UBSAN_OPTIONS' log_path says, so that
// one from a child nobody waits on (the dxdiag the tool starts) would pass
// unseen. Given a run's standard error, this puts such a report where the
// sanitized suite collects the others, in a file of this process's own.
inline void KeepSanitizerReport(const std::string& errorOutput) {
  if (errorOutput.find(": runtime error: ") == std::string::npos) return;
  const char* options = getenv("UBSAN_OPTIONS");
  const std::string text = options != nullptr ? options : "";
  const std::size_t start = text.find("log_path=");
  if (start == std::string::npos) return;
  const std::size_t end = text.find(':', start);
  const std::string path =
      text.substr(start + 9, end == std::string::npos ? std::string::npos : end - start - 9);
  static int count = 0;
  std::ofstream(path + ".stderr." + std::to_string(getpid()) + "." + std::to_string(++count),
                std::ios::binary)
      << errorOutput;
}

// The boxes of the run as the terminal shows them: UTF-8, one line end per
// CR LF, the caption line, the text and the prompt the answer follows.
const char kYesNoPrompt[] = u8"[Yes/No] (y = はい, n = いいえ): ";
const char kOkPrompt[] = "[OK] (Enter): ";

inline std::string NoticeBox(const char* icon, const std::string& text, const char* prompt) {
  return std::string(u8"==== vexaEnvChecker のお知らせ (") + icon + ") ====\n" + text + "\n" + prompt;
}
inline std::string ErrorBox(const std::string& text) {
  return std::string(u8"==== vexaEnvChecker のエラー (Warning) ====\n") + text + "\n" + kOkPrompt;
}
inline std::string FailureBox(const std::string& reason) {
  return ErrorBox(u8"作業中にエラーが発生しました。\nエラー内容：" + reason);
}

const std::string kStartBox =
    NoticeBox("Question",
              u8"デスクトップに環境情報ファイル envInfo.txt を出力しようとしています。\n"
              u8"この操作はサポートに必要な情報を調査、出力するものです。\n"
              u8"続けてよろしいですか？\n"
              u8"(注意：この操作には時間が掛かる事があります。)",
              kYesNoPrompt);
const std::string kCompletionBox = NoticeBox("Question",
                                             u8"デスクトップへ envInfo.txt の出力が完了しました。\n"
                                             u8"続けてQoruサポートへメールを送信する準備を行いますか？",
                                             kYesNoPrompt);

// The start of a shell script in dxdiag's place: `$p` is the host path of the
// report it is asked for ("dxdiag /t Z:\...").
const char kDxdiagReportPath[] = "p=$(printf '%s' \"$2\" | sed -e 's/^[Zz]://' -e 's/\\\\/\\//g')\n";

struct CRunResult {
  bool finished = false;  // false: killed at the time bound
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CRunFolder {
 public:
  // `tool` and `dxdiag` are the built programs; an empty `dxdiag` leaves the
  // program without one, an empty `tool` leaves app/ empty for a run that
  // happens in the test's own process.
  CRunFolder(const std::string& tool, const std::string& dxdiag) {
    if (!folder_.ok()) return;
    for (const char* folder : {"/app", "/home", "/home/Desktop", "/bin", "/work"}) {
      mkdir((root_ + folder).c_str(), 0755);
    }
    if (!tool.empty()) WriteHostFile(App("vexaEnvChecker"), ReadHostFile(tool), 0755);
    if (!dxdiag.empty()) WriteHostFile(App("dxdiag"), ReadHostFile(dxdiag), 0755);
    // Records its one argument byte for byte, then exits as told.
    WriteHostFile(
        root_ + "/bin/xdg-open",
        "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.link\"\nexit \"$(cat \"$0.exit\" 2>/dev/null || echo 0)\"\n",
        0755);
  }
  ~CRunFolder() {
    // Tests take the write permission away; the folder goes all the same.
    if (ok()) chmod(Desktop().c_str(), 0755);
  }
  CRunFolder(const CRunFolder&) = delete;
  CRunFolder& operator=(const CRunFolder&) = delete;

  bool ok() const { return !root_.empty(); }
  // A file or folder of the test's own beside the run's.
  std::string Path(const std::string& name) const { return root_ + "/" + name; }
  std::string App(const std::string& name) const { return root_ + "/app/" + name; }
  std::string Home() const { return root_ + "/home"; }
  std::string Desktop() const { return root_ + "/home/Desktop"; }
  std::string Report() const { return Desktop() + "/envInfo.txt"; }
  // The current folder the tool starts in.
  std::string Work() const { return root_ + "/work"; }
  std::string MailLink() const { return ReadHostFile(root_ + "/bin/xdg-open.link"); }
  bool MailerRan() const { return HostFileExists(root_ + "/bin/xdg-open.link"); }
  void SetMailerExit(int code) { WriteHostFile(root_ + "/bin/xdg-open.exit", std::to_string(code)); }
  // Puts a shell script in dxdiag's place.
  void SetDxdiag(const std::string& script) { WriteHostFile(App("dxdiag"), "#!/bin/sh\n" + script, 0755); }
  void RemoveDxdiag() { unlink(App("dxdiag").c_str()); }
  // Host paths other than the run's own that the run sees.
  void SetEnvironment(const std::string& name, const std::string& value) {
    extra_.push_back(name + "=" + value);
  }
  // A file-size limit for the tool and its children, as a full disk would set.
  void SetFileSizeLimit(rlim_t bytes) { fileSizeLimit_ = bytes; }
  // What follows the program's name on its command line.
  void SetArguments(const std::vector<std::string>& arguments) { arguments_ = arguments; }
  // Standard output a pipe whose reader has gone, as when the terminal went away.
  void CloseOutput() { closedOutput_ = true; }

  // The whole environment of a run: nothing of ours but the sanitizers'
  // settings, so that their reports reach the same place.
  std::vector<std::string> Environment() const {
    std::vector<std::string> environment = {"HOME=" + Home(), "XDG_CONFIG_HOME=" + Home() + "/.config",
                                            "PATH=" + root_ + "/bin:/usr/bin:/bin", "LANG=C.UTF-8"};
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
      if (const char* value = getenv(name)) environment.push_back(std::string(name) + "=" + value);
    }
    environment.insert(environment.end(), extra_.begin(), extra_.end());
    return environment;
  }

  CRunResult Run(const std::string& answers, std::chrono::seconds bound = std::chrono::seconds(60)) const {
    CRunResult result;
    const std::string outPath = root_ + "/out.txt", errPath = root_ + "/err.txt", inPath = root_ + "/in.txt";
    WriteHostFile(inPath, answers);
    std::vector<std::string> environment = Environment();
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    std::string program = App("vexaEnvChecker");
    std::vector<char*> argv = {&program[0]};
    std::vector<std::string> arguments = arguments_;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return result;
    if (pid == 0) {
      const int in = open(inPath.c_str(), O_RDONLY);
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
          chdir(Work().c_str()) != 0) {
        _exit(126);
      }
      int pipeEnds[2];
      if (closedOutput_ && (pipe(pipeEnds) != 0 || close(pipeEnds[0]) != 0 || dup2(pipeEnds[1], 1) < 0)) {
        _exit(126);
      }
      if (fileSizeLimit_ != RLIM_INFINITY) {
        // Writes past the limit fail with EFBIG instead of ending the process.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {fileSizeLimit_, fileSizeLimit_};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + bound;
    int status = 0;
    for (;;) {
      const pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) {
        result.finished = true;
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (result.finished && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = ReadHostFile(outPath);
    result.err = ReadHostFile(errPath);
    KeepSanitizerReport(result.err);
    return result;
  }

 private:
  platform::posix::testkit::CTempFolder folder_{platform::posix::testkit::ProcessPrefix("vexaRun")};
  const std::string root_ = folder_.Path();
  std::vector<std::string> extra_;
  std::vector<std::string> arguments_;
  rlim_t fileSizeLimit_ = RLIM_INFINITY;
  bool closedOutput_ = false;
};

}  // namespace testkit
}  // namespace vexaEnvChecker
