// The shell's task allocator and the desktop folder. The desktop is the XDG
// desktop folder of the host user; an item identifier list carries its host
// path.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

#include "platform/posix/internal/Posix.h"

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

}  // namespace

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
  const std::string windowsPath = platform_posix::ToWindowsPath(hostPath);
  if (windowsPath.size() >= MAX_PATH) return FALSE;
  std::memcpy(path, windowsPath.c_str(), windowsPath.size() + 1);
  return TRUE;
}
