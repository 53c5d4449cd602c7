// The device owner: the one process-wide holder of Direct3D 8, the
// enumeration of adapters and modes, the device builder and the device with
// its capabilities. It brings them up and down together with the graphics
// resource managers, and never lets an exception out of either.
#pragma once

#include <string>

#include "platform/D3D8.h"
#include "vexaSDK/Common/vexaInitializer.h"
#include "vexaSDK/TTL/vexaSmartPtr.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceBuilder.h"

namespace vexaSDK {
namespace DX8 {

class CD3D8 {
 public:
  static constexpr DWORD kNoStateBlock = 0xFFFFFFFF;
  // As CreateVertexBuffer's pool: the builder's choice.
  static constexpr D3DPOOL kBuilderPool = static_cast<D3DPOOL>(0x7FFFFFFF);
  static constexpr int kPreferredTextureFormatCount = 4;

  // Made on first use, destroyed at process exit.
  static CD3D8& GetInstance();

  // An initialiser whose start is Initialize with copies of these arguments,
  // whose end is Terminate and whose check is IsInitialized.
  static TTL::smart_ptr<Common::IInitializer> CreateD3D8Initializer(
      const TTL::smart_ptr<ID3DDeviceBuilder>& builder, const std::string& fileName, DWORD sdkVersion);

  // Creates Direct3D, enumerates everything (and writes the device report to
  // `fileName` unless it is empty), has the builder make the device and starts
  // the graphics resource managers. Any failure is logged, undone by
  // Terminate and reported as false.
  bool Initialize(TTL::smart_ptr<ID3DDeviceBuilder>& builder, std::string& fileName, DWORD sdkVersion);
  // Stops the managers and releases everything; logs when already down.
  void Terminate();
  // Direct3D is up.
  bool IsInitialized() const { return direct3D_.get() != nullptr; }

  // Throws CNullPointerException while down.
  CDGEnumMode& GetEnumMode() const { return *enumMode_; }
  // The builder's presentation parameters say windowed. The owner reads them,
  // and ModeInfoIndex, only from a CDeviceBuilder; a builder of another kind
  // counts as full screen without an enumeration record.
  bool IsWindowed() const;

  // A buffer of `count` vertices of format `fvf` with the builder's usage
  // added to `usage`; null when the device refuses.
  IDirect3DVertexBuffer8* CreateVertexBuffer(UINT count, DWORD fvf, D3DPOOL pool, DWORD usage);
  // Applies DefaultStateBlock, or with `force` (or without one) sets the
  // builder's default render states. Negative for failure.
  HRESULT ResetRenderStates(bool force);
  bool ApplyFog(bool enable);
  void ChoosePreferredTextureFormats();

  // The entry's default box (MessageBoxA where the system reads code page
  // 932), kept on top of a full-screen device while Direct3D is up.
  static int WINAPI MessageBoxHook(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

  // Borrowed; null while down.
  IDirect3D8* GetDirect3D() const { return direct3D_.get(); }
  const TTL::smart_ptr<IDirect3DDevice8>& GetDevice() const { return device_; }
  const TTL::smart_ptr<ID3DDeviceBuilder>& GetBuilder() const { return builder_; }
  const D3DCAPS8& GetCaps() const { return caps_; }
  // The x87 control setting that the next start applies.
  WORD GetFpuControlSetting() const { return fpuControl_; }

 private:
  CD3D8();
  // Logs when the program ends with Direct3D still up, and takes the hook
  // out of the message-box entry.
  ~CD3D8();
  CD3D8(const CD3D8&) = delete;
  CD3D8& operator=(const CD3D8&) = delete;

  // The initialiser's check.
  bool IsUp() { return IsInitialized(); }
  void SetFpuControlSetting(WORD setting);
  void ApplyFpuControlSetting() const;
  // Unbinds the streams, stops the managers and deletes the default state
  // block, on the device held now; nothing without a device.
  void StopDeviceState();
  // The builder as the framework's own, whose parameters the owner reads.
  const CDeviceBuilder* Parameters() const;

  TTL::smart_ptr<IDirect3D8> direct3D_;
  TTL::smart_ptr<IDirect3DDevice8> device_;
  TTL::smart_ptr<CDGEnumMode> enumMode_;
  TTL::smart_ptr<ID3DDeviceBuilder> builder_;
  WORD fpuControl_;

 public:
  DWORD DefaultStateBlock;
  D3DFORMAT PreferredTextureFormat[kPreferredTextureFormatCount];

 private:
  bool fogEnabled_;
  D3DCOLOR fogColor_;
  float fogStart_;
  float fogEnd_;
  D3DCAPS8 caps_;
};

}  // namespace DX8
}  // namespace vexaSDK
