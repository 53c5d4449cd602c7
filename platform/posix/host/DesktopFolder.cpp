// The desktop folder of the host user, read from the XDG user-dirs file the
// way the desktop's file managers read it, so that the report lands in the
// folder they show as the desktop, blanks and all.
#include "platform/posix/internal/DesktopFolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/internal/Posix.h"

namespace platform::posix {
namespace {

const std::string_view kDesktopKey = "XDG_DESKTOP_DIR";
const std::string_view kHomePrefix = "$HOME";

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// The folder one line assigns, or false when the line is no valid
// assignment of the desktop folder.
bool ReadDesktopLine(std::string_view line, const std::string& home, std::string& folder) {
  line = SkipBlanks(line);
  if (line.substr(0, kDesktopKey.size()) != kDesktopKey) return false;
  line = SkipBlanks(line.substr(kDesktopKey.size()));
  if (line.empty() || line.front() != '=') return false;
  line = SkipBlanks(line.substr(1));
  if (line.empty() || line.front() != '"') return false;
  line.remove_prefix(1);
  std::string value;
  if (line.substr(0, kHomePrefix.size()) == kHomePrefix) {
    line.remove_prefix(kHomePrefix.size());
    if (!line.empty() && line.front() == '/') {
      line.remove_prefix(1);
    } else if (!line.empty() && line.front() != '"') {
      return false;  // "$HOMEX" names another variable
    }
    value = home + "/";
  } else if (line.empty() || line.front() != '/') {
    return false;  // relative to nothing the desktop agrees on
  }
  for (std::size_t i = 0; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    value += line[i];
  }
  if (value.size() > 1 && value.back() == '/') value.pop_back();
  folder = value;
  return true;
}

}  // namespace

std::string DesktopDirectoryFrom(std::string_view userDirs, const std::string& home) {
  std::string folder = home + "/Desktop";
  while (!userDirs.empty()) {
    const std::size_t end = userDirs.find('\n');
    ReadDesktopLine(userDirs.substr(0, end), home, folder);
    userDirs.remove_prefix(end == std::string_view::npos ? userDirs.size() : end + 1);
  }
  return folder;
}

std::string DesktopDirectory() {
  const char* home = std::getenv("HOME");
  const std::string homeFolder = home != nullptr ? home : "";
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string config =
      (configHome != nullptr && *configHome != '\0' ? std::string(configHome) : homeFolder + "/.config") +
      "/user-dirs.dirs";
  // Read through the stream, which turns a failed read (the file is a
  // folder, say) into its failed state; the bare buffer would throw.
  std::ifstream file(config, std::ios::binary);
  std::ostringstream userDirs;
  if (file) userDirs << file.rdbuf();
  return DesktopDirectoryFrom(userDirs.str(), homeFolder);
}

}  // namespace platform::posix
