// The desktop's opener behind ShellExecuteA.
#pragma once

#include <string>

#include "platform/Win32.h"

namespace platform::posix {

// How long ShellExecuteA waits for xdg-open to end; one still running then has
// started the program it hands the file to, and counts as success.
DWORD SetOpenTimeBound(DWORD milliseconds);

// The host path of the desktop folder, as the desktop's own tools read it;
// empty when there is none.
std::string DesktopDirectory();

}  // namespace platform::posix
