// The managers as the device owner starts and stops them.
#include <gtest/gtest.h>

#include "vexaSDK/Graphics/vexaGraphicsManagers.h"
#include "vexaSDK/dx/dx8_3d/testing/vexaTestRuntime.h"

namespace vexaSDK {
namespace Graphics {
namespace {

using DX8::CD3D8;

class GraphicsManagersTest : public DX8::testkit::D3D8TestBase {};

TEST_F(GraphicsManagersTest, ColourTablesWidenChannels) {
  ASSERT_TRUE(Initialize());
  struct Case {
    BYTE value, widened5, widened6;
  } const cases[] = {{0, 0, 0}, {1, 8, 4}, {16, 132, 65}, {31, 255, 125}, {63, 255, 255}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.widened5, ExpandChannel5(c.value)) << int(c.value);
    EXPECT_EQ(c.widened6, ExpandChannel6(c.value)) << int(c.value);
  }
  owner.Terminate();
  EXPECT_EQ(0, ExpandChannel5(31));
  EXPECT_EQ(0, ExpandChannel6(63));
}

TEST_F(GraphicsManagersTest, BlendModesAreRecordedAndDeleted) {
  ASSERT_TRUE(Initialize());
  const TTL::smart_ptr<IDirect3DDevice8>& device = owner.GetDevice();
  struct Case {
    BlendMode mode;
    DWORD enable, source, destination, operation;
  } const cases[] = {
      {kBlendOpaque, FALSE, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD},
      {kBlendAlpha, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
      {kBlendAdd, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},
      {kBlendSubtract, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT},
      {kBlendMultiply, TRUE, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},
  };
  DWORD value = 0;
  ASSERT_EQ(D3D_OK, device->GetRenderState(D3DRS_SRCBLEND, &value));
  EXPECT_EQ(0u, value) << "recording leaves the device's own states alone";
  for (const Case& c : cases) {
    const DWORD block = GetBlendModeStateBlock(c.mode);
    ASSERT_NE(CD3D8::kNoStateBlock, block) << c.mode;
    ASSERT_EQ(D3D_OK, device->ApplyStateBlock(block)) << c.mode;
    const std::pair<D3DRENDERSTATETYPE, DWORD> expected[] = {{D3DRS_ALPHABLENDENABLE, c.enable},
                                                             {D3DRS_SRCBLEND, c.source},
                                                             {D3DRS_DESTBLEND, c.destination},
                                                             {D3DRS_BLENDOP, c.operation}};
    for (const auto& state : expected) {
      ASSERT_EQ(D3D_OK, device->GetRenderState(state.first, &value));
      EXPECT_EQ(state.second, value) << "mode " << c.mode << ", state " << state.first;
    }
  }
  owner.Terminate();
  for (const Case& c : cases) EXPECT_EQ(CD3D8::kNoStateBlock, GetBlendModeStateBlock(c.mode)) << c.mode;
  EXPECT_EQ(nullptr, GetSharedVertexBuffer());
}

TEST_F(GraphicsManagersTest, RenderGroupsAndSharedVertices) {
  BlendMode mode = kBlendAdd;
  EXPECT_FALSE(FindRenderGroup("default", mode)) << "nothing registered while down";
  ASSERT_TRUE(Initialize());
  ASSERT_TRUE(FindRenderGroup("default", mode));
  EXPECT_EQ(kBlendOpaque, mode);
  EXPECT_FALSE(FindRenderGroup("missing", mode));

  EXPECT_EQ(0u, ReserveSharedVertices(6000));
  EXPECT_EQ(6000u, ReserveSharedVertices(144)) << "exactly the rest";
  EXPECT_EQ(0u, ReserveSharedVertices(1)) << "full, so the renderers start over";
  EXPECT_EQ(kSharedVertexCount, ReserveSharedVertices(kSharedVertexCount + 1));
  EXPECT_EQ(1u, ReserveSharedVertices(3)) << "a refused request moves nothing";
  owner.Terminate();
  ASSERT_TRUE(Initialize());
  EXPECT_EQ(0u, ReserveSharedVertices(3)) << "a new device starts at the front";
}

}  // namespace
}  // namespace Graphics
}  // namespace vexaSDK
