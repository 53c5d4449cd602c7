// Linked into test programs only: every test process writes its own internal
// log, named after its process id, so test programs run side by side (ctest
// -j, two runs on one build folder) never read or truncate each other's
// entries. The file is removed when the process ends, after the log closed.
#include "vexaSDK/Common/testing/vexaTestLog.h"

#include <cstdlib>

#include "platform/TextFile.h"
#include "platform/testing/Testing.h"
#include "vexaSDK/Common/vexaLog.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/System/vexaProcess.h"

namespace vexaSDK {
namespace Common {
namespace testkit {
namespace {

using internal::GetLogFilePath;
using internal::SetLogFilePath;

bool keepLog = false;

void RemoveLog() {
  if (!keepLog) DeleteFileA(GetLogFilePath().c_str());
}

// Taken before this program chooses its own file, so it is where the
// program's log would be.
const std::string& ProgramLogPath() {
  static const std::string path = GetLogFilePath();
  return path;
}

std::string TestLogPath(DWORD processId) {
  const std::string& program = ProgramLogPath();
  return System::GetDirectoryName(program, '\\') +
         System::GetFileNameWithExtension(
             program, System::FormatText("%lu.log", static_cast<unsigned long>(processId)));
}

// Registered before the log can register its own closing, so it runs after it.
const bool chosen = [] {
  ProgramLogPath();
  SetLogFilePath(TestLogPath(GetCurrentProcessId()));
  std::atexit(RemoveLog);
  return true;
}();

}  // namespace

std::string GetProgramLogPath() { return ProgramLogPath(); }

std::string GetTestLogPath(DWORD processId) { return TestLogPath(processId); }

void UseOwnTestLog() { SetLogFilePath(TestLogPath(GetCurrentProcessId())); }

void KeepTestLog() { keepLog = true; }

std::string ChildTestCommand(const std::string& test) {
  return "\"" + System::GetModuleFilePath(nullptr) +
         "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
}

bool RunChildTest(const std::string& test, std::string& log, DWORD& exitCode) {
  const std::string command = ChildTestCommand(test);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!System::LaunchProcess("", command, startup, process, nullptr, nullptr, FALSE, 0, nullptr, nullptr)) {
    return false;
  }
  const bool ended = platform::testkit::WaitForExit(process, exitCode);
  const std::string path = TestLogPath(process.dwProcessId);
  const bool read = platform::ReadFileBytes(path.c_str(), log);
  DeleteFileA(path.c_str());
  return ended && read;
}

}  // namespace testkit
}  // namespace Common
}  // namespace vexaSDK
