// Where message boxes ask: the terminal, or streams a test puts in its place.
#pragma once

#include <istream>
#include <ostream>

namespace platform_posix {

// Null restores standard input and output.
void SetConsoleStreams(std::istream* in, std::ostream* out);

}  // namespace platform_posix
