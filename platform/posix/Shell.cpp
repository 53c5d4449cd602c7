// The shell's task allocator, the desktop folder and the "open" verb. The
// desktop is the XDG desktop folder of the host user; an item identifier list
// carries its host path. Opening hands the file or link to the desktop's
// opener, xdg-open.
#include "platform/posix/internal/Shell.h"

#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"

namespace {

class TaskAllocator final : public IMalloc {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    if (object == nullptr) return E_INVALIDARG;
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The task allocator lives as long as the process; the count is kept only
  // so that callers see the values they would on Windows.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return references_ > 1 ? --references_ : 1; }
  void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return std::malloc(size); }
  void* STDMETHODCALLTYPE Realloc(void* memory, SIZE_T size) override { return std::realloc(memory, size); }
  void STDMETHODCALLTYPE Free(void* memory) override { std::free(memory); }
  SIZE_T STDMETHODCALLTYPE GetSize(void*) override { return static_cast<SIZE_T>(-1); }
  int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
  void STDMETHODCALLTYPE HeapMinimize() override {}

 private:
  ULONG references_ = 1;
};

TaskAllocator taskAllocator;

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

// XDG_DESKTOP_DIR from user-dirs.dirs, "$HOME" expanded; else $HOME/Desktop.
std::string HostDesktopDirectory() {
  const std::string home = HomeDirectory();
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string config =
      (configHome && *configHome ? std::string(configHome) : home + "/.config") + "/user-dirs.dirs";
  std::ifstream dirs(config);
  std::string line;
  const std::string key = "XDG_DESKTOP_DIR=";
  while (std::getline(dirs, line)) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.rfind('"') - 1);
    if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
    if (!value.empty() && value[0] == '/') return value;
  }
  return home.empty() ? std::string() : home + "/Desktop";
}

DWORD openTimeBound = 5000;

// Any value above 32 means success; 42 is the one the system gives.
const UINT_PTR kOpened = 42;

// A result of 32 or less, with the last error the system sets beside it.
HINSTANCE ShellFailure(UINT_PTR value) {
  switch (value) {
    case SE_ERR_FNF:
      SetLastError(ERROR_FILE_NOT_FOUND);
      break;
    case SE_ERR_PNF:
      SetLastError(ERROR_PATH_NOT_FOUND);
      break;
    case SE_ERR_ACCESSDENIED:
      SetLastError(ERROR_ACCESS_DENIED);
      break;
    case SE_ERR_OOM:
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      break;
    case ERROR_BAD_FORMAT:
      SetLastError(ERROR_BAD_FORMAT);
      break;
    default:
      SetLastError(ERROR_NO_ASSOCIATION);
      break;
  }
  return reinterpret_cast<HINSTANCE>(value);
}

// When xdg-open itself cannot be started.
UINT_PTR FromSpawnError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return SE_ERR_FNF;
    case EACCES:
    case EPERM:
      return SE_ERR_ACCESSDENIED;
    case ENOMEM:
    case EAGAIN:
      return SE_ERR_OOM;
    case ENOEXEC:
      return ERROR_BAD_FORMAT;
    default:
      return SE_ERR_NOASSOC;
  }
}

// From xdg-open's exit status: 2 says the file does not exist; 1 (bad
// arguments), 3 (no program for it), 4 (the program failed) and an end by a
// signal all say that nothing could open it.
UINT_PTR FromOpenerExit(int exitCode) { return exitCode == 2 ? SE_ERR_FNF : SE_ERR_NOASSOC; }

// "mailto:", "https:" and the like: a scheme of at least two characters, so
// that "C:" stays a drive.
bool IsLink(const char* file) {
  std::size_t length = 0;
  if (!std::isalpha(static_cast<unsigned char>(file[0]))) return false;
  while (std::isalnum(static_cast<unsigned char>(file[length])) || file[length] == '+' ||
         file[length] == '-' || file[length] == '.') {
    ++length;
  }
  return length >= 2 && file[length] == ':';
}

}  // namespace

DWORD platform::posix::SetOpenTimeBound(DWORD milliseconds) {
  const DWORD previous = openTimeBound;
  openTimeBound = milliseconds;
  return previous;
}

HRESULT WINAPI SHGetMalloc(LPMALLOC* malloc) {
  if (malloc == nullptr) return E_INVALIDARG;
  taskAllocator.AddRef();
  *malloc = &taskAllocator;
  return S_OK;
}

HRESULT WINAPI SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* pidl) {
  if (pidl == nullptr) return E_INVALIDARG;
  *pidl = nullptr;
  if (folder != CSIDL_DESKTOP && folder != CSIDL_DESKTOPDIRECTORY) return E_INVALIDARG;
  const std::string path = HostDesktopDirectory();
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }
  // One item holding the host path, then the terminating empty item.
  const std::size_t itemSize = sizeof(WORD) + path.size() + 1;
  BYTE* list = static_cast<BYTE*>(taskAllocator.Alloc(itemSize + sizeof(WORD)));
  if (list == nullptr) return E_OUTOFMEMORY;
  const WORD cb = static_cast<WORD>(itemSize);
  std::memcpy(list, &cb, sizeof cb);
  std::memcpy(list + sizeof cb, path.c_str(), path.size() + 1);
  std::memset(list + itemSize, 0, sizeof(WORD));
  *pidl = reinterpret_cast<LPITEMIDLIST>(list);
  return S_OK;
}

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR path) {
  if (pidl == nullptr || path == nullptr) return FALSE;
  WORD cb;
  std::memcpy(&cb, pidl, sizeof cb);
  if (cb <= sizeof(WORD)) return FALSE;
  const char* hostPath = reinterpret_cast<const char*>(pidl) + sizeof(WORD);
  const std::string windowsPath = platform::posix::ToWindowsPath(hostPath);
  if (windowsPath.size() >= MAX_PATH) return FALSE;
  std::memcpy(path, windowsPath.c_str(), windowsPath.size() + 1);
  return TRUE;
}

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               INT) {
  using namespace platform::posix;
  // xdg-open knows one verb, the default one; any other has no handler.
  if (operation != nullptr && *operation != '\0' && strcasecmp(operation, "open") != 0) {
    return ShellFailure(SE_ERR_NOASSOC);
  }
  if (file == nullptr || *file == '\0') return ShellFailure(SE_ERR_FNF);
  // xdg-open takes the file alone; arguments for it would be silently lost.
  if (parameters != nullptr && *parameters != '\0') return ShellFailure(SE_ERR_NOASSOC);

  HostProgram opener;
  // The program it starts may be the mail program itself, which must outlive
  // us and must not be stopped by a Ctrl-C at our terminal.
  opener.ownProcessGroup = true;
  if (directory != nullptr && *directory != '\0') {
    struct stat info;
    if (!ToHostPath(directory, opener.directory) || stat(opener.directory.c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode)) {
      return ShellFailure(SE_ERR_PNF);
    }
  }
  std::string target;
  if (IsLink(file)) {
    target = AnsiToUtf8(file);
  } else {
    if (!ToHostPath(file, target)) return ShellFailure(SE_ERR_PNF);
    if (target[0] == '-') target.insert(0, "./");  // a file, never an option
  }
  opener.argv = {"xdg-open", target};
  const HostRun run = RunHostProgram(opener, openTimeBound);
  if (run.spawnError != 0) return ShellFailure(FromSpawnError(run.spawnError));
  if (run.ended && run.exitCode != 0) return ShellFailure(FromOpenerExit(run.exitCode));
  return reinterpret_cast<HINSTANCE>(kOpened);
}
