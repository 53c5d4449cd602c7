// Test hooks of the POSIX stand-in.
#include "platform/Testing.h"

#include "platform/posix/internal/Console.h"
#include "platform/posix/internal/Modules.h"

namespace platform {
namespace testing {

bool SetImagehlpState(ModuleState state) {
  static const platform_posix::BuiltinModule kWithoutExport[] = {{"IMAGEHLP.dll", nullptr, 0}};
  switch (state) {
    case ModuleState::kPresent:
      platform_posix::SetBuiltinModules(nullptr, 0);
      break;
    case ModuleState::kMissing:
      platform_posix::SetBuiltinModules(kWithoutExport, 0);
      break;
    case ModuleState::kWithoutExport:
      platform_posix::SetBuiltinModules(kWithoutExport, 1);
      break;
  }
  return true;
}

bool SetMessageBoxConsole(std::istream* in, std::ostream* out) {
  platform_posix::SetConsoleStreams(in, out);
  return true;
}

}  // namespace testing
}  // namespace platform
