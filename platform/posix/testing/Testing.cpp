// Test hooks of the POSIX stand-in.
#include "platform/testing/Testing.h"

#include "platform/posix/testing/StandIn.h"

namespace platform {
namespace testkit {

bool SetImagehlpState(ModuleState state) {
  static const platform::posix::BuiltinModule kWithoutExport[] = {{"IMAGEHLP.dll", nullptr, 0}};
  switch (state) {
    case ModuleState::kPresent:
      platform::posix::SetBuiltinModules(nullptr, 0);
      break;
    case ModuleState::kMissing:
      platform::posix::SetBuiltinModules(kWithoutExport, 0);
      break;
    case ModuleState::kWithoutExport:
      platform::posix::SetBuiltinModules(kWithoutExport, 1);
      break;
  }
  return true;
}

bool SetMessageBoxConsole(std::istream* in, std::ostream* out) {
  platform::posix::SetConsoleStreams(in, out);
  return true;
}

bool GetLastMessageBox(HWND& owner, UINT& style) {
  platform::posix::GetLastBox(owner, style);
  return true;
}

bool SetDirect3DModel(const std::shared_ptr<d3d8::CRuntimeModel>& model) {
  platform::posix::SetServedModel(model);
  return true;
}

bool GetLastProcessStart(ProcessStart& start) {
  start = platform::posix::LastProcessStart();
  return true;
}

bool GetLastWaitTimeout(DWORD& milliseconds) {
  milliseconds = platform::posix::LastWaitTimeout();
  return true;
}

bool SetFaultPlan(FaultSite site, unsigned long index, const std::string& fileName) {
  platform::posix::SetFaultPlan(site, index, fileName);
  return true;
}

bool GetFaultCounts(std::array<unsigned long, kFaultSiteCount>& counts) {
  counts = platform::posix::FaultCounts();
  return true;
}

}  // namespace testkit
}  // namespace platform
