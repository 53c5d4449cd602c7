// Where message boxes ask: the terminal, or streams a test puts in its place.
#pragma once

#include <istream>
#include <ostream>

#include "platform/Win32.h"

namespace platform::posix {

// Null restores standard input and output.
void SetConsoleStreams(std::istream* in, std::ostream* out);

// The owner and style of the last box shown (null and 0 before the first).
void GetLastBox(HWND& owner, UINT& style);

}  // namespace platform::posix
