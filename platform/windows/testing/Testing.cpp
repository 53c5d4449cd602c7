// On Windows the tests meet the system's own modules, message boxes and
// failures. Only Direct3D can be replaced: test programs link this
// Direct3DCreate8 in place of the import from d3d8.dll, and it serves a
// runtime model when a test has set one and the system's runtime otherwise.
// The program itself never links this file, so it keeps importing the real
// function.
#include "platform/testing/Testing.h"

#include "platform/D3D8Model.h"

namespace {

std::shared_ptr<platform::d3d8::CRuntimeModel>& ServedModel() {
  static std::shared_ptr<platform::d3d8::CRuntimeModel> model;
  return model;
}

typedef IDirect3D8*(WINAPI* Direct3DCreate8Proc)(UINT);

// Loaded once and kept: the objects it makes live in the library.
Direct3DCreate8Proc SystemDirect3DCreate8() {
  static const Direct3DCreate8Proc create = [] {
    const HMODULE library = LoadLibraryA("d3d8.dll");
    if (library == nullptr) return Direct3DCreate8Proc();
    // Through the generic function type, which the compiler accepts silently.
    return reinterpret_cast<Direct3DCreate8Proc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "Direct3DCreate8")));
  }();
  return create;
}

}  // namespace

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  if (ServedModel() != nullptr) {
    return sdkVersion == D3D_SDK_VERSION ? platform::d3d8::CreateDirect3D8(ServedModel()) : nullptr;
  }
  const Direct3DCreate8Proc create = SystemDirect3DCreate8();
  return create != nullptr ? create(sdkVersion) : nullptr;
}

namespace platform {
namespace testkit {

bool SetImagehlpState(ModuleState state) { return state == ModuleState::kPresent; }

bool SetMessageBoxConsole(std::istream* in, std::ostream* out) { return in == nullptr && out == nullptr; }

bool GetLastMessageBox(HWND&, UINT&) { return false; }

bool SetDirect3DModel(const std::shared_ptr<d3d8::CRuntimeModel>& model) {
  ServedModel() = model;
  return true;
}

bool GetLastProcessStart(ProcessStart&) { return false; }

bool GetLastWaitTimeout(DWORD&) { return false; }

bool SetFaultPlan(FaultSite, unsigned long, const std::string&) { return false; }

bool GetFaultCounts(std::array<unsigned long, kFaultSiteCount>&) { return false; }

}  // namespace testkit
}  // namespace platform
