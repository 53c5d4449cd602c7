// The desktop's opener behind ShellExecuteA.
#pragma once

#include "platform/Win32.h"

namespace platform::posix {

// How long ShellExecuteA waits for xdg-open to end; one still running then has
// started the program it hands the file to, and counts as success.
DWORD SetOpenTimeBound(DWORD milliseconds);

}  // namespace platform::posix
