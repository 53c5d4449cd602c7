// Hooks that let tests put the system into states a machine rarely shows.
// Each returns false where the real system is in use and cannot be changed;
// tests then skip what needs the hook. Also the end of a process a test
// started, which works on every system.
#pragma once

#include <array>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "platform/FaultSite.h"
#include "platform/Win32.h"

namespace platform {
namespace d3d8 {
class CRuntimeModel;
}

namespace testkit {

enum class ModuleState { kPresent, kMissing, kWithoutExport };

// How LoadLibraryA and GetProcAddress see IMAGEHLP.dll and its
// MakeSureDirectoryPathExists from now on.
bool SetImagehlpState(ModuleState state);

// Where message boxes ask and read their answer; null restores the terminal.
bool SetMessageBoxConsole(std::istream* in, std::ostream* out);

// The owner window and style of the last box MessageBoxA showed.
bool GetLastMessageBox(HWND& owner, UINT& style);

// What Direct3DCreate8 serves from now on: an IDirect3D8 over `model`, or
// with null the system's own runtime again. Works on every platform.
bool SetDirect3DModel(const std::shared_ptr<d3d8::CRuntimeModel>& model);

// What the last CreateProcessA was handed, byte for byte where it is text.
struct ProcessStart {
  bool applicationName = false;  // not null
  std::string commandLine;
  bool processAttributes = false, threadAttributes = false;  // not null
  BOOL inheritHandles = FALSE;
  DWORD creationFlags = 0;
  bool environment = false;       // a block of its own
  bool currentDirectory = false;  // a folder of its own
};
bool GetLastProcessStart(ProcessStart& start);

// The time-out the last WaitForSingleObject was given.
bool GetLastWaitTimeout(DWORD& milliseconds);

// Waits up to a minute for a started process to end, reads its exit code and
// closes both its handles, whatever the wait gave. False when it did not end
// or gave no exit code.
inline bool WaitForExit(PROCESS_INFORMATION& process, DWORD& exitCode) {
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

// The fault sites, named where the production code asks them.
using platform::FaultSite;
using platform::kFaultSiteCount;

// Counts the calls of every site afresh from now on, and fails the one of
// `site` whose number (from 0) is `index`. The file sites count only the text
// files whose name, the last part of the path, is `fileName`, so that a
// program's report can be told from its log.
bool SetFaultPlan(FaultSite site, unsigned long index, const std::string& fileName);

// The calls of each site since the plan was set.
bool GetFaultCounts(std::array<unsigned long, kFaultSiteCount>& counts);

}  // namespace testkit
}  // namespace platform
