// COM start for the calling thread, and the device builder: the Direct3D
// presentation parameters with their defaults, and how the device owner's
// device is made.
#pragma once

#include "platform/D3D8.h"
#include "vexaSDK/Common/vexaInitializer.h"
#include "vexaSDK/TTL/vexaSmartPtr.h"

namespace vexaSDK {
namespace DX8 {

// An initialiser that starts COM (multithreaded apartment) when it is
// initialised and ends it with the initialiser, if the start succeeded. A
// thread already in the multithreaded apartment counts as started.
TTL::smart_ptr<Common::IInitializer> CreateCOMInitializer();

// What the device owner asks of whoever knows how its device is made.
class ID3DDeviceBuilder {
 public:
  virtual ~ID3DDeviceBuilder() = default;

  // Makes the device into `device` (null on failure); the result code means
  // something only to the same builder's Succeeded.
  virtual DWORD CreateDevice(IDirect3DDevice8** device) = 0;
  virtual bool Succeeded(DWORD code) = 0;
  // Negative for failure.
  virtual HRESULT SetDefaultRenderStates() { return 0; }
  // Reserved1 to Reserved4 are called by nobody; they stay because builders
  // written against this interface depend on the order of its virtual slots.
  virtual DWORD Reserved1() { return 0; }
  virtual DWORD GetVertexBufferUsage() { return 0; }
  virtual D3DPOOL GetVertexBufferPool() { return D3DPOOL_MANAGED; }
  virtual DWORD Reserved2() { return 0; }
  virtual DWORD Reserved3() { return 0; }
  virtual DWORD Reserved4() { return 0; }
  // Called once the device's capabilities are known.
  virtual void OnDeviceCreated() {}
};

// A reference-rasteriser device with software vertex processing, windowed on
// the given window, in the desktop's current display format.
class CDeviceBuilder : public ID3DDeviceBuilder {
 public:
  static constexpr DWORD kCreated = 0;
  // Any odd code fails Succeeded; 17 is the one this builder has always
  // reported, and the one its callers' logs know.
  static constexpr DWORD kFailed = 17;
  static constexpr UINT kNoModeInfo = 0xFFFFFFFF;

  explicit CDeviceBuilder(HWND window);

  // Uses the device owner's IDirect3D8, which must exist.
  DWORD CreateDevice(IDirect3DDevice8** device) override;
  bool Succeeded(DWORD code) override { return (code & 1) == 0; }
  DWORD Reserved1() override { return 16; }
  DWORD GetVertexBufferUsage() override { return D3DUSAGE_SOFTWAREPROCESSING; }
  D3DPOOL GetVertexBufferPool() override { return D3DPOOL_SYSTEMMEM; }

  D3DPRESENT_PARAMETERS PresentParameters;
  // The enumeration record of the device this builder makes: the first
  // adapter's hardware full-screen record once CreateDevice has run.
  UINT ModeInfoIndex;

 protected:
  // CreateDevice with other behaviour flags, for builders derived from this one.
  DWORD CreateDeviceWith(DWORD behavior, IDirect3DDevice8** device);
};

}  // namespace DX8
}  // namespace vexaSDK
