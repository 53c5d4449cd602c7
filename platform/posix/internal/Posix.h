// Shared pieces of the POSIX stand-in: the code-page and path conversions
// at the boundary with the host, and the mapping of host errors to Win32
// last-error codes. Only files in platform/posix include this.
#pragma once

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/Win32.h"

namespace platform::posix {

// Code page 932 to UTF-8 and back; what does not convert becomes '?', as the
// system's own conversions do, but for host characters that code page 932
// lacks: they take codes of its user-defined area that only this process
// knows, for names, command lines, terminal and dialogue text.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
// For text that outlives the process (what goes into a file): what code page
// 932 lacks becomes '?'.
std::string Utf8ToAnsiLossy(std::string_view utf8);

// "Z:\a\b" (the host root is drive Z:), "\a\b" and relative "a\b" to the host
// path "/a/b" or "a/b"; false for other drives and for names that cannot live
// on the host (the caller's last error is then set).
bool ToHostPath(const char* ansiPath, std::string& hostPath);
// "/a/b" to "Z:\a\b" in code page 932; relative host paths only turn slashes.
std::string ToWindowsPath(std::string_view hostPath);

// The Win32 code for a host errno value.
DWORD Win32ErrorFromErrno(int error);
// Sets the last error from errno and returns the value given.
template <typename T>
T FailWithErrno(T result);

// The running executable on the host (empty with errno set when unknown),
// and its folder with a trailing '/'.
std::string HostExecutablePath();
std::string HostExecutableDirectory();

// A blank between words, as command lines and the shell's files have them.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace platform::posix

template <typename T>
T platform::posix::FailWithErrno(T result) {
  SetLastError(Win32ErrorFromErrno(errno));
  return result;
}
