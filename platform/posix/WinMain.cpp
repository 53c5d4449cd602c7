// The POSIX process entry: hands control to the program's WinMain the way the
// Windows start-up code does (no previous instance, the command line without
// the program name in the ANSI code page, shown normally).
#include <cstdlib>
#include <string>

#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"

int main(int argc, char** argv) {
  const std::string commandLine =
      platform_posix::ProcessCommandLine(std::getenv(platform_posix::kCommandLineVariable), argc, argv);
  std::string arguments(platform_posix::CommandLineArguments(commandLine));
  return WinMain(nullptr, nullptr, &arguments[0], SW_SHOWNORMAL);
}
