// Orders and lookups of the enumeration records.
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <tuple>

#include "vexaSDK/Common/vexaLog.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"

namespace vexaSDK {
namespace DX8 {
namespace {

// Display modes list the formats a game prefers last; unranked formats first.
std::int32_t Rank(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_X8R8G8B8:
      return 1000000;
    case D3DFMT_A8R8G8B8:
      return 2000000;
    case D3DFMT_R5G6B5:
      return 10000000;
    case D3DFMT_X1R5G5B5:
      return 20000000;
    default:
      return -1;
  }
}

std::int32_t Signed(D3DFORMAT format) { return static_cast<std::int32_t>(format); }

// Surface and texture formats tried for every display format, in this order.
const D3DFORMAT kCandidateFormats[] = {
    D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8,    D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,    D3DFMT_X1R5G5B5,
    D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,    D3DFMT_R3G3B2,   D3DFMT_A8,        D3DFMT_A8R3G3B2,
    D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, D3DFMT_G16R16,   D3DFMT_A8P8,      D3DFMT_P8,
    D3DFMT_L8,       D3DFMT_A8L8,        D3DFMT_A4L4,     D3DFMT_V8U8,      D3DFMT_L6V5U5,
    D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8,    D3DFMT_V16U16,   D3DFMT_W11V11U10, D3DFMT_A2W10V10U10,
    D3DFMT_UYVY,     D3DFMT_YUY2,        D3DFMT_DXT1,     D3DFMT_DXT2,      D3DFMT_DXT3,
    D3DFMT_DXT4,     D3DFMT_DXT5,
};
static_assert(sizeof kCandidateFormats / sizeof kCandidateFormats[0] == 32, "32 candidate formats");

// Depth-stencil formats in the order the report lists them.
const D3DFORMAT kDepthStencilFormats[] = {D3DFMT_D16_LOCKABLE, D3DFMT_D32,   D3DFMT_D15S1,  D3DFMT_D24S8,
                                          D3DFMT_D16,          D3DFMT_D24X8, D3DFMT_D24X4S4};

const int kMaxMultiSampleType = 16;

}  // namespace

const FormatTableInfo kFormatTableInfo[kFormatTableCount] = {
    {"RenderTargetFormats", D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE},
    {"TextureFormats", 0, D3DRTYPE_TEXTURE},
    {"CubeTextureFormats", 0, D3DRTYPE_CUBETEXTURE},
    {"VolumeTextureFormats", 0, D3DRTYPE_VOLUMETEXTURE},
    {"RenderTarget TextureFormats", D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE},
    {"RenderTarget CubeTextureFormats", D3DUSAGE_RENDERTARGET, D3DRTYPE_CUBETEXTURE},
    {"RenderTarget VolumeTextureFormats", D3DUSAGE_RENDERTARGET, D3DRTYPE_VOLUMETEXTURE},
};

bool FormatPair::operator<(const FormatPair& other) const {
  return std::make_tuple(Signed(DisplayFormat), Signed(BackBufferFormat)) <
         std::make_tuple(Signed(other.DisplayFormat), Signed(other.BackBufferFormat));
}

bool CDisplayMode::operator<(const CDisplayMode& other) const {
  return std::make_tuple(Rank(Format), Rank(BackBufferFormat), Width, Height, RefreshRate) <
         std::make_tuple(Rank(other.Format), Rank(other.BackBufferFormat), other.Width, other.Height,
                         other.RefreshRate);
}

CModeInfo::CModeInfo(UINT adapter, const D3DADAPTER_IDENTIFIER8& identifier, D3DDEVTYPE deviceType,
                     BOOL windowed)
    : adapter_(adapter), identifier_(identifier), deviceType_(deviceType), windowed_(windowed), caps_() {}

CModeInfo::CModeInfo(UINT adapter, const D3DADAPTER_IDENTIFIER8& identifier, D3DDEVTYPE deviceType,
                     BOOL windowed, IDirect3D8* direct3D)
    : CModeInfo(adapter, identifier, deviceType, windowed) {
  const UINT modeCount = direct3D->GetAdapterModeCount(adapter);
  for (UINT m = 0; m < modeCount; ++m) {
    D3DDISPLAYMODE mode;
    if (FAILED(direct3D->EnumAdapterModes(adapter, m, &mode))) continue;
    // 32-bit display formats get 32-bit back buffers, all others 16-bit ones.
    const bool wide = Signed(mode.Format) < Signed(D3DFMT_R5G6B5);
    const D3DFORMAT candidates[] = {wide ? D3DFMT_A8R8G8B8 : D3DFMT_R5G6B5,
                                    wide ? D3DFMT_X8R8G8B8 : D3DFMT_X1R5G5B5};
    for (const D3DFORMAT backBuffer : candidates) {
      if (FAILED(direct3D->CheckDeviceType(adapter, deviceType, mode.Format, backBuffer, windowed))) continue;
      // The tables remember what was asked, so shared formats are asked once.
      const FormatPair pair(mode.Format, backBuffer);
      if (multiSamples_.find(pair) == multiSamples_.end()) AddPair(direct3D, pair);
      if (formats_[kRenderTargetFormats].find(mode.Format) == formats_[kRenderTargetFormats].end()) {
        AddDisplayFormat(direct3D, mode.Format);
      }
      displayModes_.emplace_back(mode.Width, mode.Height, mode.RefreshRate, mode.Format, backBuffer);
    }
  }
  std::sort(displayModes_.begin(), displayModes_.end());
  if (FAILED(direct3D->GetDeviceCaps(adapter, deviceType, &caps_))) std::memset(&caps_, 0, sizeof caps_);
}

void CModeInfo::AddPair(IDirect3D8* direct3D, const FormatPair& pair) {
  std::vector<D3DMULTISAMPLE_TYPE>& samples = multiSamples_[pair];
  std::vector<D3DFORMAT>& depths = depthStencils_[pair];
  // Windowed rendering multisamples the desktop's format, full screen the back buffer's.
  const D3DFORMAT surface = windowed_ ? pair.DisplayFormat : pair.BackBufferFormat;
  for (int type = 0; type <= kMaxMultiSampleType; type = type == 0 ? 2 : type + 1) {
    const D3DMULTISAMPLE_TYPE sample = static_cast<D3DMULTISAMPLE_TYPE>(type);
    if (SUCCEEDED(direct3D->CheckDeviceMultiSampleType(adapter_, deviceType_, surface, windowed_, sample))) {
      samples.push_back(sample);
    }
  }
  for (const D3DFORMAT depth : kDepthStencilFormats) {
    if (SUCCEEDED(direct3D->CheckDeviceFormat(adapter_, deviceType_, pair.DisplayFormat,
                                              D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth)) &&
        SUCCEEDED(direct3D->CheckDepthStencilMatch(adapter_, deviceType_, pair.DisplayFormat,
                                                   pair.BackBufferFormat, depth))) {
      depths.push_back(depth);
    }
  }
}

void CModeInfo::AddDisplayFormat(IDirect3D8* direct3D, D3DFORMAT displayFormat) {
  std::vector<D3DFORMAT>* lists[kFormatTableCount];
  for (int kind = 0; kind < kFormatTableCount; ++kind) lists[kind] = &formats_[kind][displayFormat];
  for (const D3DFORMAT candidate : kCandidateFormats) {
    for (int kind = 0; kind < kFormatTableCount; ++kind) {
      const FormatTableInfo& info = kFormatTableInfo[kind];
      if (SUCCEEDED(direct3D->CheckDeviceFormat(adapter_, deviceType_, displayFormat, info.usage,
                                                info.resourceType, candidate))) {
        lists[kind]->push_back(candidate);
      }
    }
  }
}

CDGEnumMode::CDGEnumMode(IDirect3D8* direct3D) {
  if (direct3D == nullptr) return;
  const UINT count = direct3D->GetAdapterCount();
  for (UINT adapter = 0; adapter < count; ++adapter) {
    D3DADAPTER_IDENTIFIER8 identifier;
    const HRESULT hr = direct3D->GetAdapterIdentifier(adapter, 0, &identifier);
    if (FAILED(hr)) {
      Common::GetLogStream() << System::FormatText("%s(%lu)", System::GetFileName(__FILE__).c_str(),
                                                   static_cast<unsigned long>(__LINE__))
                             << ":" << DXGetErrorString8(hr) << std::endl;
      continue;
    }
    identifiers_.push_back(identifier);
    for (const D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
      for (const BOOL windowed : {FALSE, TRUE}) {
        modeInfos_.push_back(CModeInfo(adapter, identifier, type, windowed, direct3D));
      }
    }
  }
}

const std::vector<D3DFORMAT>* CModeInfo::GetTextureFormats(D3DFORMAT displayFormat, bool renderTarget) const {
  const FormatTable& table = formats_[renderTarget ? kRenderTargetTextureFormats : kTextureFormats];
  const auto found = table.find(displayFormat);
  return found == table.end() ? nullptr : &found->second;
}

}  // namespace DX8
}  // namespace vexaSDK
