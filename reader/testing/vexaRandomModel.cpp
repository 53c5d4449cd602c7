#include "reader/testing/vexaRandomModel.h"

#include <cstring>
#include <sstream>

namespace vexaEnvReader {
namespace testkit {
namespace {

using platform::d3d8::AdapterModel;
using platform::d3d8::DeviceTypeModel;

const D3DFORMAT kDisplayFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5,
                                     D3DFMT_X1R5G5B5, D3DFMT_R8G8B8,   D3DFMT_P8};
const D3DFORMAT kSurfaceFormats[] = {
    D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,       D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
    D3DFMT_R8G8B8,   D3DFMT_A8,       D3DFMT_P8,           D3DFMT_L8,       D3DFMT_V8U8,     D3DFMT_DXT1,
    D3DFMT_DXT3,     D3DFMT_DXT5,     D3DFMT_UYVY,         D3DFMT_D16,      D3DFMT_D24S8,    D3DFMT_D32,
    D3DFMT_D15S1,    D3DFMT_D24X8,    D3DFMT_D16_LOCKABLE, D3DFMT_D24X4S4};
// Texts a driver might give, in code page 932 where Japanese.
const char* const kTexts[] = {"",
                              "RADEON 9800 PRO",
                              "nv4_disp.dll",
                              "\x83\x72\x83\x66\x83\x49 \x83\x41\x83\x5f\x83\x76\x83\x5e",
                              "Intel(R) 82845G: Graphics: Controller",
                              "  leading and trailing blanks  ",
                              "a\tb"};

template <typename T, std::size_t N>
T Pick(std::mt19937& random, const T (&values)[N]) {
  return values[random() % N];
}

bool Chance(std::mt19937& random, unsigned percent) { return random() % 100 < percent; }

D3DCAPS8 RandomCaps(std::mt19937& random, D3DDEVTYPE type) {
  D3DCAPS8 caps;
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&caps);
  for (std::size_t i = 0; i < sizeof caps; ++i) bytes[i] = static_cast<unsigned char>(random());
  // Now and then every flag, or none.
  if (Chance(random, 10)) std::memset(&caps, 0xFF, sizeof caps);
  if (Chance(random, 10)) std::memset(&caps, 0, sizeof caps);
  caps.DeviceType = Chance(random, 90) ? type : static_cast<D3DDEVTYPE>(random() % 5);
  const float floats[] = {0.0f, 1e10f, -8192.0f, 0.5f, 64.0f, 0.0001f, 1e-5f, 123456.7f, 3.4e38f};
  if (Chance(random, 70)) caps.MaxVertexW = Pick(random, floats);
  if (Chance(random, 70)) caps.GuardBandLeft = -Pick(random, floats);
  if (Chance(random, 70)) caps.MaxPointSize = Pick(random, floats);
  return caps;
}

DeviceTypeModel RandomDeviceType(std::mt19937& random, const AdapterModel& adapter, D3DDEVTYPE type) {
  DeviceTypeModel device;
  device.available = Chance(random, 75);
  device.caps = RandomCaps(random, type);
  for (const D3DDISPLAYMODE& mode : adapter.modes) {
    for (int k = 0; k < 3; ++k) {
      if (Chance(random, 50)) device.deviceTypes.insert({mode.Format, Pick(random, kSurfaceFormats)});
    }
    device.deviceTypes.insert({mode.Format, mode.Format});
  }
  for (int k = 0; k < 12; ++k) {
    device.multiSamples.insert({Pick(random, kSurfaceFormats), random() % 2 ? TRUE : FALSE,
                                static_cast<D3DMULTISAMPLE_TYPE>(random() % 17)});
  }
  const DWORD usages[] = {0, D3DUSAGE_RENDERTARGET, D3DUSAGE_DEPTHSTENCIL};
  const D3DRESOURCETYPE resources[] = {D3DRTYPE_SURFACE, D3DRTYPE_TEXTURE, D3DRTYPE_CUBETEXTURE,
                                       D3DRTYPE_VOLUMETEXTURE};
  for (int k = 0; k < 40; ++k) {
    device.formats.insert({Pick(random, usages), Pick(random, resources), Pick(random, kSurfaceFormats)});
  }
  for (int k = 0; k < 4; ++k) {
    device.depthStencilMismatches.insert({Pick(random, kSurfaceFormats), Pick(random, kSurfaceFormats)});
  }
  return device;
}

}  // namespace

std::shared_ptr<platform::d3d8::CRuntimeModel> RandomModel(std::mt19937& random, int maxAdapters) {
  auto model = std::make_shared<platform::d3d8::CRuntimeModel>();
  const int adapters = static_cast<int>(random() % static_cast<unsigned>(maxAdapters + 1));
  for (int a = 0; a < adapters; ++a) {
    AdapterModel adapter;
    D3DADAPTER_IDENTIFIER8& id = adapter.identifier;
    std::strcpy(id.Description, Pick(random, kTexts));
    std::strcpy(id.Driver, Pick(random, kTexts));
    // A driver may fill the field to its last byte, without a NUL.
    if (Chance(random, 5)) std::memset(id.Description, 'D', sizeof id.Description);
    id.DriverVersion.HighPart = static_cast<LONG>(random());
    id.DriverVersion.LowPart = static_cast<DWORD>(random());
    id.VendorId = Chance(random, 50) ? Pick(random, {0x10DEu, 0x1002u, 0x8086u, 0u}) : random();
    id.DeviceId = random() & 0xFFFF;
    id.SubSysId = random();
    id.Revision = random() % 300;
    id.DeviceIdentifier.Data1 = random();
    id.DeviceIdentifier.Data2 = static_cast<WORD>(random());
    id.DeviceIdentifier.Data3 = static_cast<WORD>(random());
    for (BYTE& b : id.DeviceIdentifier.Data4) b = static_cast<BYTE>(random());
    id.WHQLLevel = Chance(random, 50) ? 0 : random();
    const unsigned modes = random() % 12;
    for (unsigned m = 0; m < modes; ++m) {
      const UINT widths[] = {640, 800, 1024, 1280, 1600, 1920, 2560};
      const UINT width = Pick(random, widths);
      adapter.modes.push_back(
          {width, width * 3 / 4, Pick(random, {0u, 60u, 75u, 85u}), Pick(random, kDisplayFormats)});
    }
    if (!adapter.modes.empty()) adapter.current = adapter.modes[random() % adapter.modes.size()];
    adapter.hal = RandomDeviceType(random, adapter, D3DDEVTYPE_HAL);
    adapter.ref = RandomDeviceType(random, adapter, D3DDEVTYPE_REF);
    model->adapters.push_back(adapter);
  }
  return model;
}

std::string WrittenDeviceInfo(const vexaSDK::DX8::CDGEnumMode& enumeration) {
  std::ostringstream text;
  enumeration.WriteDeviceInfo(text);
  return text.str();
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

std::string WrittenReport(const std::string& diagnostic, const vexaSDK::DX8::CDGEnumMode& enumeration) {
  return WithCrLf(diagnostic + "--------------------\nDeviceInfo\n--------------------\n\n" +
                  WrittenDeviceInfo(enumeration));
}

std::string WrittenReport(const std::string& diagnostic,
                          const std::shared_ptr<platform::d3d8::CRuntimeModel>& model) {
  IDirect3D8* direct3D = platform::d3d8::CreateDirect3D8(model);
  const vexaSDK::DX8::CDGEnumMode enumeration(direct3D);
  direct3D->Release();
  return WrittenReport(diagnostic, enumeration);
}

}  // namespace testkit
}  // namespace vexaEnvReader

#include "vexaSDK/dx/dx8_3d/testing/vexaTestEnumMode.h"

namespace vexaEnvReader {
namespace testkit {

std::string SampleReport(bool newer) {
  using vexaSDK::DX8::testkit::CTestEnumMode;
  using vexaSDK::DX8::testkit::CTestModeInfo;
  using namespace vexaSDK::DX8;
  CTestEnumMode enumeration;
  D3DADAPTER_IDENTIFIER8 first = {};
  std::strcpy(first.Description, "RADEON 9800 PRO");
  std::strcpy(first.Driver, "ati2dvag.dll");
  first.DriverVersion.HighPart = (6 << 16) | 14;
  first.DriverVersion.LowPart = (10 << 16) | (newer ? 6545 : 6400);
  first.VendorId = 0x1002;
  first.DeviceId = 0x4E48;
  first.WHQLLevel = 1;
  D3DCAPS8 caps = {};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.MaxTextureWidth = caps.MaxTextureHeight = newer ? 4096 : 2048;
  caps.VertexShaderVersion = 0xFFFE0101;
  caps.PixelShaderVersion = 0xFFFF0104;
  caps.TextureCaps = newer ? 0x4004 : 0x4;
  std::vector<D3DFORMAT> textures = {D3DFMT_A8R8G8B8, D3DFMT_DXT1, D3DFMT_DXT3};
  if (!newer) textures.push_back(D3DFMT_DXT5);
  std::vector<CModeInfo> records;
  for (const D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
    for (const BOOL windowed : {FALSE, TRUE}) {
      CTestModeInfo record(0, type, windowed, first);
      record.Caps(caps).Formats(kTextureFormats, D3DFMT_X8R8G8B8, textures);
      record.Mode(1024, 768, 60, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8)
          .Mode(1600, 1200, 60, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8);
      if (newer) record.Mode(1920, 1440, 75, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8);
      record.Mode(1024, 768, 60, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8);
      records.push_back(record);
    }
  }
  enumeration.Adapter(first, records);
  D3DADAPTER_IDENTIFIER8 second = {};
  std::strcpy(second.Description, "Basic Display");
  std::strcpy(second.Driver, "vga.dll");
  records.clear();
  for (const D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
    for (const BOOL windowed : {FALSE, TRUE}) {
      CTestModeInfo record(1, type, windowed, second);
      if (type == D3DDEVTYPE_REF) record.Mode(800, 600, 0, D3DFMT_R5G6B5, D3DFMT_R5G6B5);
      if (type == D3DDEVTYPE_HAL) record.Caps(D3DCAPS8());
      records.push_back(record);
    }
  }
  enumeration.Adapter(second, records);
  return WrittenReport(
      "------------------\n"
      "System Information\n"
      "------------------\n"
      "Time of this report: 12/7/2026, 09:15:00\n"
      "   Operating System: Windows XP Professional (5.1, Build 2600)\n"
      "          Processor: Pentium 4 (1 CPU), ~2.4GHz\n"
      "             Memory: 512MB RAM\n"
      "    DirectX Version: DirectX 8.1 (4.08.01.0881)\n\n",
      enumeration);
}

}  // namespace testkit
}  // namespace vexaEnvReader
