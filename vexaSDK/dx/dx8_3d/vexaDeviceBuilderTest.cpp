// COM start in the three apartment situations a thread can be in, and the
// device builder against runtime models.
#include <gtest/gtest.h>

#include <thread>

#include "vexaSDK/dx/dx8_3d/testing/vexaTestRuntime.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceBuilder.h"

namespace vexaSDK {
namespace DX8 {
namespace {

using platform::d3d8::Call;

// Each situation runs on a thread of its own, so COM is fresh there. Whether
// the initialiser ended COM once (and only once) shows in what the thread can
// start afterwards.
TEST(COMInitializerTest, ApartmentSituations) {
  struct Case {
    const char* name;
    DWORD before;  // what the thread started itself, or ~0 for nothing
    bool started;
  } const cases[] = {
      {"fresh thread", ~0u, true},
      {"already multithreaded", COINIT_MULTITHREADED, true},
      {"already single-threaded", COINIT_APARTMENTTHREADED, false},
  };
  for (const Case& c : cases) {
    std::thread([&c] {
      if (c.before != ~0u) {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, c.before))) << c.name;
      }
      TTL::smart_ptr<Common::IInitializer> com = CreateCOMInitializer();
      EXPECT_FALSE(com->IsInitialized()) << c.name << ": made, not started";
      EXPECT_EQ(c.started, com->Initialize()) << c.name;
      com.release();
      if (c.before == ~0u) {
        EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) << c.name << ": COM ended";
      } else {
        // The thread's own start is still there, in its own kind.
        const DWORD other =
            c.before == COINIT_MULTITHREADED ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
        EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitializeEx(nullptr, other)) << c.name;
        CoUninitialize();
        EXPECT_EQ(S_OK, CoInitializeEx(nullptr, other)) << c.name << ": the thread's start was the last";
      }
      CoUninitialize();
    }).join();
  }
}

TEST(DeviceBuilderTest, DefaultsAndReservedOperations) {
  const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x2468));
  CDeviceBuilder builder(window);
  const D3DPRESENT_PARAMETERS& p = builder.PresentParameters;
  EXPECT_EQ(320u, p.BackBufferWidth);
  EXPECT_EQ(240u, p.BackBufferHeight);
  EXPECT_EQ(D3DFMT_R5G6B5, p.BackBufferFormat);
  EXPECT_EQ(1u, p.BackBufferCount);
  EXPECT_EQ(D3DSWAPEFFECT_DISCARD, p.SwapEffect);
  EXPECT_EQ(window, p.hDeviceWindow);
  EXPECT_EQ(TRUE, p.Windowed);
  EXPECT_EQ(FALSE, p.EnableAutoDepthStencil);
  EXPECT_EQ(0xFFFFFFFFu, builder.ModeInfoIndex);

  ID3DDeviceBuilder& asInterface = builder;
  EXPECT_EQ(16u, asInterface.Reserved1());
  EXPECT_EQ(static_cast<DWORD>(D3DUSAGE_SOFTWAREPROCESSING), asInterface.GetVertexBufferUsage());
  EXPECT_EQ(D3DPOOL_SYSTEMMEM, asInterface.GetVertexBufferPool());
  EXPECT_EQ(0u, asInterface.Reserved2() | asInterface.Reserved3() | asInterface.Reserved4());
  EXPECT_EQ(0, asInterface.SetDefaultRenderStates());
  EXPECT_TRUE(asInterface.Succeeded(CDeviceBuilder::kCreated));
  EXPECT_FALSE(asInterface.Succeeded(CDeviceBuilder::kFailed));
  EXPECT_TRUE(asInterface.Succeeded(2)) << "only the lowest bit counts";
}

class DeviceBuilderDeviceTest : public testkit::D3D8TestBase {};

TEST_F(DeviceBuilderDeviceTest, BackBufferTakesTheDesktopFormat) {
  for (const D3DFORMAT desktop : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
    Serve(testkit::MakeDeviceModel(desktop));
    builder.reset(new CDeviceBuilder(GetDesktopWindow()));
    ASSERT_TRUE(Initialize()) << desktop;
    EXPECT_EQ(desktop, Builder().PresentParameters.BackBufferFormat);
    EXPECT_EQ(0u, Builder().ModeInfoIndex);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(D3D_OK, owner.GetDevice()->GetDisplayMode(&mode));
    EXPECT_EQ(desktop, mode.Format);
    D3DDEVICE_CREATION_PARAMETERS creation;
    ASSERT_EQ(D3D_OK, owner.GetDevice()->GetCreationParameters(&creation));
    EXPECT_EQ(0u, creation.AdapterOrdinal);
    EXPECT_EQ(D3DDEVTYPE_REF, creation.DeviceType);
    EXPECT_EQ(GetDesktopWindow(), creation.hFocusWindow);
    EXPECT_EQ(static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING), creation.BehaviorFlags);
    owner.Terminate();
  }
}

// With Direct3D up, a second builder asks the same runtime for a device.
TEST_F(DeviceBuilderDeviceTest, FailuresLeaveNoDevice) {
  ASSERT_TRUE(Initialize());
  struct Case {
    const char* name;
    Call failing;
  } const cases[] = {
      {"desktop mode", Call::kGetAdapterDisplayMode},
      {"no reference device", Call::kCreateDevice},
  };
  for (const Case& c : cases) {
    model->fail = [&c](Call call, UINT, UINT) { return call == c.failing ? D3DERR_NOTAVAILABLE : D3D_OK; };
    CDeviceBuilder other(GetDesktopWindow());
    IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(static_cast<std::uintptr_t>(0x5A5A));
    const DWORD code = other.CreateDevice(&device);
    EXPECT_EQ(CDeviceBuilder::kFailed, code) << c.name;
    EXPECT_FALSE(other.Succeeded(code)) << c.name;
    EXPECT_EQ(nullptr, device) << c.name;
    EXPECT_EQ(0u, other.ModeInfoIndex) << c.name;
  }
  model->fail = nullptr;
  EXPECT_EQ(1, Live(platform::d3d8::Object::kDevice)) << "only the owner's";
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
