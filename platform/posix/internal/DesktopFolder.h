// The host user's desktop folder, as the desktop's own file managers find it
// in the XDG user-dirs file.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// The desktop folder that the user-dirs file `userDirs` names for the home
// folder `home`: the last valid XDG_DESKTOP_DIR line, its double-quoted value
// read as written (a backslash takes the next character as it is), starting
// with "$HOME/" (or "$HOME" alone) or "/"; any other line is ignored, as the
// desktop's own readers ignore it. Without a valid line, "$HOME/Desktop".
std::string DesktopDirectoryFrom(std::string_view userDirs, const std::string& home);

// The host path of this user's desktop folder, from
// $XDG_CONFIG_HOME/user-dirs.dirs (else ~/.config/user-dirs.dirs).
std::string DesktopDirectory();

}  // namespace platform::posix
