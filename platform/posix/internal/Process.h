// Command lines by the rules of the Windows C runtime, the exact command line
// that a stand-in process receives from the stand-in's CreateProcessA, and
// host programs that the stand-in starts on its own behalf (the desktop's
// opener, dialogue programs).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32.h"

namespace platform::posix {

// The program name first, then each argument with quotes and backslashes
// resolved.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// What follows the program name and the blanks after it, as the start-up code
// of a Windows program hands it to WinMain.
std::string_view CommandLineArguments(std::string_view commandLine);

// A host process has only its argument vector, which loses the blanks and
// quotes of a Windows command line. CreateProcessA therefore also hands the
// child the line itself (in UTF-8) in this environment variable.
extern const char kCommandLineVariable[];

// The process's command line in code page 932: `handedOver` (the variable's
// value, or null) when it splits into exactly `argv`, so that a value
// inherited from an unrelated ancestor is never taken; else `argv` joined so
// that the Windows rules give the same arguments back.
std::string ProcessCommandLine(const char* handedOver, int argc, char** argv);

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
  // In a session of its own, without our controlling terminal: out of reach
  // of the terminal's signals, so that it may outlive us, and a program that
  // needs a terminal gets a window of its own instead of our standard input.
  bool ownSession = false;
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

}  // namespace platform::posix
