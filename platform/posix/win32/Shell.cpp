// The shell's task allocator, the desktop folder and the "open" verb. The
// desktop is the XDG desktop folder of the host user; an item identifier list
// carries its host path. Opening hands the file or link to the desktop's
// opener.
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Win32.h"
#include "platform/posix/internal/DesktopFolder.h"
#include "platform/posix/internal/Opener.h"
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
  const std::string path = platform::posix::DesktopDirectory();
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

  std::string folder;
  if (directory != nullptr && *directory != '\0') {
    struct stat info;
    if (!ToHostPath(directory, folder) || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
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
  const UINT_PTR opened = OpenOnDesktop(target, folder);
  return opened > 32 ? reinterpret_cast<HINSTANCE>(opened) : ShellFailure(opened);
}
