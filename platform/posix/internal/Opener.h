// The desktop's opener behind ShellExecuteA.
#pragma once

#include <string>

#include "platform/Win32.h"

namespace platform::posix {

// How long ShellExecuteA waits for xdg-open to end; one still running then has
// started the program it hands the file to, and counts as success.
DWORD SetOpenTimeBound(DWORD milliseconds);

// Hands `target` (a host path or a link, UTF-8) to xdg-open, started in the
// host folder `directory` (empty: ours). The value ShellExecuteA returns:
// above 32 when it opened, else the SE_ERR_ value or ERROR_BAD_FORMAT.
UINT_PTR OpenOnDesktop(const std::string& target, const std::string& directory);

}  // namespace platform::posix
