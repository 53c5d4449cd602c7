// Direct3D 8 on a POSIX host: Direct3DCreate8 serves the runtime model of the
// host's own display controllers, or the one a test put in its place, with the
// model's own devices.
#include "platform/D3D8Model.h"
#include "platform/posix/internal/Faults.h"
#include "platform/posix/internal/HostHardware.h"
#include "platform/posix/internal/Observer.h"

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  if (platform::posix::FailsNow(platform::FaultSite::kDirect3DCreate8)) return nullptr;
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  std::shared_ptr<platform::d3d8::CRuntimeModel> model =
      platform::posix::observer != nullptr ? platform::posix::observer->Model() : nullptr;
  if (model == nullptr) {
    model =
        platform::posix::MakeHostModel(platform::posix::CHostFiles(), platform::posix::HostHardwareSources());
    model->createDevice = &platform::d3d8::CreateModelDevice;
  }
  return platform::d3d8::CreateDirect3D8(model);
}
