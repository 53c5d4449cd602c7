// What the framework knows about the graphics hardware: per adapter its
// identifier and four mode-info records (HAL and REF, each full screen and
// windowed) with display modes, format tables and capabilities. Filled once
// by the enumeration, then only read: by the device report writers and by the
// device owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <ostream>
#include <vector>

#include "platform/D3D8.h"

namespace vexaSDK {
namespace DX8 {

namespace internal {
class CReportText;
}

// Formats order as signed 32-bit numbers, so FOURCC codes come last.
struct FormatLess {
  bool operator()(D3DFORMAT a, D3DFORMAT b) const {
    return static_cast<std::int32_t>(a) < static_cast<std::int32_t>(b);
  }
};

struct FormatPair {
  FormatPair(D3DFORMAT display, D3DFORMAT backBuffer)
      : DisplayFormat(display), BackBufferFormat(backBuffer) {}

  // By display format, then by back-buffer format.
  bool operator<(const FormatPair& other) const;

  D3DFORMAT DisplayFormat;
  D3DFORMAT BackBufferFormat;
};

class CDisplayMode {
 public:
  CDisplayMode(UINT width, UINT height, UINT refreshRate, D3DFORMAT format, D3DFORMAT backBufferFormat)
      : Width(width),
        Height(height),
        RefreshRate(refreshRate),
        Format(format),
        BackBufferFormat(backBufferFormat) {}
  virtual ~CDisplayMode() = default;

  // By the rank of the display format, then of the back-buffer format (formats
  // without a rank first), then width, height and refresh rate.
  bool operator<(const CDisplayMode& other) const;

  void WriteDisplayMode(std::ostream& stream) const;

  UINT Width;
  UINT Height;
  UINT RefreshRate;
  D3DFORMAT Format;
  D3DFORMAT BackBufferFormat;
};

using MultiSampleTable = std::map<FormatPair, std::vector<D3DMULTISAMPLE_TYPE>>;
using DepthStencilTable = std::map<FormatPair, std::vector<D3DFORMAT>>;
// Display format to the formats usable in one kind of use.
using FormatTable = std::map<D3DFORMAT, std::vector<D3DFORMAT>, FormatLess>;

// The seven kinds of use checked per display format, in member order.
enum FormatTableKind {
  kRenderTargetFormats,
  kTextureFormats,
  kCubeTextureFormats,
  kVolumeTextureFormats,
  kRenderTargetTextureFormats,
  kRenderTargetCubeTextureFormats,
  kRenderTargetVolumeTextureFormats,
  kFormatTableCount
};

struct FormatTableInfo {
  const char* label;  // as the report prints it
  DWORD usage;
  D3DRESOURCETYPE resourceType;
};

extern const FormatTableInfo kFormatTableInfo[kFormatTableCount];

class CModeInfo {
 public:
  // Fills the record from the runtime: the display modes usable with this
  // device type and windowed flag, their format tables, and the caps (all
  // zero when they cannot be read). Failed checks leave their item out.
  CModeInfo(UINT adapter, const D3DADAPTER_IDENTIFIER8& identifier, D3DDEVTYPE deviceType, BOOL windowed,
            IDirect3D8* direct3D);
  virtual ~CModeInfo() = default;
  // Movable, so that records filled elsewhere (a reader of the report) join
  // an enumeration without a copy of their tables.
  CModeInfo(const CModeInfo&) = default;
  CModeInfo(CModeInfo&&) = default;
  CModeInfo& operator=(const CModeInfo&) = default;
  CModeInfo& operator=(CModeInfo&&) = default;

  UINT Adapter() const { return adapter_; }
  const D3DADAPTER_IDENTIFIER8& Identifier() const { return identifier_; }
  D3DDEVTYPE DeviceType() const { return deviceType_; }
  BOOL Windowed() const { return windowed_; }
  const std::vector<CDisplayMode>& DisplayModes() const { return displayModes_; }
  const D3DCAPS8& Caps() const { return caps_; }
  const MultiSampleTable& MultiSamples() const { return multiSamples_; }
  const DepthStencilTable& DepthStencils() const { return depthStencils_; }
  const FormatTable& Formats(FormatTableKind kind) const { return formats_[kind]; }

  // The "RenderTarget TextureFormats" (true) or "TextureFormats" (false) list
  // of a display format; null when the table has no entry for it.
  const std::vector<D3DFORMAT>* GetTextureFormats(D3DFORMAT displayFormat, bool renderTarget) const;

  void WriteModeInfo(std::ostream& stream) const;
  void WriteMultiSampleInfo(std::ostream& stream) const;
  void WriteDepthStencilInfo(std::ostream& stream) const;

  void WriteModeInfo(internal::CReportText& text) const;

 protected:
  // An empty record; the enumeration fills it.
  CModeInfo(UINT adapter, const D3DADAPTER_IDENTIFIER8& identifier, D3DDEVTYPE deviceType, BOOL windowed);

 private:
  void AddPair(IDirect3D8* direct3D, const FormatPair& pair);
  void AddDisplayFormat(IDirect3D8* direct3D, D3DFORMAT displayFormat);

 protected:
  UINT adapter_;
  D3DADAPTER_IDENTIFIER8 identifier_;
  D3DDEVTYPE deviceType_;
  BOOL windowed_;
  std::vector<CDisplayMode> displayModes_;
  D3DCAPS8 caps_;
  MultiSampleTable multiSamples_;
  DepthStencilTable depthStencils_;
  FormatTable formats_[kFormatTableCount];
};

class CDGEnumMode {
 public:
  // Asks `direct3D` about every adapter; a null pointer gives an empty
  // enumeration. An adapter whose identifier cannot be read is left out, with
  // one line in the internal log.
  explicit CDGEnumMode(IDirect3D8* direct3D);
  virtual ~CDGEnumMode() = default;

  const std::vector<D3DADAPTER_IDENTIFIER8>& Identifiers() const { return identifiers_; }
  const std::vector<CModeInfo>& ModeInfos() const { return modeInfos_; }
  // No range check: the caller keeps `index` below ModeInfos().size().
  const CModeInfo& GetModeInfo(std::size_t index) const { return modeInfos_[index]; }

  // The "DeviceInfo" text: each adapter's identifier block followed by the
  // mode-info sections of that adapter's four records.
  void WriteDeviceInfo(std::ostream& stream) const;

 protected:
  CDGEnumMode() = default;

  std::vector<D3DADAPTER_IDENTIFIER8> identifiers_;
  std::vector<CModeInfo> modeInfos_;  // four per identifier, in identifier order
};

// One format-support block: "< label >", then each display format with the
// formats listed for it.
void WriteFormatList(std::ostream& stream, const FormatTable& table, const char* label);

}  // namespace DX8
}  // namespace vexaSDK
