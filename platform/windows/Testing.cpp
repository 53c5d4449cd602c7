// On Windows the tests meet the system's own modules and message boxes.
#include "platform/Testing.h"

namespace platform {
namespace testing {

bool SetImagehlpState(ModuleState state) { return state == ModuleState::kPresent; }

bool SetMessageBoxConsole(std::istream* in, std::ostream* out) { return in == nullptr && out == nullptr; }

}  // namespace testing
}  // namespace platform
