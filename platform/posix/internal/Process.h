// Command-line splitting by the rules of the Windows C runtime, and host
// programs that the stand-in starts on its own behalf (the desktop's opener,
// dialogue programs).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Win32.h"

namespace platform_posix {

// The program name first, then each argument with quotes and backslashes
// resolved.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The first executable file called name in the folders of PATH; empty when
// there is none.
std::string FindOnPath(const std::string& name);

// Asks done() until it says yes or the milliseconds (INFINITE: no bound) have
// passed, sleeping a little longer between asks while it says no.
bool WaitUntil(DWORD milliseconds, const std::function<bool()>& done);

struct HostProgram {
  // argv[0] is looked up on PATH unless it holds a slash; every argument goes
  // to the program as it is, never through a shell.
  std::vector<std::string> argv;
  // The host folder it starts in; empty: ours.
  std::string directory;
  // "NAME=value" entries that replace or add to our environment.
  std::vector<std::string> environment;
  // Out of reach of the terminal's signals, so that it may outlive us.
  bool ownProcessGroup = false;
};

struct HostRun {
  int spawnError = 0;  // errno of a start that failed; 0 when it started
  bool ended = false;  // it ended within the bound
  int exitCode = -1;   // its exit status, or -1 when a signal ended it
};

// Starts the program with standard input, output and error on /dev/null, so
// that it neither reads nor disturbs the terminal, and waits for it for at
// most the milliseconds given (INFINITE: until it ends). A program still
// running then is left to run.
HostRun RunHostProgram(const HostProgram& program, DWORD milliseconds);

}  // namespace platform_posix
