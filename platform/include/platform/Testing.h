// Hooks that let tests put the system into states a machine rarely shows.
// Each returns false where the real system is in use and cannot be changed;
// tests then skip what needs the hook.
#pragma once

#include <istream>
#include <ostream>

namespace platform {
namespace testing {

enum class ModuleState { kPresent, kMissing, kWithoutExport };

// How LoadLibraryA and GetProcAddress see IMAGEHLP.dll and its
// MakeSureDirectoryPathExists from now on.
bool SetImagehlpState(ModuleState state);

// Where message boxes ask and read their answer; null restores the terminal.
bool SetMessageBoxConsole(std::istream* in, std::ostream* out);

}  // namespace testing
}  // namespace platform
