// The POSIX process entry: hands control to the program's WinMain the way the
// Windows start-up code does (no previous instance, the command line without
// the program name, shown normally).
#include <string>

#include "platform/Win32.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return WinMain(nullptr, nullptr, &commandLine[0], SW_SHOWNORMAL);
}
