// The internal log: one text file per program, in the "log" folder beside the
// module, for failures that must not reach the user. Guarded regions turn
// every exception of a block into a log entry.
#pragma once

#include <exception>
#include <ostream>
#include <string>

#include "platform/Win32.h"

namespace vexaSDK {
namespace Common {

// The process-wide log stream, opened (and the log started afresh) on the
// first call. A log that cannot be opened silently drops every write.
std::ostream& GetLogStream();

// Registers the closing of the log for process exit now, if that has not
// happened yet, without opening it: objects made after this call can still
// log while exit handlers destroy them.
void RegisterLogClose();

// Appends the caption line (when not empty) and the text, then flushes. CR LF
// pairs become single line ends, so the text-mode file gets one CR LF each.
void WriteLog(const std::string& text, const std::string& caption);

// The system's message for a Win32 error code, or "Unknown Error".
std::string GetErrorText(DWORD code);

namespace internal {
void WriteCaughtEntry(const std::string& text, const char* captionKind, const char* file, unsigned long line);

// Where the log is (or will be) written: "<module folder>log\<module name>.log"
// unless a test program has chosen a file of its own.
std::string GetLogFilePath();
// For test programs, whose processes run side by side: each gets a log file
// of its own. Takes effect only before the first entry.
void SetLogFilePath(const std::string& path);
}  // namespace internal

// Runs `body`; whatever it throws becomes one log entry captioned with the
// handler kind and this region's file name and line, and the region reports
// false. Nothing escapes.
template <typename Body>
bool GuardedRegion(const char* file, unsigned long line, Body&& body) noexcept {
  try {
    try {
      body();
      return true;
    } catch (const std::exception& e) {
      internal::WriteCaughtEntry(e.what(), "exception CatchHandler", file, line);
    } catch (const std::string& text) {
      internal::WriteCaughtEntry(text, "std::string CatchHandler", file, line);
    } catch (const char* text) {
      internal::WriteCaughtEntry(text ? text : "", "char* CatchHandler", file, line);
    } catch (...) {
      internal::WriteCaughtEntry(GetErrorText(GetLastError()), "unknown CatchHandler", file, line);
    }
  } catch (...) {
    try {
      internal::WriteCaughtEntry(GetErrorText(GetLastError()), "unknown CatchHandler", file, line);
    } catch (...) {
      // Even the log failed; the region still reports the failure.
    }
  }
  return false;
}

}  // namespace Common
}  // namespace vexaSDK

// A guarded region at this file and line: VEXA_GUARDED_REGION([&] { ... }).
#define VEXA_GUARDED_REGION(body) ::vexaSDK::Common::GuardedRegion(__FILE__, __LINE__, body)
