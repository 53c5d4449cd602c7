// File attributes, deletion and folder creation over the host file system.
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/internal/Posix.h"

using platform::posix::FailWithErrno;
using platform::posix::ToHostPath;

namespace {

// A missing parent folder is "path not found", a missing last part "file not
// found", as on Windows.
DWORD NotFoundError(const std::string& hostPath) {
  std::string trimmed = hostPath;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  struct stat parent;
  const std::string parentPath = slash == 0 ? std::string("/") : trimmed.substr(0, slash);
  if (stat(parentPath.c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)) return ERROR_PATH_NOT_FOUND;
  return ERROR_FILE_NOT_FOUND;
}

// Maps the ANSI path and reads its host status; false with the last error set
// as Windows sets it.
bool StatPath(LPCSTR fileName, std::string& path, struct stat& info) {
  if (!ToHostPath(fileName, path)) return false;
  if (stat(path.c_str(), &info) == 0) return true;
  SetLastError(errno == ENOENT ? NotFoundError(path) : platform::posix::Win32ErrorFromErrno(errno));
  return false;
}

bool IsReadOnly(const struct stat& info) { return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

}  // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  std::string path;
  struct stat info;
  if (!StatPath(fileName, path, info)) return INVALID_FILE_ATTRIBUTES;
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  if (IsReadOnly(info)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  std::string path;
  struct stat info;
  if (!StatPath(fileName, path, info)) return FALSE;
  // Only the read-only bit has a host meaning, and folders ignore it on Windows.
  if (S_ISDIR(info.st_mode)) return TRUE;
  mode_t mode = info.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  if (mode != (info.st_mode & 07777) && chmod(path.c_str(), mode) != 0) return FailWithErrno(FALSE);
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  std::string path;
  struct stat info;
  if (!StatPath(fileName, path, info)) return FALSE;
  if (S_ISDIR(info.st_mode) || IsReadOnly(info)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(path.c_str()) != 0) return FailWithErrno(FALSE);
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  std::string path;
  if (!ToHostPath(pathName, path)) return FALSE;
  if (mkdir(path.c_str(), 0777) != 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : platform::posix::Win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR pathName) {
  std::string path;
  if (!ToHostPath(pathName, path)) return FALSE;
  if (rmdir(path.c_str()) != 0) {
    SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : platform::posix::Win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}
