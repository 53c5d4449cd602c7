// Field table and flag-name tables of the capability block. The tables list
// flags in the order they are written, which is not the order of the bits.
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"

#include <cstdio>
#include <cstring>

#include "vexaSDK/dx/dx8_3d/internal/vexaReportText.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaSDK {
namespace DX8 {
namespace {

const CapsFlagName kCaps[] = {{0x20000, "D3DCAPS_READ_SCANLINE"}};

const CapsFlagName kCaps2[] = {
    {0x100000, "D3DCAPS2_CANCALIBRATEGAMMA"}, {0x80000, "D3DCAPS2_CANRENDERWINDOWED"},
    {0x20000, "D3DCAPS2_FULLSCREENGAMMA"},    {0x2, "D3DCAPS2_NO2DDURING3DSCENE"},
    {0x2000000, "D3DCAPS2_RESERVED"},
};

const CapsFlagName kCaps3[] = {{0x8000001F, "D3DCAPS3_RESERVED"}};

const CapsFlagName kPresentationIntervals[] = {
    {0x80000000, "D3DPRESENT_INTERVAL_IMMEDIATE"},
    {0x1, "D3DPRESENT_INTERVAL_ONE"},
    {0x2, "D3DPRESENT_INTERVAL_TWO"},
    {0x4, "D3DPRESENT_INTERVAL_THREE"},
    {0x8, "D3DPRESENT_INTERVAL_FOUR"},
};

const CapsFlagName kCursorCaps[] = {{0x1, "D3DCURSORCAPS_COLOR"}, {0x2, "D3DCURSORCAPS_LOWRES"}};

const CapsFlagName kDevCaps[] = {
    {0x20000, "D3DDEVCAPS_CANBLTSYSTONONLOCAL"},
    {0x800, "D3DDEVCAPS_CANRENDERAFTERFLIP"},
    {0x400, "D3DDEVCAPS_DRAWPRIMTLVERTEX"},
    {0x10, "D3DDEVCAPS_EXECUTESYSTEMMEMORY"},
    {0x20, "D3DDEVCAPS_EXECUTEVIDEOMEMORY"},
    {0x80000, "D3DDEVCAPS_HWRASTERIZATION"},
    {0x10000, "D3DDEVCAPS_HWTRANSFORMANDLIGHT"},
    {0x1000000, "D3DDEVCAPS_NPATCHES"},
    {0x100000, "D3DDEVCAPS_PUREDEVICE"},
    {0x200000, "D3DDEVCAPS_QUINTICRTPATCHES"},
    {0x400000, "D3DDEVCAPS_RTPATCHES"},
    {0x800000, "D3DDEVCAPS_RTPATCHHANDLEZERO"},
    {0x4000, "D3DDEVCAPS_SEPARATETEXTUREMEMORIES"},
    {0x1000, "D3DDEVCAPS_TEXTURENONLOCALVIDMEM"},
    {0x100, "D3DDEVCAPS_TEXTURESYSTEMMEMORY"},
    {0x200, "D3DDEVCAPS_TEXTUREVIDEOMEMORY"},
    {0x40, "D3DDEVCAPS_TLVERTEXSYSTEMMEMORY"},
    {0x80, "D3DDEVCAPS_TLVERTEXVIDEOMEMORY"},
};

const CapsFlagName kPrimitiveMiscCaps[] = {
    {0x800, "D3DPMISCCAPS_BLENDOP"},     {0x100, "D3DPMISCCAPS_CLIPPLANESCALEDPOINTS"},
    {0x200, "D3DPMISCCAPS_CLIPTLVERTS"}, {0x80, "D3DPMISCCAPS_COLORWRITEENABLE"},
    {0x40, "D3DPMISCCAPS_CULLCCW"},      {0x20, "D3DPMISCCAPS_CULLCW"},
    {0x10, "D3DPMISCCAPS_CULLNONE"},     {0x4, "D3DPMISCCAPS_LINEPATTERNREP"},
    {0x2, "D3DPMISCCAPS_MASKZ"},         {0x400, "D3DPMISCCAPS_TSSARGTEMP"},
};

const CapsFlagName kRasterCaps[] = {
    {0x20000, "D3DPRASTERCAPS_ANISOTROPY"},
    {0x1000, "D3DPRASTERCAPS_ANTIALIASEDGES"},
    {0x400000, "D3DPRASTERCAPS_COLORPERSPECTIVE"},
    {0x1, "D3DPRASTERCAPS_DITHER"},
    {0x10000, "D3DPRASTERCAPS_FOGRANGE"},
    {0x100, "D3DPRASTERCAPS_FOGTABLE"},
    {0x80, "D3DPRASTERCAPS_FOGVERTEX"},
    {0x2000, "D3DPRASTERCAPS_MIPMAPLODBIAS"},
    {0x8, "D3DPRASTERCAPS_PAT"},
    {0x800000, "D3DPRASTERCAPS_STRETCHBLTMULTISAMPLE"},
    {0x40000, "D3DPRASTERCAPS_WBUFFER"},
    {0x100000, "D3DPRASTERCAPS_WFOG"},
    {0x4000, "D3DPRASTERCAPS_ZBIAS"},
    {0x8000, "D3DPRASTERCAPS_ZBUFFERLESSHSR"},
    {0x200000, "D3DPRASTERCAPS_ZFOG"},
    {0x10, "D3DPRASTERCAPS_ZTEST"},
};

const CapsFlagName kCmpCaps[] = {
    {0x80, "D3DPCMPCAPS_ALWAYS"},       {0x4, "D3DPCMPCAPS_EQUAL"},     {0x10, "D3DPCMPCAPS_GREATER"},
    {0x40, "D3DPCMPCAPS_GREATEREQUAL"}, {0x2, "D3DPCMPCAPS_LESS"},      {0x8, "D3DPCMPCAPS_LESSEQUAL"},
    {0x1, "D3DPCMPCAPS_NEVER"},         {0x20, "D3DPCMPCAPS_NOTEQUAL"},
};

const CapsFlagName kBlendCaps[] = {
    {0x1000, "D3DPBLENDCAPS_BOTHINVSRCALPHA"},
    {0x800, "D3DPBLENDCAPS_BOTHSRCALPHA"},
    {0x40, "D3DPBLENDCAPS_DESTALPHA"},
    {0x100, "D3DPBLENDCAPS_DESTCOLOR"},
    {0x80, "D3DPBLENDCAPS_INVDESTALPHA"},
    {0x200, "D3DPBLENDCAPS_INVDESTCOLOR"},
    {0x20, "D3DPBLENDCAPS_INVSRCALPHA"},
    {0x8, "D3DPBLENDCAPS_INVSRCCOLOR"},
    {0x2, "D3DPBLENDCAPS_ONE"},
    {0x10, "D3DPBLENDCAPS_SRCALPHA"},
    {0x400, "D3DPBLENDCAPS_SRCALPHASAT"},
    {0x4, "D3DPBLENDCAPS_SRCCOLOR"},
    {0x1, "D3DPBLENDCAPS_ZERO"},
};

const CapsFlagName kShadeCaps[] = {
    {0x4000, "D3DPSHADECAPS_ALPHAGOURAUDBLEND"},
    {0x8, "D3DPSHADECAPS_COLORGOURAUDRGB"},
    {0x80000, "D3DPSHADECAPS_FOGGOURAUD"},
    {0x200, "D3DPSHADECAPS_SPECULARGOURAUDRGB"},
};

const CapsFlagName kTextureCaps[] = {
    {0x4, "D3DPTEXTURECAPS_ALPHA"},
    {0x80, "D3DPTEXTURECAPS_ALPHAPALETTE"},
    {0x800, "D3DPTEXTURECAPS_CUBEMAP"},
    {0x20000, "D3DPTEXTURECAPS_CUBEMAP_POW2"},
    {0x10000, "D3DPTEXTURECAPS_MIPCUBEMAP"},
    {0x4000, "D3DPTEXTURECAPS_MIPMAP"},
    {0x8000, "D3DPTEXTURECAPS_MIPVOLUMEMAP"},
    {0x100, "D3DPTEXTURECAPS_NONPOW2CONDITIONAL"},
    {0x1, "D3DPTEXTURECAPS_PERSPECTIVE"},
    {0x2, "D3DPTEXTURECAPS_POW2"},
    {0x400, "D3DPTEXTURECAPS_PROJECTED"},
    {0x20, "D3DPTEXTURECAPS_SQUAREONLY"},
    {0x40, "D3DPTEXTURECAPS_TEXREPEATNOTSCALEDBYSIZE"},
    {0x2000, "D3DPTEXTURECAPS_VOLUMEMAP"},
    {0x40000, "D3DPTEXTURECAPS_VOLUMEMAP_POW2"},
};

const CapsFlagName kFilterCaps[] = {
    {0x8000000, "D3DPTFILTERCAPS_MAGFAFLATCUBIC"},
    {0x4000000, "D3DPTFILTERCAPS_MAGFANISOTROPIC"},
    {0x10000000, "D3DPTFILTERCAPS_MAGFGAUSSIANCUBIC"},
    {0x2000000, "D3DPTFILTERCAPS_MAGFLINEAR"},
    {0x1000000, "D3DPTFILTERCAPS_MAGFPOINT"},
    {0x400, "D3DPTFILTERCAPS_MINFANISOTROPIC"},
    {0x200, "D3DPTFILTERCAPS_MINFLINEAR"},
    {0x100, "D3DPTFILTERCAPS_MINFPOINT"},
    {0x20000, "D3DPTFILTERCAPS_MIPFLINEAR"},
    {0x10000, "D3DPTFILTERCAPS_MIPFPOINT"},
};

const CapsFlagName kAddressCaps[] = {
    {0x8, "D3DPTADDRESSCAPS_BORDER"},         {0x4, "D3DPTADDRESSCAPS_CLAMP"},
    {0x10, "D3DPTADDRESSCAPS_INDEPENDENTUV"}, {0x2, "D3DPTADDRESSCAPS_MIRROR"},
    {0x20, "D3DPTADDRESSCAPS_MIRRORONCE"},    {0x1, "D3DPTADDRESSCAPS_WRAP"},
};

const CapsFlagName kLineCaps[] = {
    {0x8, "D3DLINECAPS_ALPHACMP"}, {0x4, "D3DLINECAPS_BLEND"}, {0x10, "D3DLINECAPS_FOG"},
    {0x1, "D3DLINECAPS_TEXTURE"},  {0x2, "D3DLINECAPS_ZTEST"},
};

const CapsFlagName kStencilCaps[] = {
    {0x80, "D3DSTENCILCAPS_DECR"},   {0x10, "D3DSTENCILCAPS_DECRSAT"}, {0x40, "D3DSTENCILCAPS_INCR"},
    {0x8, "D3DSTENCILCAPS_INCRSAT"}, {0x20, "D3DSTENCILCAPS_INVERT"},  {0x1, "D3DSTENCILCAPS_KEEP"},
    {0x4, "D3DSTENCILCAPS_REPLACE"}, {0x2, "D3DSTENCILCAPS_ZERO"},
};

const CapsFlagName kFVFCaps[] = {
    {0x80000, "D3DFVFCAPS_DONOTSTRIPELEMENTS"},
    {0x100000, "D3DFVFCAPS_PSIZE"},
    {0xFFFF, "D3DFVFCAPS_TEXCOORDCOUNTMASK"},
};

const CapsFlagName kTextureOpCaps[] = {
    {0x40, "D3DTEXOPCAPS_ADD"},
    {0x80, "D3DTEXOPCAPS_ADDSIGNED"},
    {0x100, "D3DTEXOPCAPS_ADDSIGNED2X"},
    {0x400, "D3DTEXOPCAPS_ADDSMOOTH"},
    {0x8000, "D3DTEXOPCAPS_BLENDCURRENTALPHA"},
    {0x800, "D3DTEXOPCAPS_BLENDDIFFUSEALPHA"},
    {0x2000, "D3DTEXOPCAPS_BLENDFACTORALPHA"},
    {0x1000, "D3DTEXOPCAPS_BLENDTEXTUREALPHA"},
    {0x4000, "D3DTEXOPCAPS_BLENDTEXTUREALPHAPM"},
    {0x200000, "D3DTEXOPCAPS_BUMPENVMAP"},
    {0x400000, "D3DTEXOPCAPS_BUMPENVMAPLUMINANCE"},
    {0x1, "D3DTEXOPCAPS_DISABLE"},
    {0x800000, "D3DTEXOPCAPS_DOTPRODUCT3"},
    {0x2000000, "D3DTEXOPCAPS_LERP"},
    {0x8, "D3DTEXOPCAPS_MODULATE"},
    {0x10, "D3DTEXOPCAPS_MODULATE2X"},
    {0x20, "D3DTEXOPCAPS_MODULATE4X"},
    {0x20000, "D3DTEXOPCAPS_MODULATEALPHA_ADDCOLOR"},
    {0x40000, "D3DTEXOPCAPS_MODULATECOLOR_ADDALPHA"},
    {0x80000, "D3DTEXOPCAPS_MODULATEINVALPHA_ADDCOLOR"},
    {0x100000, "D3DTEXOPCAPS_MODULATEINVCOLOR_ADDALPHA"},
    {0x1000000, "D3DTEXOPCAPS_MULTIPLYADD"},
    {0x10000, "D3DTEXOPCAPS_PREMODULATE"},
    {0x2, "D3DTEXOPCAPS_SELECTARG1"},
    {0x4, "D3DTEXOPCAPS_SELECTARG2"},
    {0x200, "D3DTEXOPCAPS_SUBTRACT"},
};

const CapsFlagName kVertexProcessingCaps[] = {
    {0x8, "D3DVTXPCAPS_DIRECTIONALLIGHTS"},
    {0x20, "D3DVTXPCAPS_LOCALVIEWER"},
    {0x2, "D3DVTXPCAPS_MATERIALSOURCE7"},
    {0x10, "D3DVTXPCAPS_POSITIONALLIGHTS"},
    {0x1, "D3DVTXPCAPS_TEXGEN"},
    {0x40, "D3DVTXPCAPS_TWEENING"},
    {0x80, "D3DVTXPCAPS_NO_VSDT_UBYTE4"},
};

void AppendCapsFlags(internal::CReportText& text, DWORD value, const char* label, const CapsFlagName* table,
                     std::size_t count) {
  text << label << " {\n";
  for (std::size_t i = 0; i < count; ++i) {
    if ((value & table[i].flag) == table[i].flag) text << '\t' << table[i].name << '\n';
  }
  text << "}\n";
}

}  // namespace

#define VEXA_DEC(field) \
  { #field, offsetof(D3DCAPS8, field), CapsFieldKind::kDecimal, nullptr, 0 }
#define VEXA_FLOAT(field) \
  { #field, offsetof(D3DCAPS8, field), CapsFieldKind::kFloat, nullptr, 0 }
#define VEXA_SHADER(field) \
  { #field, offsetof(D3DCAPS8, field), CapsFieldKind::kShaderVersion, nullptr, 0 }
#define VEXA_FLAGS(field, table) \
  { #field, offsetof(D3DCAPS8, field), CapsFieldKind::kFlags, table, sizeof table / sizeof table[0] }

// Structure order of D3DCAPS8; the label is the published field name.
const CapsField kCapsFields[] = {
    {"DeviceType", offsetof(D3DCAPS8, DeviceType), CapsFieldKind::kDevType, nullptr, 0},
    VEXA_DEC(AdapterOrdinal),
    VEXA_FLAGS(Caps, kCaps),
    VEXA_FLAGS(Caps2, kCaps2),
    VEXA_FLAGS(Caps3, kCaps3),
    VEXA_FLAGS(PresentationIntervals, kPresentationIntervals),
    VEXA_FLAGS(CursorCaps, kCursorCaps),
    VEXA_FLAGS(DevCaps, kDevCaps),
    VEXA_FLAGS(PrimitiveMiscCaps, kPrimitiveMiscCaps),
    VEXA_FLAGS(RasterCaps, kRasterCaps),
    VEXA_FLAGS(ZCmpCaps, kCmpCaps),
    VEXA_FLAGS(SrcBlendCaps, kBlendCaps),
    VEXA_FLAGS(DestBlendCaps, kBlendCaps),
    VEXA_FLAGS(AlphaCmpCaps, kCmpCaps),
    VEXA_FLAGS(ShadeCaps, kShadeCaps),
    VEXA_FLAGS(TextureCaps, kTextureCaps),
    VEXA_FLAGS(TextureFilterCaps, kFilterCaps),
    VEXA_FLAGS(CubeTextureFilterCaps, kFilterCaps),
    VEXA_FLAGS(VolumeTextureFilterCaps, kFilterCaps),
    VEXA_FLAGS(TextureAddressCaps, kAddressCaps),
    VEXA_FLAGS(VolumeTextureAddressCaps, kAddressCaps),
    VEXA_FLAGS(LineCaps, kLineCaps),
    VEXA_DEC(MaxTextureWidth),
    VEXA_DEC(MaxTextureHeight),
    VEXA_DEC(MaxVolumeExtent),
    VEXA_DEC(MaxTextureRepeat),
    VEXA_DEC(MaxTextureAspectRatio),
    VEXA_DEC(MaxAnisotropy),
    VEXA_FLOAT(MaxVertexW),
    VEXA_FLOAT(GuardBandLeft),
    VEXA_FLOAT(GuardBandTop),
    VEXA_FLOAT(GuardBandRight),
    VEXA_FLOAT(GuardBandBottom),
    VEXA_FLOAT(ExtentsAdjust),
    VEXA_FLAGS(StencilCaps, kStencilCaps),
    VEXA_FLAGS(FVFCaps, kFVFCaps),
    VEXA_FLAGS(TextureOpCaps, kTextureOpCaps),
    VEXA_DEC(MaxTextureBlendStages),
    VEXA_DEC(MaxSimultaneousTextures),
    VEXA_FLAGS(VertexProcessingCaps, kVertexProcessingCaps),
    VEXA_DEC(MaxActiveLights),
    VEXA_DEC(MaxUserClipPlanes),
    VEXA_DEC(MaxVertexBlendMatrices),
    VEXA_DEC(MaxVertexBlendMatrixIndex),
    VEXA_FLOAT(MaxPointSize),
    VEXA_DEC(MaxPrimitiveCount),
    VEXA_DEC(MaxVertexIndex),
    VEXA_DEC(MaxStreams),
    VEXA_DEC(MaxStreamStride),
    VEXA_SHADER(VertexShaderVersion),
    VEXA_DEC(MaxVertexShaderConst),
    VEXA_SHADER(PixelShaderVersion),
    VEXA_FLOAT(MaxPixelShaderValue),
};

#undef VEXA_DEC
#undef VEXA_FLOAT
#undef VEXA_SHADER
#undef VEXA_FLAGS

static_assert(sizeof kCapsFields / sizeof kCapsFields[0] == kCapsFieldCount,
              "every D3DCAPS8 field is written");
static_assert(sizeof(D3DCAPS8) == kCapsFieldCount * 4, "D3DCAPS8 is 53 consecutive 32-bit fields");

namespace internal {

void WriteDeviceCaps(CReportText& text, const D3DCAPS8& caps) {
  text << "< DeviceCaps >\n";
  for (const CapsField& field : kCapsFields) {
    switch (field.kind) {
      case CapsFieldKind::kDevType:
        text << "DeviceType: " << internal::DevTypeName(caps.DeviceType) << '\n';
        break;
      case CapsFieldKind::kDecimal:
        text << field.label << ": ";
        text.Dec(ReadCapsDword(caps, field.offset)) << '\n';
        break;
      case CapsFieldKind::kFloat:
        text << field.label << ": ";
        text.Float(ReadCapsFloat(caps, field.offset)) << '\n';
        break;
      case CapsFieldKind::kShaderVersion:
        text << field.label << ": " << FormatShaderVersion(ReadCapsDword(caps, field.offset)).c_str() << '\n';
        break;
      case CapsFieldKind::kFlags:
        AppendCapsFlags(text, ReadCapsDword(caps, field.offset), field.label, field.table, field.count);
        break;
    }
  }
  text.EndBlock();
}

}  // namespace internal

void WriteDeviceCaps(std::ostream& stream, const D3DCAPS8& caps) {
  internal::CReportText text(stream);
  internal::WriteDeviceCaps(text, caps);
  text.Finish();
}

void WriteCapsFlags(std::ostream& stream, DWORD value, const char* label, const CapsFlagName* table,
                    std::size_t count) {
  internal::CReportText text(stream);
  AppendCapsFlags(text, value, label, table, count);
  text.Finish();
}

std::string FormatShaderVersion(DWORD version) {
  char text[24];
  std::snprintf(text, sizeof text, "%lu.%lu", static_cast<unsigned long>((version >> 8) & 0xFF),
                static_cast<unsigned long>(version & 0xFF));
  return text;
}

}  // namespace DX8
}  // namespace vexaSDK
