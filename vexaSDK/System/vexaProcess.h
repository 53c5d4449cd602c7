// Starting a process and testing and creating files and folders. Failures
// come back as false, with the system's last error as the failing call left it.
#pragma once

#include <string>

#include "platform/Win32.h"

namespace vexaSDK {
namespace System {

// CreateProcessA with empty strings passed as null; the handles in
// `processInformation` are the caller's to wait on and close.
bool LaunchProcess(const std::string& applicationName, const std::string& commandLine,
                   STARTUPINFOA& startupInfo, PROCESS_INFORMATION& processInformation,
                   LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                   BOOL inheritHandles, DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// `path` is a folder text ending in a backslash; every missing folder is
// created, then `attributes` are set on the last one.
bool CreateDirectoryPath(const std::string& path, DWORD attributes);

}  // namespace System
}  // namespace vexaSDK
