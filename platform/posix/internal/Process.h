// Command-line splitting by the rules of the Windows C runtime.
#pragma once

#include <string>
#include <vector>

namespace platform_posix {

// The program name first, then each argument with quotes and backslashes
// resolved.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace platform_posix
