// Texts from a report or a file name on their way to a terminal: control
// characters shown as visible escapes, so that none of them moves the
// cursor, clears the screen, retitles the window or forges a line.
#pragma once

#include <string>
#include <string_view>

namespace vexaEnvReader {

// C0 controls and DEL as "\r", "\n", "\t" or "\x1b"; C1 controls (U+0080 to
// U+009F) as "\u009b"; a byte that is not well-formed UTF-8 as "\xff".
// Everything else, backslashes included, stays as it is.
std::string TerminalText(std::string_view utf8);

}  // namespace vexaEnvReader
