// Command lines by the rules of the Windows C runtime, and the exact command
// line that a stand-in process receives from the stand-in's CreateProcessA.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform_posix {

// The program name first, then each argument with quotes and backslashes
// resolved.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// What follows the program name and the blanks after it, as the start-up code
// of a Windows program hands it to WinMain.
std::string_view CommandLineArguments(std::string_view commandLine);

// A host process has only its argument vector, which loses the blanks and
// quotes of a Windows command line. CreateProcessA therefore also hands the
// child the line itself (in UTF-8) in this environment variable.
extern const char kCommandLineVariable[];

// The process's command line in code page 932: `handedOver` (the variable's
// value, or null) when it splits into exactly `argv`, so that a value
// inherited from an unrelated ancestor is never taken; else `argv` joined so
// that the Windows rules give the same arguments back.
std::string ProcessCommandLine(const char* handedOver, int argc, char** argv);

}  // namespace platform_posix
