// Orders and lookups of the enumeration records.
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

#include <cstring>
#include <tuple>

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

const std::vector<D3DFORMAT>* CModeInfo::GetTextureFormats(D3DFORMAT displayFormat, bool renderTarget) const {
  const FormatTable& table = formats_[renderTarget ? kRenderTargetTextureFormats : kTextureFormats];
  const auto found = table.find(displayFormat);
  return found == table.end() ? nullptr : &found->second;
}

}  // namespace DX8
}  // namespace vexaSDK
