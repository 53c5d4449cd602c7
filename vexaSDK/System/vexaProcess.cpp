// Process start and file tests over the Win32 calls.
#include "vexaSDK/System/vexaProcess.h"

#include <vector>

namespace vexaSDK {
namespace System {
namespace {

typedef BOOL(WINAPI* MakeSureDirectoryPathExistsProc)(PCSTR);

}  // namespace

bool LaunchProcess(const std::string& applicationName, const std::string& commandLine,
                   STARTUPINFOA& startupInfo, PROCESS_INFORMATION& processInformation,
                   LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                   BOOL inheritHandles, DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory) {
  // CreateProcessA may write into the command line, so it gets a copy.
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  return CreateProcessA(applicationName.empty() ? nullptr : applicationName.c_str(),
                        commandLine.empty() ? nullptr : command.data(), processAttributes, threadAttributes,
                        inheritHandles, creationFlags, environment, currentDirectory, &startupInfo,
                        &processInformation) != FALSE;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDirectoryPath(const std::string& path, DWORD attributes) {
  HMODULE imagehlp = LoadLibraryA("IMAGEHLP.dll");
  if (imagehlp == nullptr) return false;
  // Through the generic function type: a direct cast between unrelated
  // function types is what the compiler rightly warns about.
  const MakeSureDirectoryPathExistsProc makeSure = reinterpret_cast<MakeSureDirectoryPathExistsProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(imagehlp, "MakeSureDirectoryPathExists")));
  if (makeSure == nullptr) {
    FreeLibrary(imagehlp);
    return false;
  }
  makeSure(path.c_str());
  if (!DirectoryExists(path)) {
    FreeLibrary(imagehlp);
    return false;
  }
  const bool result = SetFileAttributesA(path.c_str(), attributes) != FALSE;
  FreeLibrary(imagehlp);
  return result;
}

}  // namespace System
}  // namespace vexaSDK
