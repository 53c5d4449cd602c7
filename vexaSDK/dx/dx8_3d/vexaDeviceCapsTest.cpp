#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/TextFile.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"

namespace vexaSDK {
namespace DX8 {
namespace {

std::string Write(const D3DCAPS8& caps) {
  std::ostringstream out;
  WriteDeviceCaps(out, caps);
  return out.str();
}

D3DCAPS8 RichCaps() {
  D3DCAPS8 c = {};
  c.DeviceType = D3DDEVTYPE_REF;
  c.AdapterOrdinal = 1;
  c.Caps = 0x20000 | 0x1;  // the low bit has no name
  c.Caps2 = 0x80000 | 0x20000 | 0x2000000;
  c.Caps3 = 0x8000000F;  // one bit short of the reserved mask
  c.PresentationIntervals = 0x80000003;
  c.CursorCaps = 0x2;
  c.DevCaps = 0x10 | 0x80000 | 0x200 | 0x80;
  c.PrimitiveMiscCaps = 0x2 | 0x10 | 0x800;
  c.RasterCaps = 0x1 | 0x10 | 0x200000;
  c.ZCmpCaps = 0xFF;
  c.SrcBlendCaps = 0x1 | 0x2 | 0x10;
  c.DestBlendCaps = 0x20 | 0x1000;
  c.AlphaCmpCaps = 0x80 | 0x1;
  c.ShadeCaps = 0x8 | 0x4000;
  c.TextureCaps = 0x1 | 0x2 | 0x4000 | 0x800;
  c.TextureFilterCaps = 0x100 | 0x200 | 0x1000000 | 0x2000000 | 0x10000;
  c.CubeTextureFilterCaps = 0x100 | 0x1000000;
  c.VolumeTextureFilterCaps = 0;
  c.TextureAddressCaps = 0x1 | 0x2 | 0x4;
  c.VolumeTextureAddressCaps = 0x10;
  c.LineCaps = 0x2 | 0x1;
  c.MaxTextureWidth = 2048;
  c.MaxTextureHeight = 1024;
  c.MaxVolumeExtent = 256;
  c.MaxTextureRepeat = 8192;
  c.MaxTextureAspectRatio = 0;
  c.MaxAnisotropy = 16;
  c.MaxVertexW = 1e10f;
  c.GuardBandLeft = -8192.0f;
  c.GuardBandTop = -8192.0f;
  c.GuardBandRight = 8191.5f;
  c.GuardBandBottom = 1234567.0f;
  c.ExtentsAdjust = 0.0f;
  c.StencilCaps = 0xFF;
  c.FVFCaps = 0x00080008;  // eight texture coordinates, elements not stripped
  c.TextureOpCaps = 0x2 | 0x4 | 0x8 | 0x40 | 0x2000000;
  c.MaxTextureBlendStages = 8;
  c.MaxSimultaneousTextures = 4;
  c.VertexProcessingCaps = 0x80 | 0x1 | 0x8;
  c.MaxActiveLights = 0xFFFFFFFF;
  c.MaxUserClipPlanes = 6;
  c.MaxVertexBlendMatrices = 4;
  c.MaxVertexBlendMatrixIndex = 0;
  c.MaxPointSize = 0.5f;
  c.MaxPrimitiveCount = 0xFFFFF;
  c.MaxVertexIndex = 0xFFFFFF;
  c.MaxStreams = 16;
  c.MaxStreamStride = 256;
  c.VertexShaderVersion = 0xFFFE0101;
  c.MaxVertexShaderConst = 96;
  c.PixelShaderVersion = 0xFFFF0104;
  c.MaxPixelShaderValue = 0.0001f;
  return c;
}

const char kRichCapsText[] =
    "< DeviceCaps >\n"
    "DeviceType: D3DDEVTYPE_REF\n"
    "AdapterOrdinal: 1\n"
    "Caps {\n\tD3DCAPS_READ_SCANLINE\n}\n"
    "Caps2 {\n\tD3DCAPS2_CANRENDERWINDOWED\n\tD3DCAPS2_FULLSCREENGAMMA\n\tD3DCAPS2_RESERVED\n}\n"
    "Caps3 {\n}\n"
    "PresentationIntervals {\n\tD3DPRESENT_INTERVAL_IMMEDIATE\n\tD3DPRESENT_INTERVAL_ONE\n"
    "\tD3DPRESENT_INTERVAL_TWO\n}\n"
    "CursorCaps {\n\tD3DCURSORCAPS_LOWRES\n}\n"
    "DevCaps {\n\tD3DDEVCAPS_EXECUTESYSTEMMEMORY\n\tD3DDEVCAPS_HWRASTERIZATION\n"
    "\tD3DDEVCAPS_TEXTUREVIDEOMEMORY\n\tD3DDEVCAPS_TLVERTEXVIDEOMEMORY\n}\n"
    "PrimitiveMiscCaps {\n\tD3DPMISCCAPS_BLENDOP\n\tD3DPMISCCAPS_CULLNONE\n\tD3DPMISCCAPS_MASKZ\n}\n"
    "RasterCaps {\n\tD3DPRASTERCAPS_DITHER\n\tD3DPRASTERCAPS_ZFOG\n\tD3DPRASTERCAPS_ZTEST\n}\n"
    "ZCmpCaps {\n\tD3DPCMPCAPS_ALWAYS\n\tD3DPCMPCAPS_EQUAL\n\tD3DPCMPCAPS_GREATER\n"
    "\tD3DPCMPCAPS_GREATEREQUAL\n\tD3DPCMPCAPS_LESS\n\tD3DPCMPCAPS_LESSEQUAL\n"
    "\tD3DPCMPCAPS_NEVER\n\tD3DPCMPCAPS_NOTEQUAL\n}\n"
    "SrcBlendCaps {\n\tD3DPBLENDCAPS_ONE\n\tD3DPBLENDCAPS_SRCALPHA\n\tD3DPBLENDCAPS_ZERO\n}\n"
    "DestBlendCaps {\n\tD3DPBLENDCAPS_BOTHINVSRCALPHA\n\tD3DPBLENDCAPS_INVSRCALPHA\n}\n"
    "AlphaCmpCaps {\n\tD3DPCMPCAPS_ALWAYS\n\tD3DPCMPCAPS_NEVER\n}\n"
    "ShadeCaps {\n\tD3DPSHADECAPS_ALPHAGOURAUDBLEND\n\tD3DPSHADECAPS_COLORGOURAUDRGB\n}\n"
    "TextureCaps {\n\tD3DPTEXTURECAPS_CUBEMAP\n\tD3DPTEXTURECAPS_MIPMAP\n"
    "\tD3DPTEXTURECAPS_PERSPECTIVE\n\tD3DPTEXTURECAPS_POW2\n}\n"
    "TextureFilterCaps {\n\tD3DPTFILTERCAPS_MAGFLINEAR\n\tD3DPTFILTERCAPS_MAGFPOINT\n"
    "\tD3DPTFILTERCAPS_MINFLINEAR\n\tD3DPTFILTERCAPS_MINFPOINT\n\tD3DPTFILTERCAPS_MIPFPOINT\n}\n"
    "CubeTextureFilterCaps {\n\tD3DPTFILTERCAPS_MAGFPOINT\n\tD3DPTFILTERCAPS_MINFPOINT\n}\n"
    "VolumeTextureFilterCaps {\n}\n"
    "TextureAddressCaps {\n\tD3DPTADDRESSCAPS_CLAMP\n\tD3DPTADDRESSCAPS_MIRROR\n"
    "\tD3DPTADDRESSCAPS_WRAP\n}\n"
    "VolumeTextureAddressCaps {\n\tD3DPTADDRESSCAPS_INDEPENDENTUV\n}\n"
    "LineCaps {\n\tD3DLINECAPS_TEXTURE\n\tD3DLINECAPS_ZTEST\n}\n"
    "MaxTextureWidth: 2048\n"
    "MaxTextureHeight: 1024\n"
    "MaxVolumeExtent: 256\n"
    "MaxTextureRepeat: 8192\n"
    "MaxTextureAspectRatio: 0\n"
    "MaxAnisotropy: 16\n"
    "MaxVertexW: 1e+10\n"
    "GuardBandLeft: -8192\n"
    "GuardBandTop: -8192\n"
    "GuardBandRight: 8191.5\n"
    "GuardBandBottom: 1.23457e+06\n"
    "ExtentsAdjust: 0\n"
    "StencilCaps {\n\tD3DSTENCILCAPS_DECR\n\tD3DSTENCILCAPS_DECRSAT\n\tD3DSTENCILCAPS_INCR\n"
    "\tD3DSTENCILCAPS_INCRSAT\n\tD3DSTENCILCAPS_INVERT\n\tD3DSTENCILCAPS_KEEP\n"
    "\tD3DSTENCILCAPS_REPLACE\n\tD3DSTENCILCAPS_ZERO\n}\n"
    "FVFCaps {\n\tD3DFVFCAPS_DONOTSTRIPELEMENTS\n}\n"
    "TextureOpCaps {\n\tD3DTEXOPCAPS_ADD\n\tD3DTEXOPCAPS_LERP\n\tD3DTEXOPCAPS_MODULATE\n"
    "\tD3DTEXOPCAPS_SELECTARG1\n\tD3DTEXOPCAPS_SELECTARG2\n}\n"
    "MaxTextureBlendStages: 8\n"
    "MaxSimultaneousTextures: 4\n"
    "VertexProcessingCaps {\n\tD3DVTXPCAPS_DIRECTIONALLIGHTS\n\tD3DVTXPCAPS_TEXGEN\n"
    "\tD3DVTXPCAPS_NO_VSDT_UBYTE4\n}\n"
    "MaxActiveLights: 4294967295\n"
    "MaxUserClipPlanes: 6\n"
    "MaxVertexBlendMatrices: 4\n"
    "MaxVertexBlendMatrixIndex: 0\n"
    "MaxPointSize: 0.5\n"
    "MaxPrimitiveCount: 1048575\n"
    "MaxVertexIndex: 16777215\n"
    "MaxStreams: 16\n"
    "MaxStreamStride: 256\n"
    "VertexShaderVersion: 1.1\n"
    "MaxVertexShaderConst: 96\n"
    "PixelShaderVersion: 1.4\n"
    "MaxPixelShaderValue: 0.0001\n"
    "\n";

TEST(DeviceCapsTest, RichRecordMatchesPublishedNamesAndOrder) { EXPECT_EQ(kRichCapsText, Write(RichCaps())); }

// Every flag of every field set: each of the flag tables is written whole, so
// a misspelt, missing or reordered name differs from the published list.
TEST(DeviceCapsTest, EveryFlagSetNamesEveryTableEntry) {
  D3DCAPS8 c = {};
  for (DWORD* mask : {&c.Caps,
                      &c.Caps2,
                      &c.Caps3,
                      &c.PresentationIntervals,
                      &c.CursorCaps,
                      &c.DevCaps,
                      &c.PrimitiveMiscCaps,
                      &c.RasterCaps,
                      &c.ZCmpCaps,
                      &c.SrcBlendCaps,
                      &c.DestBlendCaps,
                      &c.AlphaCmpCaps,
                      &c.ShadeCaps,
                      &c.TextureCaps,
                      &c.TextureFilterCaps,
                      &c.CubeTextureFilterCaps,
                      &c.VolumeTextureFilterCaps,
                      &c.TextureAddressCaps,
                      &c.VolumeTextureAddressCaps,
                      &c.LineCaps,
                      &c.StencilCaps,
                      &c.FVFCaps,
                      &c.TextureOpCaps,
                      &c.VertexProcessingCaps}) {
    *mask = 0xFFFFFFFF;
  }
  std::string expected;
  ASSERT_TRUE(platform::ReadFileBytes(VEXA_TESTDATA_DIR "/AllFlagsCaps.txt", expected));
  EXPECT_EQ(expected, Write(c));
}

TEST(DeviceCapsTest, ZeroedRecordWritesEveryFieldEmpty) {
  const D3DCAPS8 zero = {};
  std::istringstream lines(Write(zero));
  std::string line, previous;
  int groups = 0, values = 0;
  std::getline(lines, line);
  EXPECT_EQ("< DeviceCaps >", line);
  std::getline(lines, line);
  EXPECT_EQ("DeviceType: D3DDEVTYPE_HAL", line);
  while (std::getline(lines, line) && !line.empty()) {
    if (line.size() > 2 && line.compare(line.size() - 2, 2, " {") == 0) {
      ++groups;
      std::getline(lines, line);
      EXPECT_EQ("}", line) << previous;
    } else if (line.find("ShaderVersion: ") != std::string::npos) {
      ++values;
      EXPECT_EQ("0.0", line.substr(line.find(": ") + 2)) << line;
    } else {
      ++values;
      EXPECT_EQ("0", line.substr(line.find(": ") + 2)) << line;
    }
    previous = line;
  }
  EXPECT_EQ(24, groups);
  EXPECT_EQ(28, values);
  EXPECT_FALSE(std::getline(lines, line)) << "nothing after the closing empty line";
}

TEST(DeviceCapsTest, MultiBitEntriesNeedEveryBit) {
  static const CapsFlagName kTable[] = {
      {0x8000001F, "RESERVED"}, {0xFFFF, "TEXCOORDCOUNTMASK"}, {0x10, "SINGLE"}};
  struct Case {
    DWORD value;
    const char* expected;
  } const cases[] = {
      {0x00000010, "L {\n\tSINGLE\n}\n"},
      {0x8000001F, "L {\n\tRESERVED\n\tSINGLE\n}\n"},
      {0xFFFFFFFF, "L {\n\tRESERVED\n\tTEXCOORDCOUNTMASK\n\tSINGLE\n}\n"},
      {0x0000FFFF, "L {\n\tTEXCOORDCOUNTMASK\n\tSINGLE\n}\n"},
      {0x0000FFEF, "L {\n}\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    WriteCapsFlags(out, c.value, "L", kTable, 3);
    EXPECT_EQ(c.expected, out.str()) << std::hex << c.value;
  }
}

TEST(DeviceCapsTest, ShaderVersionDropsTheKindMarker) {
  EXPECT_EQ("1.1", FormatShaderVersion(0xFFFE0101));
  EXPECT_EQ("1.4", FormatShaderVersion(0xFFFF0104));
  EXPECT_EQ("0.0", FormatShaderVersion(0));
  EXPECT_EQ("255.255", FormatShaderVersion(0x1234FFFF));
}

TEST(DeviceCapsTest, FailedStreamIsLeftFailedWithoutThrowing) {
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  EXPECT_NO_THROW(WriteDeviceCaps(out, RichCaps()));
  EXPECT_TRUE(out.bad());
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
