// Test-only: a runtime model behind Direct3DCreate8 for the length of a test,
// and a device owner that is down again when the test ends, with the x87
// control word and the message-box entry as they were.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/D3D8Model.h"
#include "platform/Fpu.h"
#include "platform/testing/Testing.h"
#include "vexaSDK/Common/vexaMessageBox.h"
#include "vexaSDK/dx/dx8_3d/vexaD3D8.h"

namespace vexaSDK {
namespace DX8 {
namespace testkit {

// The default model (one adapter, a reference rasteriser, no hardware
// device) whose devices are the model's own, with the desktop in `desktop`.
inline std::shared_ptr<platform::d3d8::CRuntimeModel> MakeDeviceModel(D3DFORMAT desktop = D3DFMT_X8R8G8B8) {
  std::shared_ptr<platform::d3d8::CRuntimeModel> model = platform::d3d8::MakeDefaultModel();
  model->createDevice = &platform::d3d8::CreateModelDevice;
  model->adapters[0].current.Format = desktop;
  return model;
}

class D3D8TestBase : public testing::Test {
 protected:
  void SetUp() override {
    fpuWord_ = platform::GetFpuControlWord();
    model = MakeDeviceModel();
    ASSERT_TRUE(platform::testkit::SetDirect3DModel(model));
    builder.reset(new CDeviceBuilder(GetDesktopWindow()));
  }
  void TearDown() override {
    if (owner.IsInitialized()) owner.Terminate();
    platform::testkit::SetDirect3DModel(nullptr);
    platform::ResetFpu(fpuWord_);
    if (Common::MessageBoxEntry* entry = Common::MessageBoxEntry::GetInstance())
      entry->function = &platform::MessageBox932;
  }

  // Serves `other` from now on.
  void Serve(const std::shared_ptr<platform::d3d8::CRuntimeModel>& other) {
    model = other;
    platform::testkit::SetDirect3DModel(model);
  }
  bool Initialize(DWORD sdkVersion = D3D_SDK_VERSION) {
    std::string noFile;
    return owner.Initialize(builder, noFile, sdkVersion);
  }
  long Live(platform::d3d8::Object object) const { return model->Live(object); }
  CDeviceBuilder& Builder() const { return static_cast<CDeviceBuilder&>(*builder); }

  CD3D8& owner = CD3D8::GetInstance();
  std::shared_ptr<platform::d3d8::CRuntimeModel> model;
  TTL::smart_ptr<ID3DDeviceBuilder> builder;

 private:
  WORD fpuWord_ = 0;
};

}  // namespace testkit
}  // namespace DX8
}  // namespace vexaSDK
