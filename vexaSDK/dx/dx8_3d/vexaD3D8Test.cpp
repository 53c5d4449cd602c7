// The device owner against runtime models: what it holds while up, what it
// logs and releases when a step fails, and what it leaves behind when down.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "platform/TextFile.h"
#include "vexaSDK/Common/testing/vexaLogReader.h"
#include "vexaSDK/Common/testing/vexaTestLog.h"
#include "vexaSDK/Graphics/vexaGraphicsManagers.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/dx/dx8_3d/testing/vexaTestRuntime.h"

namespace vexaSDK {
namespace DX8 {
namespace {

using platform::d3d8::Call;
using platform::d3d8::CRuntimeModel;
using platform::d3d8::Object;

const int kStateBlocksWhileUp = 1 + Graphics::kBlendModeCount;

// A builder that creates with the given behaviour flags, sets one render
// state as its default and counts its life.
class RecordingBuilder : public CDeviceBuilder {
 public:
  explicit RecordingBuilder(bool* alive, DWORD behavior = D3DCREATE_SOFTWARE_VERTEXPROCESSING)
      : CDeviceBuilder(GetDesktopWindow()), alive_(alive), behavior_(behavior) {
    *alive_ = true;
  }
  ~RecordingBuilder() override { *alive_ = false; }

  DWORD CreateDevice(IDirect3DDevice8** device) override { return CreateDeviceWith(behavior_, device); }
  HRESULT SetDefaultRenderStates() override {
    return CD3D8::GetInstance().GetDevice()->SetRenderState(D3DRS_LIGHTING, FALSE);
  }

 private:
  bool* alive_;
  DWORD behavior_;
};

// The framework's builder that notes, among the runtime calls the model
// reports, when the owner tells it the device exists and when it goes.
class StepBuilder : public CDeviceBuilder {
 public:
  static constexpr int kDeviceCreated = -1;
  static constexpr int kReleased = -2;

  StepBuilder(const std::shared_ptr<std::vector<int>>& events, const CRuntimeModel* model)
      : CDeviceBuilder(GetDesktopWindow()), events_(events), model_(model) {}
  ~StepBuilder() override {
    events_->push_back(kReleased);
    liveAtRelease = model_->Live(Object::kDevice) + model_->Live(Object::kDirect3D);
  }
  void OnDeviceCreated() override { events_->push_back(kDeviceCreated); }

  static long liveAtRelease;

 private:
  std::shared_ptr<std::vector<int>> events_;
  const CRuntimeModel* model_;
};
long StepBuilder::liveAtRelease = -1;

class D3D8Test : public testkit::D3D8TestBase {
 protected:
  DWORD RenderState(D3DRENDERSTATETYPE state) const {
    DWORD value = 0xDEADBEEF;
    EXPECT_EQ(D3D_OK, owner.GetDevice()->GetRenderState(state, &value));
    return value;
  }
  void ExpectAllReleased() const {
    EXPECT_FALSE(owner.IsInitialized());
    EXPECT_EQ(0, Live(Object::kDirect3D));
    EXPECT_EQ(0, Live(Object::kDevice));
    EXPECT_EQ(0, Live(Object::kVertexBuffer));
    EXPECT_EQ(0, Live(Object::kStateBlock));
    EXPECT_EQ(nullptr, owner.GetDevice().get());
    EXPECT_EQ(nullptr, owner.GetBuilder().get());
  }
};

TEST_F(D3D8Test, UpHoldsEverythingAndTerminateReleasesIt) {
  bool builderAlive = false;
  builder.reset(new RecordingBuilder(&builderAlive));
  ASSERT_TRUE(Initialize());
  EXPECT_TRUE(owner.IsInitialized());
  EXPECT_EQ(4u, owner.GetEnumMode().ModeInfos().size());
  EXPECT_EQ(1, Live(Object::kDirect3D));
  EXPECT_EQ(1, Live(Object::kDevice));
  EXPECT_EQ(1, Live(Object::kVertexBuffer)) << "the shared vertex buffer";
  EXPECT_EQ(kStateBlocksWhileUp, Live(Object::kStateBlock));
  EXPECT_EQ(0, std::memcmp(&model->adapters[0].ref.caps, &owner.GetCaps(), sizeof(D3DCAPS8)));
  EXPECT_EQ(&CD3D8::MessageBoxHook, Common::MessageBoxEntry::GetInstance()->function);

  owner.Terminate();
  builder.release();
  EXPECT_FALSE(builderAlive) << "the owner let go of its builder";
  ExpectAllReleased();
  EXPECT_EQ(CD3D8::kNoStateBlock, owner.DefaultStateBlock);
  EXPECT_EQ(0x003F, owner.GetFpuControlSetting());
  const D3DCAPS8 zero = {};
  EXPECT_EQ(0, std::memcmp(&zero, &owner.GetCaps(), sizeof zero));
  EXPECT_EQ(&platform::MessageBox932, Common::MessageBoxEntry::GetInstance()->function);
  EXPECT_THROW(owner.GetEnumMode(), Common::CNullPointerException);
}

// Each failing step is logged once by the start's guarded region, then the
// owner terminates with everything released.
TEST_F(D3D8Test, FailedStartsAreLoggedAndUndone) {
  struct Case {
    const char* name;
    void (*prepare)(CRuntimeModel& model);
    const char* error;
  } const cases[] = {
      {"no reference device", [](CRuntimeModel& m) { m.adapters[0].ref.available = false; },
       "error : Failed ID3DDeviceBuilder::CreateDevice\r\n"},
      {"device caps",
       [](CRuntimeModel& m) {
         m.fail = [](Call call, UINT, UINT) {
           return call == Call::kDeviceGetDeviceCaps ? D3DERR_DEVICELOST : D3D_OK;
         };
       },
       "error : Failed GetDeviceCaps D3DERR_DEVICELOST\r\n"},
  };
  for (const Case& c : cases) {
    Serve(testkit::MakeDeviceModel());
    c.prepare(*model);
    const Common::testkit::CLogReader log;
    EXPECT_FALSE(Initialize()) << c.name;
    const std::string added = log.Added();
    EXPECT_EQ(0u, added.find("exception CatchHandler vexaD3D8.cpp(")) << c.name << "\n" << added;
    EXPECT_NE(std::string::npos, added.find(c.error)) << c.name << "\n" << added;
    EXPECT_EQ(std::string::npos, added.find("already Terminated")) << c.name;
    EXPECT_NE(0u, model->Count(Call::kGetAdapterIdentifier)) << c.name << ": enumerated before the device";
    ExpectAllReleased();
    EXPECT_EQ(&platform::MessageBox932, Common::MessageBoxEntry::GetInstance()->function) << c.name;
  }
}

TEST_F(D3D8Test, MissingDirect3DIsLoggedThenTerminateFindsNothing) {
  const Common::testkit::CLogReader log;
  EXPECT_FALSE(Initialize(D3D_SDK_VERSION + 1));
  const std::string added = log.Added();
  EXPECT_EQ(0u, added.find("exception CatchHandler vexaD3D8.cpp(")) << added;
  const std::string tail =
      "\r\nerror : Failed ::Direct3DCreate8\r\n\r\nCD3D8::Terminate already Terminated\r\n";
  ASSERT_GE(added.size(), tail.size());
  EXPECT_EQ(tail, added.substr(added.size() - tail.size()));
  EXPECT_FALSE(owner.IsInitialized());
}

// The device is told it exists only once its capabilities are read, and the
// state blocks are recorded only after that.
class D3D8StepTest : public D3D8Test {
 protected:
  // Shared with the builder, which the test's base may release last.
  std::shared_ptr<std::vector<int>> recorded = std::make_shared<std::vector<int>>();
  std::vector<int>& events = *recorded;
};

TEST_F(D3D8StepTest, StartStepsComeInTheirOrder) {
  model->fail = [this](Call call, UINT, UINT) {
    events.push_back(static_cast<int>(call));
    return D3D_OK;
  };
  builder.reset(new StepBuilder(recorded, model.get()));
  ASSERT_TRUE(Initialize());
  const auto created = std::find(events.begin(), events.end(), StepBuilder::kDeviceCreated);
  ASSERT_NE(events.end(), created);
  ASSERT_NE(events.begin(), created);
  ASSERT_NE(events.end(), created + 1);
  const std::vector<int> around = {*(created - 1), *(created + 1)};
  EXPECT_EQ((std::vector<int>{static_cast<int>(Call::kDeviceGetDeviceCaps),
                              static_cast<int>(Call::kBeginStateBlock)}),
            around);
  EXPECT_EQ(1, std::count(events.begin(), events.end(), static_cast<int>(Call::kDeviceGetDeviceCaps)));
  model->fail = nullptr;
}

// Terminate unbinds the streams, stops the managers (whose blend-mode blocks
// go first), deletes the default state block and lets the builder go only
// after the device and Direct3D.
TEST_F(D3D8StepTest, TerminateStopsInItsOrder) {
  builder.reset(new StepBuilder(recorded, model.get()));
  ASSERT_TRUE(Initialize());
  builder.release();
  const DWORD defaultBlock = owner.DefaultStateBlock;
  std::vector<DWORD> deleted;
  events.clear();
  model->fail = [&](Call call, UINT, UINT index) {
    events.push_back(static_cast<int>(call));
    if (call == Call::kDeleteStateBlock) deleted.push_back(index);
    return D3D_OK;
  };
  StepBuilder::liveAtRelease = -1;
  owner.Terminate();
  model->fail = nullptr;
  std::vector<int> expected = {static_cast<int>(Call::kSetStreamSource), static_cast<int>(Call::kSetIndices)};
  expected.insert(expected.end(), kStateBlocksWhileUp, static_cast<int>(Call::kDeleteStateBlock));
  expected.push_back(StepBuilder::kReleased);
  EXPECT_EQ(expected, events);
  ASSERT_FALSE(deleted.empty());
  EXPECT_EQ(defaultBlock, deleted.back()) << "the default block goes after the managers' own";
  EXPECT_EQ(0, StepBuilder::liveAtRelease) << "the builder outlived the device and Direct3D";
  ExpectAllReleased();
}

// A second start whose Direct3D does not come leaves nothing of the first
// held: its Terminate still finds the first start up.
TEST_F(D3D8Test, FailedSecondStartReleasesTheFirst) {
  ASSERT_TRUE(Initialize());
  const Common::testkit::CLogReader log;
  EXPECT_FALSE(Initialize(D3D_SDK_VERSION + 1));
  const std::string added = log.Added();
  EXPECT_EQ(0u, added.find("exception CatchHandler vexaD3D8.cpp(")) << added;
  EXPECT_NE(std::string::npos, added.find("\r\nerror : Failed ::Direct3DCreate8\r\n")) << added;
  EXPECT_EQ(std::string::npos, added.find("already Terminated")) << added;
  builder.release();
  ExpectAllReleased();
  EXPECT_EQ(&platform::MessageBox932, Common::MessageBoxEntry::GetInstance()->function);
}

// Whichever runtime call of a second start fails, on another runtime, neither
// start's objects stay held once it has ended (a start that does without the
// call ends at its Terminate).
TEST_F(D3D8Test, SecondStartFailingAnywhereLeavesNothingHeld) {
  for (int failing = 0; failing < static_cast<int>(Call::kCount); ++failing) {
    Serve(testkit::MakeDeviceModel());
    ASSERT_TRUE(Initialize());
    const std::shared_ptr<CRuntimeModel> first = model;
    Serve(testkit::MakeDeviceModel(D3DFMT_R5G6B5));
    model->fail = [failing](Call call, UINT, UINT) {
      return static_cast<int>(call) == failing ? E_FAIL : D3D_OK;
    };
    const bool up = Initialize();
    model->fail = nullptr;
    if (up) owner.Terminate();
    EXPECT_FALSE(owner.IsInitialized()) << failing;
    for (const Object object :
         {Object::kDirect3D, Object::kDevice, Object::kVertexBuffer, Object::kStateBlock}) {
      EXPECT_EQ(0, first->Live(object))
          << "call " << failing << ", first start's object " << static_cast<int>(object);
      EXPECT_EQ(0, model->Live(object))
          << "call " << failing << ", second start's object " << static_cast<int>(object);
    }
    EXPECT_EQ(&platform::MessageBox932, Common::MessageBoxEntry::GetInstance()->function) << failing;
    if (owner.IsInitialized()) owner.Terminate();
  }
}

TEST_F(D3D8Test, SecondStartReplacesDirect3DWithoutTerminate) {
  ASSERT_TRUE(Initialize());
  const std::shared_ptr<CRuntimeModel> first = model;
  Serve(testkit::MakeDeviceModel(D3DFMT_R5G6B5));
  const Common::testkit::CLogReader log;
  ASSERT_TRUE(Initialize());
  EXPECT_EQ("", log.Added()) << "no Terminate in between";
  for (const Object object : {Object::kDirect3D, Object::kDevice, Object::kVertexBuffer}) {
    EXPECT_EQ(0, first->Live(object)) << static_cast<int>(object);
    EXPECT_EQ(1, model->Live(object)) << static_cast<int>(object);
  }
  D3DDISPLAYMODE mode;
  ASSERT_EQ(D3D_OK, owner.GetDevice()->GetDisplayMode(&mode));
  EXPECT_EQ(D3DFMT_R5G6B5, mode.Format);
  owner.Terminate();
  ExpectAllReleased();
}

TEST_F(D3D8Test, TerminateWhileDownOnlyLogs) {
  ASSERT_TRUE(Initialize());
  owner.Terminate();
  const Common::testkit::CLogReader log;
  owner.Terminate();
  EXPECT_EQ("CD3D8::Terminate already Terminated\r\n", log.Added());
  ExpectAllReleased();
}

TEST_F(D3D8Test, FailedStopKeepsDirect3DUntilALaterTerminate) {
  ASSERT_TRUE(Initialize());
  model->fail = [](Call call, UINT, UINT) { return call == Call::kDeleteStateBlock ? E_FAIL : D3D_OK; };
  const Common::testkit::CLogReader log;
  owner.Terminate();
  const std::string added = log.Added();
  EXPECT_EQ(0u, added.find("exception CatchHandler vexaD3D8.cpp(")) << added;
  EXPECT_NE(std::string::npos, added.find("error : Failed DeleteStateBlock E_FAIL\r\n")) << added;
  EXPECT_TRUE(owner.IsInitialized());
  EXPECT_EQ(1, Live(Object::kDirect3D));
  EXPECT_EQ(1, Live(Object::kDevice));
  EXPECT_EQ(nullptr, owner.GetBuilder().get()) << "the rest of Terminate still ran";
  EXPECT_EQ(&platform::MessageBox932, Common::MessageBoxEntry::GetInstance()->function);

  model->fail = nullptr;
  owner.Terminate();
  ExpectAllReleased();
}

TEST_F(D3D8Test, ReportFileHoldsExactlyTheDeviceReport) {
  const std::string path =
      System::GetModuleDirectory(nullptr) +
      System::FormatText("vexaD3D8Test-%lu.txt", static_cast<unsigned long>(GetCurrentProcessId()));
  {
    platform::CTextFileStream stale(path.c_str());
    stale << "an earlier run's report, longer than nothing\n";
  }
  std::string file = path;
  ASSERT_TRUE(owner.Initialize(builder, file, D3D_SDK_VERSION));
  std::ostringstream expected;
  owner.GetEnumMode().WriteDeviceInfo(expected);
  std::string bytes;
  ASSERT_TRUE(platform::ReadFileBytes(path.c_str(), bytes));
  DeleteFileA(path.c_str());
  EXPECT_EQ(System::ReplaceAll(expected.str(), "\n", "\r\n"), bytes);
}

TEST_F(D3D8Test, PreferredTextureFormatsFollowTheDisplayFormat) {
  using Formats = std::set<D3DFORMAT>;
  struct Case {
    D3DFORMAT desktop;
    Formats textures;  // what the hardware full-screen record lists
    D3DFORMAT expected[4];
  } const cases[] = {
      {D3DFMT_X8R8G8B8,
       {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2},
       {D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4}},
      {D3DFMT_X8R8G8B8,
       {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5},
       {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8}},
      {D3DFMT_R5G6B5,
       {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2},
       {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8}},
      {D3DFMT_R5G6B5,
       {D3DFMT_X1R5G5B5, D3DFMT_R3G3B2},
       {D3DFMT_X1R5G5B5, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_X1R5G5B5}},
      {D3DFMT_R5G6B5, {}, {D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN}},
      {D3DFMT_R8G8B8,
       {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5},
       {D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN}},
  };
  for (const Case& c : cases) {
    std::shared_ptr<CRuntimeModel> served = testkit::MakeDeviceModel(c.desktop);
    platform::d3d8::DeviceTypeModel& hal = served->adapters[0].hal;
    hal.available = true;
    hal.deviceTypes = {{D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}, {D3DFMT_R5G6B5, D3DFMT_R5G6B5}};
    for (const D3DFORMAT format : c.textures) hal.formats.insert({0, D3DRTYPE_TEXTURE, format});
    served->adapters[0].ref.deviceTypes.insert({D3DFMT_R8G8B8, D3DFMT_R8G8B8});
    Serve(served);
    ASSERT_TRUE(Initialize()) << c.desktop;
    for (int i = 0; i < CD3D8::kPreferredTextureFormatCount; ++i) {
      EXPECT_EQ(c.expected[i], owner.PreferredTextureFormat[i])
          << "display " << c.desktop << ", choice " << i;
    }
    owner.Terminate();
  }
}

TEST_F(D3D8Test, UnreadableDisplayModeKeepsTheChoices) {
  ASSERT_TRUE(Initialize());
  model->fail = [](Call call, UINT, UINT) {
    return call == Call::kGetDisplayMode ? D3DERR_DEVICELOST : D3D_OK;
  };
  owner.PreferredTextureFormat[2] = D3DFMT_DXT1;
  owner.ChoosePreferredTextureFormats();
  EXPECT_EQ(D3DFMT_DXT1, owner.PreferredTextureFormat[2]);
}

TEST_F(D3D8Test, DefaultStatesAreRecordedOnceAndReapplied) {
  bool builderAlive = false;
  builder.reset(new RecordingBuilder(&builderAlive));
  ASSERT_TRUE(Initialize());
  ASSERT_NE(CD3D8::kNoStateBlock, owner.DefaultStateBlock);
  const IDirect3DDevice8* device = owner.GetDevice().get();
  owner.GetDevice()->SetRenderState(D3DRS_LIGHTING, TRUE);
  const unsigned long applied = model->Count(Call::kApplyStateBlock);
  EXPECT_EQ(D3D_OK, owner.ResetRenderStates(false));
  EXPECT_EQ(applied + 1, model->Count(Call::kApplyStateBlock));
  EXPECT_EQ(static_cast<DWORD>(FALSE), RenderState(D3DRS_LIGHTING));

  owner.GetDevice()->SetRenderState(D3DRS_LIGHTING, TRUE);
  EXPECT_EQ(D3D_OK, owner.ResetRenderStates(true)) << "the builder's own defaults";
  EXPECT_EQ(applied + 1, model->Count(Call::kApplyStateBlock));
  EXPECT_EQ(static_cast<DWORD>(FALSE), RenderState(D3DRS_LIGHTING));
  EXPECT_EQ(device, owner.GetDevice().get());
  // The builder goes while the flag it clears is still there.
  owner.Terminate();
  builder.release();
}

TEST_F(D3D8Test, FogStatesArePublishedValues) {
  ASSERT_TRUE(Initialize());
  for (const bool enable : {true, false}) {
    EXPECT_TRUE(owner.ApplyFog(enable));
    EXPECT_EQ(0xFFFFFFFFu, RenderState(D3DRS_FOGCOLOR));
    EXPECT_EQ(0u, RenderState(D3DRS_FOGENABLE)) << "fog stays off until a manager turns it on";
    EXPECT_EQ(static_cast<DWORD>(D3DFOG_NONE), RenderState(D3DRS_FOGTABLEMODE));
    EXPECT_EQ(static_cast<DWORD>(D3DFOG_LINEAR), RenderState(D3DRS_FOGVERTEXMODE));
    EXPECT_EQ(0u, RenderState(D3DRS_RANGEFOGENABLE));
    EXPECT_EQ(0x461C4000u, RenderState(D3DRS_FOGSTART)) << "10000.0f";
    EXPECT_EQ(0x462BE000u, RenderState(D3DRS_FOGEND)) << "11000.0f";
  }
}

TEST_F(D3D8Test, VertexBuffersTakeTheBuildersPoolAndUsage) {
  ASSERT_TRUE(Initialize());
  struct Case {
    UINT count;
    DWORD fvf;
    D3DPOOL pool;
    DWORD usage;
    D3DVERTEXBUFFER_DESC expected;
  } const cases[] = {
      {Graphics::kSharedVertexCount,
       Graphics::kSharedVertexFormat,
       CD3D8::kBuilderPool,
       0,
       {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, D3DUSAGE_SOFTWAREPROCESSING, D3DPOOL_SYSTEMMEM, 6144 * 32,
        0x1C4}},
      {10,
       0x002,
       D3DPOOL_MANAGED,
       D3DUSAGE_WRITEONLY,
       {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_WRITEONLY,
        D3DPOOL_MANAGED, 120, 0x002}},
  };
  for (const Case& c : cases) {
    IDirect3DVertexBuffer8* buffer = owner.CreateVertexBuffer(c.count, c.fvf, c.pool, c.usage);
    ASSERT_NE(nullptr, buffer) << c.fvf;
    D3DVERTEXBUFFER_DESC desc;
    ASSERT_EQ(D3D_OK, buffer->GetDesc(&desc));
    buffer->Release();
    EXPECT_EQ(c.expected.Size, desc.Size) << c.fvf;
    EXPECT_EQ(c.expected.FVF, desc.FVF) << c.fvf;
    EXPECT_EQ(c.expected.Pool, desc.Pool) << c.fvf;
    EXPECT_EQ(c.expected.Usage, desc.Usage) << c.fvf;
  }
  EXPECT_EQ(nullptr, owner.CreateVertexBuffer(0, 0x002, D3DPOOL_MANAGED, 0)) << "an empty buffer is refused";
  model->fail = [](Call call, UINT, UINT) {
    return call == Call::kCreateVertexBuffer ? D3DERR_OUTOFVIDEOMEMORY : D3D_OK;
  };
  EXPECT_EQ(nullptr, owner.CreateVertexBuffer(10, 0x002, D3DPOOL_MANAGED, 0)) << "never what a refusal left";
}

TEST_F(D3D8Test, MessageBoxesStayOnTopOfAFullScreenDevice) {
  HWND lastOwner;
  UINT lastStyle;
  if (!platform::testkit::GetLastMessageBox(lastOwner, lastStyle)) {
    GTEST_SKIP() << "the system's own message boxes cannot be watched";
  }
  std::istringstream in;
  std::ostringstream out;
  platform::testkit::SetMessageBoxConsole(&in, &out);
  const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x4321));
  struct Case {
    bool up;
    BOOL windowed;
    UINT expected;
  } const cases[] = {
      {false, FALSE, MB_ICONINFORMATION},
      {true, TRUE, MB_ICONINFORMATION},
      {true, FALSE, MB_ICONINFORMATION | MB_TOPMOST},
  };
  for (const Case& c : cases) {
    Builder().PresentParameters.Windowed = TRUE;
    if (c.up) {
      ASSERT_TRUE(Initialize());
    }
    // Read when a box is shown, so a full-screen builder needs no such device.
    Builder().PresentParameters.Windowed = c.windowed;
    EXPECT_EQ(IDOK, CD3D8::MessageBoxHook(window, "text", "caption", MB_ICONINFORMATION));
    platform::testkit::GetLastMessageBox(lastOwner, lastStyle);
    EXPECT_EQ(window, lastOwner);
    EXPECT_EQ(c.expected, lastStyle) << c.up << c.windowed;
    if (c.up) owner.Terminate();
  }
  platform::testkit::SetMessageBoxConsole(nullptr, nullptr);
}

TEST_F(D3D8Test, PrecisionFollowsTheDevicesBehaviour) {
  struct Case {
    DWORD behavior;
    WORD setting;
  } const cases[] = {
      {D3DCREATE_SOFTWARE_VERTEXPROCESSING, 0x003F},
      {D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, 0x023F},
  };
  for (const Case& c : cases) {
    bool builderAlive = false;
    builder.reset(new RecordingBuilder(&builderAlive, c.behavior));
    // Extended precision and rounding toward zero, which the start replaces.
    platform::ResetFpu(0x0F3F);
    ASSERT_TRUE(Initialize());
    EXPECT_EQ(c.setting, owner.GetFpuControlSetting());
    EXPECT_EQ(c.setting, platform::GetFpuControlWord() & 0x1F3F) << std::hex << platform::GetFpuControlWord();
    owner.Terminate();
    builder.release();
    EXPECT_EQ(0x003F, owner.GetFpuControlSetting()) << "stored, not applied";
    EXPECT_EQ(c.setting, platform::GetFpuControlWord() & 0x1F3F);
  }
}

TEST_F(D3D8Test, InitialiserStartsAndTerminatesTheOwner) {
  TTL::smart_ptr<Common::IInitializer> direct3D = CD3D8::CreateD3D8Initializer(builder, "", D3D_SDK_VERSION);
  builder.release();
  EXPECT_FALSE(owner.IsInitialized()) << "nothing starts before Initialize";
  ASSERT_TRUE(direct3D->Initialize());
  EXPECT_TRUE(owner.IsInitialized());
  EXPECT_NE(nullptr, owner.GetBuilder().get()) << "the start kept its own copy of the builder";
  direct3D.release();
  ExpectAllReleased();

  model->adapters[0].ref.available = false;
  direct3D = CD3D8::CreateD3D8Initializer(TTL::smart_ptr<ID3DDeviceBuilder>(new CDeviceBuilder(nullptr)), "",
                                          D3D_SDK_VERSION);
  EXPECT_FALSE(direct3D->Initialize());
  const Common::testkit::CLogReader log;
  direct3D.release();
  EXPECT_EQ("", log.Added()) << "a failed start is not ended again";
}

// Without a model the program meets the system's runtime: the host's default
// model, or on Windows d3d8.dll, which may lack the reference device.
TEST_F(D3D8Test, SystemRuntimeWithoutAModel) {
  platform::testkit::SetDirect3DModel(nullptr);
  HWND lastOwner;
  UINT lastStyle;
  const bool standIn = platform::testkit::GetLastMessageBox(lastOwner, lastStyle);
  IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  if (direct3D == nullptr && !standIn)
    GTEST_SKIP() << "the system's Direct3D 8 runtime does not start here (no display?)";
  ASSERT_NE(nullptr, direct3D);
  direct3D->Release();
  const bool up = Initialize();
  if (!up && !standIn) GTEST_SKIP() << "the system's runtime has no reference device here";
  EXPECT_TRUE(up);
  EXPECT_FALSE(owner.GetEnumMode().Identifiers().empty());
}

// Run in a child process by EndingWhileUpIsLogged: the program ends with the
// owner up, and the log is opened only after the owner was made.
TEST(D3D8ExitChild, DISABLED_EndsWhileUp) {
  Common::testkit::KeepTestLog();
  ASSERT_TRUE(platform::testkit::SetDirect3DModel(testkit::MakeDeviceModel()));
  TTL::smart_ptr<ID3DDeviceBuilder> builder(new CDeviceBuilder(GetDesktopWindow()));
  std::string noFile;
  ASSERT_TRUE(CD3D8::GetInstance().Initialize(builder, noFile, D3D_SDK_VERSION));
  Common::WriteLog("up", "");
}

TEST(D3D8ExitTest, EndingWhileUpIsLogged) {
  std::string bytes;
  DWORD exitCode = 1;
  ASSERT_TRUE(Common::testkit::RunChildTest("D3D8ExitChild.DISABLED_EndsWhileUp", bytes, exitCode));
  EXPECT_EQ(0u, exitCode) << "the child's own expectations held";
  EXPECT_EQ("up\r\nCD3D8::Terminate is not called\r\n", bytes);
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
