// The program's own module file and the modules the program loads at run
// time. The host has no DLLs: loadable modules are a table of built-in ones.
#include <strings.h>

#include <cstring>
#include <vector>

#include "platform/posix/internal/Modules.h"
#include "platform/posix/internal/Observer.h"
#include "platform/posix/internal/Posix.h"

namespace platform::posix {
namespace {

// Creates every folder named up to the last backslash; a last part without a
// trailing backslash is a file name. Trail bytes of double-byte characters
// are never separators.
BOOL WINAPI MakeSureDirectoryPathExists(PCSTR dirPath) {
  if (dirPath == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::size_t length = std::strlen(dirPath);
  std::size_t start = 0;
  if (length >= 2 && dirPath[1] == ':') start = 2;
  if (start < length && dirPath[start] == '\\') ++start;  // the root always exists
  for (std::size_t i = start; i < length; ++i) {
    const BYTE byte = static_cast<BYTE>(dirPath[i]);
    if (IsDBCSLeadByte(byte) && i + 1 < length) {
      ++i;
      continue;
    }
    if (dirPath[i] != '\\') continue;
    const std::string folder(dirPath, i);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return FALSE;
  }
  return TRUE;
}

const BuiltinExport kImagehlpExports[] = {
    {"MakeSureDirectoryPathExists",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&MakeSureDirectoryPathExists))},
};

const BuiltinModule kDefaultModules[] = {
    {"IMAGEHLP.dll", kImagehlpExports, sizeof kImagehlpExports / sizeof kImagehlpExports[0]},
};

struct LoadedModule {
  const BuiltinModule* module;
  int references;
};

std::vector<LoadedModule> loaded;
unsigned long loadedGeneration = 0;

// The loadable modules: the built-in ones, or those a test program put in
// their place. When it puts new ones, those loaded before are gone.
ModuleTable Modules() {
  ModuleTable table = observer != nullptr ? observer->Modules() : ModuleTable();
  if (table.generation != loadedGeneration) {
    loaded.clear();
    loadedGeneration = table.generation;
  }
  if (table.modules == nullptr) {
    table.modules = kDefaultModules;
    table.count = sizeof kDefaultModules / sizeof kDefaultModules[0];
  }
  return table;
}

// Windows adds ".dll" to a name without an extension and compares without case.
bool SameModuleName(const char* wanted, const char* builtin) {
  if (strcasecmp(wanted, builtin) == 0) return true;
  const std::string withExtension = std::string(wanted) + ".dll";
  return std::strchr(wanted, '.') == nullptr && strcasecmp(withExtension.c_str(), builtin) == 0;
}

LoadedModule* FindLoaded(HMODULE handle) {
  Modules();
  for (LoadedModule& entry : loaded) {
    if (entry.module == static_cast<const void*>(handle)) return &entry;
  }
  return nullptr;
}

}  // namespace

}  // namespace platform::posix

using namespace platform::posix;

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module != nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const std::string hostPath = HostExecutablePath();
  if (hostPath.empty()) return FailWithErrno<DWORD>(0);
  const std::string path = ToWindowsPath(hostPath);
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= size) {
    // Truncated and terminated, with the buffer size as the result.
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

HMODULE WINAPI LoadLibraryA(LPCSTR libFileName) {
  if (libFileName == nullptr || *libFileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const ModuleTable table = Modules();
  const BuiltinModule* modules = table.modules;
  for (std::size_t i = 0; i < table.count; ++i) {
    if (!SameModuleName(libFileName, modules[i].name)) continue;
    for (LoadedModule& entry : loaded) {
      if (entry.module == &modules[i]) {
        ++entry.references;
        return reinterpret_cast<HMODULE>(const_cast<BuiltinModule*>(entry.module));
      }
    }
    loaded.push_back({&modules[i], 1});
    return reinterpret_cast<HMODULE>(const_cast<BuiltinModule*>(&modules[i]));
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
  const LoadedModule* entry = FindLoaded(module);
  if (entry == nullptr) {
    SetLastError(module == nullptr ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  for (std::size_t i = 0; i < entry->module->exportCount; ++i) {
    if (std::strcmp(entry->module->exports[i].name, procName) == 0) return entry->module->exports[i].address;
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE libModule) {
  Modules();
  for (auto it = loaded.begin(); it != loaded.end(); ++it) {
    if (it->module != static_cast<const void*>(libModule)) continue;
    if (--it->references == 0) loaded.erase(it);
    return TRUE;
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return FALSE;
}
