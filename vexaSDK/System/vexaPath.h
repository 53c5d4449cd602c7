// Path texts, the module's file and folder, and the user's desktop folder.
// Strings are in the ANSI code page; folder texts end in a separator unless
// empty, and failures of the system give empty texts.
#pragma once

#include <string>

#include "platform/Win32.h"

namespace vexaSDK {
namespace System {

// `separator` '/' chooses the slash; any other character the backslash. The
// other separator is turned into the chosen one, which also ends the text.
std::string AddPathSeparator(const std::string& path, char separator);
// Every occurrence of `search`, left to right, without overlap; an empty
// `search` leaves the text as it is.
std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement);

std::string GetDirectoryName(const std::string& path, char separator);
std::string GetFileName(const std::string& path);
// The file name of `path` with its extension replaced by `extension`.
std::string GetFileNameWithExtension(const std::string& path, const std::string& extension);

// Null names the program's own executable.
std::string GetModuleFilePath(HMODULE module);
std::string GetModuleDirectory(HMODULE module);
std::string GetDesktopDirectory(char separator);

}  // namespace System
}  // namespace vexaSDK
