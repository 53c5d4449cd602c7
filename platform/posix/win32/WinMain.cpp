// The POSIX process entry: hands control to the program's WinMain the way the
// Windows start-up code does (no previous instance, shown normally), with an
// empty command line. Arguments, which the Windows program never gets, are
// the program's own to answer (HostOptionsMain).
#include <signal.h>

#include "platform/Win32.h"

int main(int argc, char** argv) {
  // A terminal whose reader has gone is a box nobody can answer, not a
  // reason to die before the run has said a word.
  signal(SIGPIPE, SIG_IGN);
  if (argc > 1) return HostOptionsMain(argc, argv);
  char noArguments[] = "";
  return WinMain(nullptr, nullptr, noArguments, SW_SHOWNORMAL);
}
