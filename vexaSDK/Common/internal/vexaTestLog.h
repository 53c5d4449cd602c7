// Test programs only: the per-process internal log (see vexaTestLog.cpp).
#pragma once

#include <string>

#include "platform/Win32.h"

namespace vexaSDK {
namespace Common {
namespace internal {

// The log file a test process with this id writes.
std::string GetTestLogPath(DWORD processId);

// Leaves this process's log behind at exit, for a parent process to read.
void KeepTestLog();

}  // namespace internal
}  // namespace Common
}  // namespace vexaSDK
