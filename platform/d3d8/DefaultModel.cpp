// The fixed runtime model: one display adapter without a hardware device, and
// a reference rasteriser that does what the software renderers of its time
// did. The POSIX host serves it when it finds no display controller, and
// builds its own adapters from it otherwise.
#include <cstring>

#include "platform/D3D8Model.h"

namespace platform {
namespace d3d8 {
namespace {

D3DCAPS8 SoftwareCaps() {
  D3DCAPS8 c = {};
  c.DeviceType = D3DDEVTYPE_REF;
  c.Caps2 = 0x80000 | 0x20000;  // renders windowed, full-screen gamma
  c.PresentationIntervals = 0x80000000 | 0x1;
  c.DevCaps = 0x10 | 0x40 | 0x100 | 0x400 | 0x800 | 0x10000 | 0x200000 | 0x400000 | 0x1000000;
  c.PrimitiveMiscCaps = 0x2 | 0x10 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x400 | 0x800;
  c.RasterCaps =
      0x1 | 0x10 | 0x80 | 0x100 | 0x2000 | 0x4000 | 0x10000 | 0x20000 | 0x40000 | 0x100000 | 0x200000;
  c.ZCmpCaps = 0xFF;
  c.SrcBlendCaps = 0x1FFF;
  c.DestBlendCaps = 0x07FF;
  c.AlphaCmpCaps = 0xFF;
  c.ShadeCaps = 0x8 | 0x200 | 0x4000 | 0x80000;
  c.TextureCaps = 0x1 | 0x4 | 0x80 | 0x400 | 0x800 | 0x2000 | 0x4000 | 0x8000 | 0x10000;
  c.TextureFilterCaps = 0x100 | 0x200 | 0x400 | 0x10000 | 0x20000 | 0x1000000 | 0x2000000 | 0x4000000;
  c.CubeTextureFilterCaps = 0x100 | 0x200 | 0x10000 | 0x20000 | 0x1000000 | 0x2000000;
  c.VolumeTextureFilterCaps = c.CubeTextureFilterCaps;
  c.TextureAddressCaps = 0x3F;
  c.VolumeTextureAddressCaps = 0x3F;
  c.LineCaps = 0x1F;
  c.MaxTextureWidth = 4096;
  c.MaxTextureHeight = 4096;
  c.MaxVolumeExtent = 256;
  c.MaxTextureRepeat = 32768;
  c.MaxTextureAspectRatio = 0;
  c.MaxAnisotropy = 16;
  c.MaxVertexW = 1e10f;
  c.GuardBandLeft = -32768.0f;
  c.GuardBandTop = -32768.0f;
  c.GuardBandRight = 32767.0f;
  c.GuardBandBottom = 32767.0f;
  c.ExtentsAdjust = 0.0f;
  c.StencilCaps = 0xFF;
  c.FVFCaps = 8 | 0x100000;  // eight texture coordinate sets, point size
  c.TextureOpCaps = 0x03FFFFFF;
  c.MaxTextureBlendStages = 8;
  c.MaxSimultaneousTextures = 8;
  c.VertexProcessingCaps = 0x1 | 0x2 | 0x8 | 0x10 | 0x20 | 0x40;
  c.MaxActiveLights = 8;
  c.MaxUserClipPlanes = 6;
  c.MaxVertexBlendMatrices = 4;
  c.MaxVertexBlendMatrixIndex = 255;
  c.MaxPointSize = 64.0f;
  c.MaxPrimitiveCount = 0xFFFFFF;
  c.MaxVertexIndex = 0xFFFFFF;
  c.MaxStreams = 16;
  c.MaxStreamStride = 255;
  c.VertexShaderVersion = 0xFFFE0101;
  c.MaxVertexShaderConst = 96;
  c.PixelShaderVersion = 0xFFFF0104;
  c.MaxPixelShaderValue = 8.0f;
  return c;
}

}  // namespace

DeviceTypeModel MakeSoftwareRasterizer() {
  DeviceTypeModel device;
  device.available = true;
  device.caps = SoftwareCaps();
  device.deviceTypes = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
                        {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
                        {D3DFMT_R5G6B5, D3DFMT_R5G6B5},
                        {D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5},
                        {D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5}};
  for (const D3DFORMAT surface :
       {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5}) {
    for (const BOOL windowed : {FALSE, TRUE}) {
      device.multiSamples.insert({surface, windowed, D3DMULTISAMPLE_NONE});
      if (surface == D3DFMT_A8R8G8B8 || surface == D3DFMT_X8R8G8B8) {
        device.multiSamples.insert({surface, windowed, D3DMULTISAMPLE_2_SAMPLES});
        device.multiSamples.insert({surface, windowed, D3DMULTISAMPLE_4_SAMPLES});
      }
    }
  }
  const D3DFORMAT renderTargets[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                     D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};
  const D3DFORMAT volumes[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5,
                               D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,
                               D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8,
                               D3DFMT_A4L4,     D3DFMT_V8U8,     D3DFMT_L6V5U5,   D3DFMT_X8L8V8U8,
                               D3DFMT_Q8W8V8U8, D3DFMT_V16U16,   D3DFMT_W11V11U10};
  const D3DFORMAT compressed[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
  for (const D3DFORMAT format : renderTargets) {
    for (const D3DRESOURCETYPE type : {D3DRTYPE_SURFACE, D3DRTYPE_TEXTURE, D3DRTYPE_CUBETEXTURE}) {
      device.formats.insert({D3DUSAGE_RENDERTARGET, type, format});
    }
  }
  for (const D3DFORMAT format : volumes) {
    for (const D3DRESOURCETYPE type : {D3DRTYPE_TEXTURE, D3DRTYPE_CUBETEXTURE, D3DRTYPE_VOLUMETEXTURE}) {
      device.formats.insert({0, type, format});
    }
  }
  for (const D3DFORMAT format : compressed) {
    device.formats.insert({0, D3DRTYPE_TEXTURE, format});
    device.formats.insert({0, D3DRTYPE_CUBETEXTURE, format});
  }
  device.formats.insert({0, D3DRTYPE_TEXTURE, D3DFMT_UYVY});
  device.formats.insert({0, D3DRTYPE_TEXTURE, D3DFMT_YUY2});
  for (const D3DFORMAT depth : {D3DFMT_D16_LOCKABLE, D3DFMT_D32, D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D16,
                                D3DFMT_D24X8, D3DFMT_D24X4S4}) {
    device.formats.insert({D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth});
  }
  return device;
}

std::shared_ptr<CRuntimeModel> MakeDefaultModel() {
  auto model = std::make_shared<CRuntimeModel>();
  AdapterModel adapter;
  D3DADAPTER_IDENTIFIER8& id = adapter.identifier;
  std::strcpy(id.Driver, "vexa_d3d8");
  std::strcpy(id.Description, "Direct3D 8 Display Adapter (POSIX host)");
  id.DriverVersion.HighPart = (1 << 16) | 0;
  id.DriverVersion.LowPart = (0 << 16) | 1;
  for (const D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
    for (const UINT size : {640u, 800u, 1024u, 1280u}) {
      for (const UINT rate : {60u, 75u}) {
        adapter.modes.push_back({size, size == 1280 ? 1024u : size * 3 / 4, rate, format});
      }
    }
  }
  adapter.current = {1024, 768, 60, D3DFMT_X8R8G8B8};
  adapter.ref = MakeSoftwareRasterizer();
  model->adapters.push_back(adapter);
  return model;
}

}  // namespace d3d8
}  // namespace platform
