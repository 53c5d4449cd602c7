// Hooks that let tests put the system into states a machine rarely shows.
// Each returns false where the real system is in use and cannot be changed;
// tests then skip what needs the hook.
#pragma once

#include <istream>
#include <memory>
#include <ostream>

#include "platform/Win32.h"

namespace platform {
namespace d3d8 {
class CRuntimeModel;
}

namespace testing {

enum class ModuleState { kPresent, kMissing, kWithoutExport };

// How LoadLibraryA and GetProcAddress see IMAGEHLP.dll and its
// MakeSureDirectoryPathExists from now on.
bool SetImagehlpState(ModuleState state);

// Where message boxes ask and read their answer; null restores the terminal.
bool SetMessageBoxConsole(std::istream* in, std::ostream* out);

// The owner window and style of the last box MessageBoxA showed.
bool GetLastMessageBox(HWND& owner, UINT& style);

// What Direct3DCreate8 serves from now on: an IDirect3D8 over `model`, or
// with null the system's own runtime again. Works on every platform.
bool SetDirect3DModel(const std::shared_ptr<d3d8::CRuntimeModel>& model);

}  // namespace testing
}  // namespace platform
