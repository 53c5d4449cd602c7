// The enumeration against scripted runtimes: what it asks, what it keeps,
// and how often it asks.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>

#include "platform/D3D8Model.h"
#include "platform/TextFile.h"
#include "vexaSDK/Common/testing/vexaLogReader.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaSDK {
namespace DX8 {
namespace {

using platform::d3d8::AdapterModel;
using platform::d3d8::Call;
using platform::d3d8::CRuntimeModel;
using platform::d3d8::DeviceTypeModel;

// An IDirect3D8 over a model, released at the end of the test.
struct Runtime {
  explicit Runtime(std::shared_ptr<CRuntimeModel> m)
      : model(std::move(m)), d3d(platform::d3d8::CreateDirect3D8(model)) {}
  ~Runtime() { d3d->Release(); }
  std::shared_ptr<CRuntimeModel> model;
  IDirect3D8* d3d;
};

AdapterModel Adapter(const char* description, std::vector<D3DDISPLAYMODE> modes) {
  AdapterModel adapter;
  std::strcpy(adapter.identifier.Description, description);
  adapter.modes = std::move(modes);
  if (!adapter.modes.empty()) adapter.current = adapter.modes.front();  // the desktop's mode
  adapter.ref = platform::d3d8::MakeSoftwareRasterizer();
  return adapter;
}

std::shared_ptr<CRuntimeModel> Model(std::vector<AdapterModel> adapters) {
  auto model = std::make_shared<CRuntimeModel>();
  model->adapters = std::move(adapters);
  return model;
}

TEST(EnumerationTest, NothingToEnumerate) {
  const CDGEnumMode none(nullptr);
  EXPECT_TRUE(none.Identifiers().empty());
  EXPECT_TRUE(none.ModeInfos().empty());
  Runtime empty(Model({}));
  const CDGEnumMode noAdapters(empty.d3d);
  EXPECT_TRUE(noAdapters.Identifiers().empty());
  EXPECT_TRUE(noAdapters.ModeInfos().empty());
}

TEST(EnumerationTest, UnreadableIdentifierLeavesTheAdapterOutWithOneLogLine) {
  Runtime runtime(Model({Adapter("A", {{640, 480, 60, D3DFMT_X8R8G8B8}}), Adapter("B", {}),
                         Adapter("C", {{800, 600, 60, D3DFMT_R5G6B5}})}));
  runtime.model->fail = [](Call call, UINT adapter, UINT) {
    return call == Call::kGetAdapterIdentifier && adapter == 1 ? D3DERR_INVALIDCALL : D3D_OK;
  };
  const Common::testkit::CLogReader log;
  const CDGEnumMode enumeration(runtime.d3d);
  ASSERT_EQ(2u, enumeration.Identifiers().size());
  EXPECT_STREQ("C", enumeration.Identifiers()[1].Description);
  ASSERT_EQ(8u, enumeration.ModeInfos().size());
  const D3DDEVTYPE types[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_HAL, D3DDEVTYPE_REF, D3DDEVTYPE_REF};
  for (std::size_t i = 0; i < 8; ++i) {
    const CModeInfo& record = enumeration.GetModeInfo(i);
    EXPECT_EQ(i < 4 ? 0u : 2u, record.Adapter()) << i;
    EXPECT_EQ(types[i % 4], record.DeviceType()) << i;
    EXPECT_EQ(static_cast<BOOL>(i % 2), record.Windowed()) << i;
    EXPECT_STREQ(i < 4 ? "A" : "C", record.Identifier().Description) << i;
  }
  const std::string added = log.Added();
  EXPECT_EQ(0u, added.find("vexaDGEnumMode.cpp(")) << added;
  EXPECT_EQ(added.size() - std::strlen("):D3DERR_INVALIDCALL\r\n"), added.find("):D3DERR_INVALIDCALL\r\n"))
      << added;
}

TEST(EnumerationTest, BackBufferCandidatesFollowTheDisplayFormat) {
  AdapterModel adapter = Adapter("A", {{640, 480, 60, D3DFMT_A1R5G5B5}, {320, 200, 70, D3DFMT_UNKNOWN}});
  adapter.ref.deviceTypes = {{D3DFMT_A1R5G5B5, D3DFMT_R5G6B5},
                             {D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5},
                             {D3DFMT_UNKNOWN, D3DFMT_X8R8G8B8},
                             {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8}};
  Runtime runtime(Model({adapter}));
  const CDGEnumMode enumeration(runtime.d3d);
  const std::vector<CDisplayMode>& modes = enumeration.GetModeInfo(2).DisplayModes();
  ASSERT_EQ(3u, modes.size());
  // Both formats are unranked, so only the sizes order them.
  EXPECT_EQ(D3DFMT_UNKNOWN, modes[0].Format);
  EXPECT_EQ(D3DFMT_X8R8G8B8, modes[0].BackBufferFormat);
  EXPECT_EQ(D3DFMT_R5G6B5, modes[1].BackBufferFormat) << "16-bit candidates for format 25";
  EXPECT_EQ(D3DFMT_X1R5G5B5, modes[2].BackBufferFormat) << "a mode with two back buffers is listed twice";
  EXPECT_TRUE(enumeration.GetModeInfo(0).DisplayModes().empty()) << "no hardware device";
}

TEST(EnumerationTest, MultiSampleSurfaceAndDepthStencilOrder) {
  AdapterModel adapter = Adapter("A", {{640, 480, 60, D3DFMT_X8R8G8B8}});
  DeviceTypeModel& ref = adapter.ref;
  ref.multiSamples = {{D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_NONE},
                      {D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_2_SAMPLES},
                      {D3DFMT_A8R8G8B8, FALSE, D3DMULTISAMPLE_NONE},
                      {D3DFMT_A8R8G8B8, FALSE, D3DMULTISAMPLE_4_SAMPLES},
                      {D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_NONE}};
  ref.formats.insert({D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16});
  ref.formats.erase({D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32});
  ref.depthStencilMismatches = {{D3DFMT_A8R8G8B8, D3DFMT_D24S8}};
  Runtime runtime(Model({adapter}));
  const CDGEnumMode enumeration(runtime.d3d);

  const FormatPair alpha(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8), plain(D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8);
  const CModeInfo& fullScreen = enumeration.GetModeInfo(2);
  const CModeInfo& windowed = enumeration.GetModeInfo(3);
  using Samples = std::vector<D3DMULTISAMPLE_TYPE>;
  EXPECT_EQ((Samples{D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_4_SAMPLES}), fullScreen.MultiSamples().at(alpha));
  EXPECT_EQ((Samples{D3DMULTISAMPLE_NONE}), fullScreen.MultiSamples().at(plain));
  EXPECT_EQ((Samples{D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES}), windowed.MultiSamples().at(alpha));
  EXPECT_EQ((Samples{D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES}), windowed.MultiSamples().at(plain));

  using Formats = std::vector<D3DFORMAT>;
  EXPECT_EQ((Formats{D3DFMT_D16_LOCKABLE, D3DFMT_D15S1, D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24X4S4}),
            fullScreen.DepthStencils().at(alpha));
  EXPECT_EQ(
      (Formats{D3DFMT_D16_LOCKABLE, D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24X4S4}),
      fullScreen.DepthStencils().at(plain));
}

// A driver that accepts every candidate in every kind of use: each table then
// lists all of them, in the order they are asked.
TEST(EnumerationTest, EveryCandidateInItsOrderAndWindowsOnlyOnTheDesktopFormat) {
  const std::vector<D3DFORMAT> allCandidates = {
      D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8,    D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,    D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,    D3DFMT_R3G3B2,   D3DFMT_A8,        D3DFMT_A8R3G3B2,
      D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, D3DFMT_G16R16,   D3DFMT_A8P8,      D3DFMT_P8,
      D3DFMT_L8,       D3DFMT_A8L8,        D3DFMT_A4L4,     D3DFMT_V8U8,      D3DFMT_L6V5U5,
      D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8,    D3DFMT_V16U16,   D3DFMT_W11V11U10, D3DFMT_A2W10V10U10,
      D3DFMT_UYVY,     D3DFMT_YUY2,        D3DFMT_DXT1,     D3DFMT_DXT2,      D3DFMT_DXT3,
      D3DFMT_DXT4,     D3DFMT_DXT5};
  AdapterModel adapter = Adapter("A", {{640, 480, 60, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_R5G6B5}});
  adapter.ref.deviceTypes = {{D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}, {D3DFMT_R5G6B5, D3DFMT_R5G6B5}};
  for (int kind = 0; kind < kFormatTableCount; ++kind) {
    for (const D3DFORMAT format : allCandidates) {
      adapter.ref.formats.insert({kFormatTableInfo[kind].usage, kFormatTableInfo[kind].resourceType, format});
    }
  }
  Runtime runtime(Model({adapter}));
  const CDGEnumMode enumeration(runtime.d3d);
  const CModeInfo& fullScreen = enumeration.GetModeInfo(2);
  const CModeInfo& windowed = enumeration.GetModeInfo(3);
  for (int kind = 0; kind < kFormatTableCount; ++kind) {
    const FormatTable& table = fullScreen.Formats(static_cast<FormatTableKind>(kind));
    ASSERT_EQ(2u, table.size()) << kind;
    EXPECT_EQ(allCandidates, table.at(D3DFMT_X8R8G8B8)) << kind;
    EXPECT_EQ(allCandidates, table.at(D3DFMT_R5G6B5)) << kind;
    const FormatTable& windowTable = windowed.Formats(static_cast<FormatTableKind>(kind));
    ASSERT_EQ(1u, windowTable.size()) << "a window never sees the 16-bit display format";
    EXPECT_EQ(D3DFMT_X8R8G8B8, windowTable.begin()->first);
  }
  ASSERT_EQ(2u, fullScreen.DisplayModes().size());
  ASSERT_EQ(1u, windowed.DisplayModes().size());
  EXPECT_EQ(640u, windowed.DisplayModes()[0].Width);
}

// Formats are signed: a negative display format sorts first and, being below
// R5G6B5, is offered the 32-bit back buffers.
TEST(EnumerationTest, NegativeDisplayFormatIsBelowEveryOther) {
  const D3DFORMAT negative = static_cast<D3DFORMAT>(-5);
  AdapterModel adapter = Adapter("A", {{800, 600, 60, D3DFMT_X8R8G8B8}, {640, 480, 60, negative}});
  adapter.ref.deviceTypes = {{D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}, {negative, D3DFMT_A8R8G8B8}};
  Runtime runtime(Model({adapter}));
  const CDGEnumMode enumeration(runtime.d3d);
  const CModeInfo& fullScreen = enumeration.GetModeInfo(2);
  ASSERT_EQ(2u, fullScreen.DisplayModes().size());
  EXPECT_EQ(negative, fullScreen.DisplayModes()[0].Format);
  EXPECT_EQ(D3DFMT_A8R8G8B8, fullScreen.DisplayModes()[0].BackBufferFormat);
  const FormatTable& targets = fullScreen.Formats(kRenderTargetFormats);
  ASSERT_EQ(2u, targets.size());
  EXPECT_EQ(negative, targets.begin()->first);
  EXPECT_EQ(negative, fullScreen.MultiSamples().begin()->first.DisplayFormat);
}

TEST(EnumerationTest, SharedFormatsAreAskedOncePerRecord) {
  std::vector<D3DDISPLAYMODE> modes;
  const D3DFORMAT displays[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
  for (UINT m = 0; m < 300; ++m) modes.push_back({640 + m, 480, 60 + m % 3, displays[m % 3]});
  Runtime runtime(Model({Adapter("A", modes)}));
  const CDGEnumMode enumeration(runtime.d3d);
  const CRuntimeModel& model = *runtime.model;

  // Full-screen REF record: pairs (22,21) (22,22) (23,23) (24,24) accepted,
  // display formats 22, 23 and 24. Windowed REF record: only the desktop's
  // format 22, so pairs (22,21) (22,22). The HAL records stop at CheckDeviceType.
  const unsigned long pairs = 4 + 2, displayFormats = 3 + 1, depthFormats = 7, records = 4;
  EXPECT_EQ(records * 300, model.Count(Call::kEnumAdapterModes));
  EXPECT_EQ(records * 300 * 2, model.Count(Call::kCheckDeviceType));
  EXPECT_EQ(pairs * 16, model.Count(Call::kCheckDeviceMultiSampleType));
  EXPECT_EQ(pairs * depthFormats + displayFormats * 32 * 7, model.Count(Call::kCheckDeviceFormat));
  EXPECT_EQ(pairs * depthFormats, model.Count(Call::kCheckDepthStencilMatch));
  EXPECT_EQ(records, model.Count(Call::kGetDeviceCaps));
  EXPECT_EQ(400u, enumeration.GetModeInfo(2).DisplayModes().size())
      << "100 modes of format 22 twice, 23 and 24 once";
  EXPECT_EQ(200u, enumeration.GetModeInfo(3).DisplayModes().size())
      << "a window gets only the desktop's format, 22, with both back buffers";
}

TEST(EnumerationTest, FailedItemsAreLeftOutSilently) {
  Runtime runtime(Model({Adapter("A", {{640, 480, 60, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_X8R8G8B8}})}));
  runtime.model->fail = [](Call call, UINT, UINT index) {
    if (call == Call::kEnumAdapterModes && index == 0) return D3DERR_INVALIDCALL;
    if (call == Call::kGetDeviceCaps) return D3DERR_DRIVERINTERNALERROR;
    return D3D_OK;
  };
  const CDGEnumMode enumeration(runtime.d3d);
  const CModeInfo& record = enumeration.GetModeInfo(2);
  ASSERT_EQ(2u, record.DisplayModes().size());
  EXPECT_EQ(800u, record.DisplayModes()[0].Width);
  const D3DCAPS8 zero = {};
  EXPECT_EQ(0, std::memcmp(&zero, &record.Caps(), sizeof zero));
  EXPECT_EQ(1u, record.Formats(kRenderTargetFormats).size());
  ASSERT_NE(nullptr, record.GetTextureFormats(D3DFMT_X8R8G8B8, false));
}

TEST(EnumerationTest, ErrorNamesForLogLines) {
  EXPECT_STREQ("D3DERR_NOTAVAILABLE", DXGetErrorString8(D3DERR_NOTAVAILABLE));
  EXPECT_STREQ("D3DERR_INVALIDCALL", DXGetErrorString8(D3DERR_INVALIDCALL));
  EXPECT_STREQ("D3DERR_DEVICELOST", DXGetErrorString8(D3DERR_DEVICELOST));
  EXPECT_STREQ("E_OUTOFMEMORY", DXGetErrorString8(E_OUTOFMEMORY));
  EXPECT_STREQ("S_OK", DXGetErrorString8(S_OK));
}

TEST(EnumerationTest, DefaultModelReport) {
  Runtime runtime(platform::d3d8::MakeDefaultModel());
  const CDGEnumMode enumeration(runtime.d3d);
  std::ostringstream text;
  enumeration.WriteDeviceInfo(text);
  std::string expected;
  ASSERT_TRUE(platform::ReadFileBytes(VEXA_TESTDATA_DIR "/DefaultModelDeviceInfo.txt", expected));
  EXPECT_EQ(expected, text.str());
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
