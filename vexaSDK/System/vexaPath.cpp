// Path texts. Splitting a path knows the double-byte characters of the ANSI
// code page, whose second byte may be 0x5C; so does the separator handling.
#include "vexaSDK/System/vexaPath.h"

#include "vexaSDK/TTL/vexaSmartPtr.h"

namespace vexaSDK {
namespace System {
namespace {

struct PathParts {
  std::string drive;
  std::string folder;
  std::string name;
  std::string extension;  // with its "."
};

bool IsLead(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

PathParts SplitPath(const std::string& path) {
  PathParts parts;
  std::size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    start = 2;
  }
  std::size_t folderEnd = start;        // one past the last separator
  std::size_t dot = std::string::npos;  // last "." behind the folder
  for (std::size_t i = start; i < path.size(); ++i) {
    const char c = path[i];
    if (IsLead(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/') {
      folderEnd = i + 1;
      dot = std::string::npos;
    } else if (c == '.') {
      dot = i;
    }
  }
  parts.folder = path.substr(start, folderEnd - start);
  if (dot == std::string::npos) {
    parts.name = path.substr(folderEnd);
  } else {
    parts.name = path.substr(folderEnd, dot - folderEnd);
    parts.extension = path.substr(dot);
  }
  return parts;
}

std::string JoinNameAndExtension(const std::string& name, const std::string& extension) {
  if (extension.empty() || extension[0] == '.') return name + extension;
  return name + "." + extension;
}

}  // namespace

std::string AddPathSeparator(const std::string& path, char separator) {
  const char chosen = separator == '/' ? '/' : '\\';
  const char other = chosen == '/' ? '\\' : '/';
  std::string result;
  result.reserve(path.size() + 1);
  bool endsInSeparator = false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLead(path[i]) && i + 1 < path.size()) {
      // The second byte belongs to the character, even when it is 0x5C.
      result += path[i];
      result += path[++i];
      endsInSeparator = false;
      continue;
    }
    const char c = path[i] == other ? chosen : path[i];
    result += c;
    endsInSeparator = c == chosen;
  }
  if (!result.empty() && !endsInSeparator) result += chosen;
  return result;
}

std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement) {
  // An empty search text occurs everywhere and nowhere; searching for it
  // would never advance.
  if (search.empty()) return text;
  std::string result;
  std::size_t position = 0;
  for (std::size_t found; (found = text.find(search, position)) != std::string::npos;) {
    result.append(text, position, found - position);
    result += replacement;
    position = found + search.size();
  }
  result.append(text, position, std::string::npos);
  return result;
}

std::string GetDirectoryName(const std::string& path, char separator) {
  const PathParts parts = SplitPath(path);
  return AddPathSeparator(parts.drive + parts.folder, separator);
}

std::string GetFileName(const std::string& path) {
  const PathParts parts = SplitPath(path);
  return parts.name + parts.extension;
}

std::string GetFileNameWithExtension(const std::string& path, const std::string& extension) {
  return JoinNameAndExtension(SplitPath(path).name, extension);
}

std::string GetModuleFilePath(HMODULE module) {
  char buffer[MAX_PATH] = {};
  if (GetModuleFileNameA(module, buffer, MAX_PATH) == 0) return std::string();
  return std::string(buffer);
}

std::string GetModuleDirectory(HMODULE module) { return GetDirectoryName(GetModuleFilePath(module), '\\'); }

std::string GetDesktopDirectory(char separator) {
  IMalloc* rawAllocator = nullptr;
  if (FAILED(SHGetMalloc(&rawAllocator)) || rawAllocator == nullptr) return std::string();
  // Dropping the holder releases the allocator on every way out.
  TTL::smart_ptr<IMalloc> allocator(rawAllocator, true, 1, false,
                                    new TTL::ref_object_interface<IMalloc>(rawAllocator));
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list)) || list == nullptr)
    return std::string();
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(list, path)) {
    allocator->Free(list);
    return std::string();
  }
  const std::string folder = AddPathSeparator(path, separator);
  allocator->Free(list);
  return folder;
}

}  // namespace System
}  // namespace vexaSDK
