// The wide half of ShellExecute932, which a system with code page 932 as its
// own never takes, so that tests reach it on any system.
#pragma once

#include "platform/Win32.h"

namespace platform::windows {

// ShellExecuteW with every text read as code page 932; ShellExecuteA with the
// texts as they are when one cannot be read so.
HINSTANCE ShellExecuteThroughWide(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                  LPCSTR directory, INT showCommand);

}  // namespace platform::windows
