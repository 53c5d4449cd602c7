// Test programs only: the per-process internal log (see vexaTestLog.cpp).
#pragma once

#include <string>

#include "platform/Win32.h"

namespace vexaSDK {
namespace Common {
namespace testkit {

// Where the program's own log would be, had it not chosen a file per process.
std::string GetProgramLogPath();

// The log file a test process with this id writes, beside the program's own.
std::string GetTestLogPath(DWORD processId);

// Makes this process, a child forked from a test program, write a log of its
// own id instead of its parent's.
void UseOwnTestLog();

// Leaves this process's log behind at exit, for a parent process to read.
void KeepTestLog();

// The command line that runs this test program again with only `test`, which
// may be a disabled one.
std::string ChildTestCommand(const std::string& test);

// Runs this test program again with only `test`, a disabled test that keeps
// its log, waits up to 60 s and reads that log into `log`, removing the file.
// False when the child cannot be started, does not end or left no log.
bool RunChildTest(const std::string& test, std::string& log, DWORD& exitCode);

}  // namespace testkit
}  // namespace Common
}  // namespace vexaSDK
