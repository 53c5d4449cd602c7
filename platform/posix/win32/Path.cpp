// Paths and last errors at the boundary with the host: drive Z: is the host
// root, backslashes are separators, names travel in code page 932.
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/posix/internal/Posix.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD errorCode) { lastError = errorCode; }

namespace platform::posix {

DWORD Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
      return ERROR_DISK_FULL;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case EIO:
      return ERROR_GEN_FAILURE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

bool ToHostPath(const char* ansiPath, std::string& hostPath) {
  if (ansiPath == nullptr || *ansiPath == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  // In UTF-8 a 0x5C byte is always a backslash, never the trail byte of a
  // double-byte character, so separators can be turned only after conversion.
  std::string path = AnsiToUtf8(ansiPath);
  if (path.size() >= 2 && path[1] == ':') {
    if (path[0] != 'Z' && path[0] != 'z') {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
    path.erase(0, 2);
    if (path.empty() || (path[0] != '\\' && path[0] != '/')) path.insert(0, 1, '/');
  }
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  hostPath.swap(path);
  return true;
}

std::string ToWindowsPath(std::string_view hostPath) {
  std::string path(hostPath);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (!path.empty() && path[0] == '\\') path.insert(0, "Z:");
  return Utf8ToAnsi(path);
}

std::string HostExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string HostExecutableDirectory() {
  const std::string path = HostExecutablePath();
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace platform::posix
