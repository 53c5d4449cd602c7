// The shell's task allocator, the desktop folder and the "open" verb. The
// desktop is the XDG desktop folder of the host user; an item identifier list
// carries its host path. Opening hands the file or link to the desktop's
// opener, xdg-open.
#include "platform/posix/internal/Shell.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNameCharacter(char c, bool first) {
  return c == '_' || std::isalpha(static_cast<unsigned char>(c)) ||
         (!first && std::isdigit(static_cast<unsigned char>(c)));
}

using ShellVariables = std::map<std::string, std::string>;

// A variable as the shell that sources user-dirs.dirs sees it: one the file
// set earlier, else the environment's.
std::string Variable(const ShellVariables& assigned, const std::string& name) {
  const auto found = assigned.find(name);
  if (found != assigned.end()) return found->second;
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? value : "";
}

// "$NAME" or "${NAME}" at `i` (on the '$'), expanded; `i` then points behind
// it. A '$' that starts neither stays. False for a "${" the shell refuses.
bool ExpandVariable(std::string_view text, std::size_t& i, const ShellVariables& assigned,
                    std::string& word) {
  const bool braced = i + 1 < text.size() && text[i + 1] == '{';
  std::size_t end = i + (braced ? 2 : 1);
  const std::size_t start = end;
  while (end < text.size() && IsNameCharacter(text[end], end == start)) ++end;
  if (braced && (end == start || end >= text.size() || text[end] != '}')) return false;
  if (end == start) {
    word += '$';
    ++i;
    return true;
  }
  word += Variable(assigned, std::string(text.substr(start, end - start)));
  i = end + (braced ? 1 : 0);
  return true;
}

// The shell word at `i` of one line, as an assignment's value: quotes
// removed, backslashes resolved, variables and a leading "~" expanded, no
// splitting. Stops at an unquoted blank or ';'. False for what the shell refuses (an open quote, a bad "${").
bool ReadShellWord(std::string_view text, std::size_t& i, const ShellVariables& assigned, std::string& word) {
  if (i < text.size() && text[i] == '~' && (i + 1 == text.size() || text[i + 1] == '/' || IsBlank(text[i + 1]))) {
    word += Variable(assigned, "HOME");
    ++i;
  }
  while (i < text.size() && !IsBlank(text[i]) && text[i] != ';') {
    const char c = text[i];
    if (c == '\\') {
      if (i + 1 < text.size()) word += text[i + 1];
      i += 2;
    } else if (c == '\'') {
      const std::size_t close = text.find('\'', i + 1);
      if (close == std::string_view::npos) return false;
      word.append(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (c == '"') {
      for (++i;; ) {
        if (i >= text.size()) return false;
        if (text[i] == '"') break;
        if (text[i] == '\\' && i + 1 < text.size() && std::strchr("\"\\$`", text[i + 1]) != nullptr) {
          word += text[i + 1];
          i += 2;
        } else if (text[i] == '$') {
          if (!ExpandVariable(text, i, assigned, word)) return false;
        } else {
          word += text[i++];
        }
      }
      ++i;
    } else if (c == '$') {
      if (!ExpandVariable(text, i, assigned, word)) return false;
    } else {
      word += c;
      ++i;
    }
  }
  return true;
}

// The desktop folder as xdg-user-dir DESKTOP prints it: the shell sources
// user-dirs.dirs (so the last assignment wins, quotes and variables are the
// shell's) and echoes the value, or "$HOME/Desktop" when it is empty, split
// at blanks and joined by single spaces. A file the shell refuses gives no
// folder; a relative one is taken from the current folder.
std::string HostDesktopDirectory() {
  const std::string home = Variable({}, "HOME");
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const std::string config =
      (configHome && *configHome ? std::string(configHome) : home + "/.config") + "/user-dirs.dirs";
  std::ifstream dirs(config);
  ShellVariables assigned;
  std::string line;
  while (std::getline(dirs, line)) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (line.compare(i, 7, "export ") == 0) {
      for (i += 7; i < line.size() && IsBlank(line[i]);) ++i;
    }
    const std::size_t name = i;
    while (i < line.size() && IsNameCharacter(line[i], i == name)) ++i;
    if (i == name || i >= line.size() || line[i] != '=') continue;
    std::string value;
    ++i;
    if (!ReadShellWord(line, i, assigned, value)) return std::string();
    while (i < line.size() && IsBlank(line[i])) ++i;
    // Followed by a command, the assignment is that command's alone.
    if (i < line.size() && line[i] != '#' && line[i] != ';') continue;
    assigned[line.substr(name, line.find('=', name) - name)] = value;
  }
  std::string echoed = Variable(assigned, "XDG_DESKTOP_DIR");
  if (echoed.empty()) echoed = home + "/Desktop";
  std::string path;
  for (std::size_t i = 0; i < echoed.size();) {
    const std::size_t end = echoed.find_first_of(" \t\n", i);
    const std::string_view field = std::string_view(echoed).substr(i, end == std::string::npos ? end : end - i);
    if (!field.empty()) path.append(path.empty() ? "" : " ").append(field);
    i = end == std::string::npos ? echoed.size() : end + 1;
  }
  if (!path.empty() && path[0] != '/') {
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof folder) == nullptr) return std::string();
    path = std::string(folder) + "/" + path;
  }
  return path;
}

}  // namespace

std::string platform::posix::DesktopDirectory() { return HostDesktopDirectory(); }

namespace {

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
  // us, must not be stopped by a Ctrl-C at our terminal and, when it runs in
  // a terminal, must be given one of its own (xdg-open opens one only for a
  // program without a controlling terminal).
  opener.ownSession = true;
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
