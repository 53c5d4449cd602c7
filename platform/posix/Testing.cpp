// Test hooks of the POSIX stand-in.
#include "platform/Testing.h"

#include "platform/posix/internal/Console.h"
#include "platform/posix/internal/Direct3D.h"
#include "platform/posix/internal/Faults.h"
#include "platform/posix/internal/Modules.h"
#include "platform/posix/internal/Process.h"

namespace platform {
namespace testing {

bool SetImagehlpState(ModuleState state) {
  static const platform_posix::BuiltinModule kWithoutExport[] = {{"IMAGEHLP.dll", nullptr, 0}};
  switch (state) {
    case ModuleState::kPresent:
      platform_posix::SetBuiltinModules(nullptr, 0);
      break;
    case ModuleState::kMissing:
      platform_posix::SetBuiltinModules(kWithoutExport, 0);
      break;
    case ModuleState::kWithoutExport:
      platform_posix::SetBuiltinModules(kWithoutExport, 1);
      break;
  }
  return true;
}

bool SetMessageBoxConsole(std::istream* in, std::ostream* out) {
  platform_posix::SetConsoleStreams(in, out);
  return true;
}

bool GetLastMessageBox(HWND& owner, UINT& style) {
  platform_posix::GetLastBox(owner, style);
  return true;
}

bool SetDirect3DModel(const std::shared_ptr<d3d8::CRuntimeModel>& model) {
  platform_posix::SetServedModel(model);
  return true;
}

bool GetLastProcessStart(ProcessStart& start) {
  start = platform_posix::LastProcessStart();
  return true;
}

bool GetLastWaitTimeout(DWORD& milliseconds) {
  milliseconds = platform_posix::LastWaitTimeout();
  return true;
}

bool SetFaultPlan(FaultSite site, unsigned long index, const std::string& fileName) {
  platform_posix::SetFaultPlan(site, index, fileName);
  return true;
}

bool GetFaultCounts(std::array<unsigned long, kFaultSiteCount>& counts) {
  counts = platform_posix::FaultCounts();
  return true;
}

}  // namespace testing
}  // namespace platform
