// The POSIX process entry: hands control to the program's WinMain the way the
// Windows start-up code does (no previous instance, the command line without
// the program name in the ANSI code page, shown normally).
#include <string>

#include "platform/posix/internal/Posix.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    const std::string argument = platform_posix::Utf8ToAnsi(argv[i]);
    const bool quote = argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
    if (!quote) {
      commandLine += argument;
      continue;
    }
    // Quoted so that the Windows rules give the same argument back.
    commandLine += '"';
    std::size_t backslashes = 0;
    for (char c : argument) {
      if (c == '\\') {
        ++backslashes;
      } else {
        if (c == '"') commandLine.append(backslashes + 1, '\\');
        backslashes = 0;
      }
      commandLine += c;
    }
    commandLine.append(backslashes, '\\');
    commandLine += '"';
  }
  return WinMain(nullptr, nullptr, &commandLine[0], SW_SHOWNORMAL);
}
