// The tool's options on a Linux PATH: --version and --help answer without
// asking or writing anything. The Windows program has no options, so any
// other argument is refused here instead of being ignored by a run that then
// asks its first question.
#include <cstdio>
#include <cstring>

#include "platform/Win32.h"

namespace {

const char kUsage[] =
    u8"Usage: vexaEnvChecker\n"
    u8"       vexaEnvChecker --version | --help\n"
    u8"\n"
    u8"Writes envInfo.txt, the environment report the game's support desk asks for,\n"
    u8"to your desktop folder: the dxdiag report of this computer followed by what\n"
    u8"its Direct3D 8 adapters support. It asks before it does anything (on this\n"
    u8"terminal, or in desktop dialogues when started from the application menu)\n"
    u8"and then offers to prepare the support mail. A run ends with exit status 0\n"
    u8"whatever happens.\n"
    u8"\n"
    u8"  --help     show this text and exit\n"
    u8"  --version  show the version and exit\n";

bool Is(const char* argument, const char* option) { return std::strcmp(argument, option) == 0; }
bool IsHelp(const char* argument) { return Is(argument, "--help") || Is(argument, "-h"); }

}  // namespace

int HostOptionsMain(int argc, char** argv) {
  if (argc == 2 && Is(argv[1], "--version")) {
    std::fputs(u8"vexaEnvChecker " VEXA_VERSION "\n", stdout);
    return 0;
  }
  if (argc == 2 && IsHelp(argv[1])) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  int at = 1;
  while (at < argc && (Is(argv[at], "--version") || IsHelp(argv[at]))) ++at;
  if (at < argc) {
    std::fprintf(stderr, u8"vexaEnvChecker: unrecognised argument '%s'\n", argv[at]);
  } else {
    std::fputs(u8"vexaEnvChecker: one option at a time\n", stderr);
  }
  std::fputs(u8"Try 'vexaEnvChecker --help'.\n", stderr);
  return 2;
}
