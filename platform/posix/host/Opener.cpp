// The desktop's opener, xdg-open, behind ShellExecuteA: started in a session
// of its own, waited for a bounded time, and its outcome as ShellExecute's
// value.
#include "platform/posix/internal/Opener.h"

#include <cerrno>

#include "platform/posix/internal/Process.h"

namespace platform::posix {
namespace {

DWORD openTimeBound = 5000;

// Any value above 32 means success; 42 is the one the system gives.
const UINT_PTR kOpened = 42;

// When xdg-open itself cannot be started.
UINT_PTR FromSpawnError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return SE_ERR_FNF;
    case EACCES:
    case EPERM:
      return SE_ERR_ACCESSDENIED;
    case ENOMEM:
    case EAGAIN:
      return SE_ERR_OOM;
    case ENOEXEC:
      return ERROR_BAD_FORMAT;
    default:
      return SE_ERR_NOASSOC;
  }
}

// From xdg-open's exit status: 2 says the file does not exist; 1 (bad
// arguments), 3 (no program for it), 4 (the program failed) and an end by a
// signal all say that nothing could open it.
UINT_PTR FromOpenerExit(int exitCode) { return exitCode == 2 ? SE_ERR_FNF : SE_ERR_NOASSOC; }

}  // namespace

DWORD SetOpenTimeBound(DWORD milliseconds) {
  const DWORD previous = openTimeBound;
  openTimeBound = milliseconds;
  return previous;
}

UINT_PTR OpenOnDesktop(const std::string& target, const std::string& directory) {
  HostProgram opener;
  // The program it starts may be the mail program itself, which must outlive
  // us, must not be stopped by a Ctrl-C at our terminal and, when it runs in
  // a terminal, must be given one of its own (xdg-open opens one only for a
  // program without a controlling terminal).
  opener.ownSession = true;
  opener.directory = directory;
  opener.argv = {"xdg-open", target};
  const HostRun run = RunHostProgram(opener, openTimeBound);
  if (run.spawnError != 0) return FromSpawnError(run.spawnError);
  if (run.ended && run.exitCode != 0) return FromOpenerExit(run.exitCode);
  return kOpened;
}

}  // namespace platform::posix
