#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "vexaSDK/dx/dx8_3d/testing/vexaTestEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaSDK {
namespace DX8 {
namespace {

using testkit::CTestModeInfo;

const D3DFORMAT kDXT1 = static_cast<D3DFORMAT>(0x31545844);

TEST(DGEnumModeTest, DisplayModesSortByFormatRankThenSize) {
  // Listed in the order the sort must give.
  const std::vector<CDisplayMode> sorted = {
      {1600, 1200, 60, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5},  // unranked display format first
      {320, 200, 70, D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5},  // then unranked back buffer
      {640, 480, 60, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},      {640, 480, 75, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
      {640, 600, 0, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},       {800, 100, 60, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
      {640, 480, 60, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},      {320, 240, 60, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
      {320, 240, 60, D3DFMT_R5G6B5, D3DFMT_R5G6B5},          {320, 240, 60, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5},
      {0xFFFFFFFF, 240, 60, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5},  // widths compare unsigned
      {320, 240, 60, D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5},
  };
  std::vector<CDisplayMode> modes(sorted.rbegin(), sorted.rend());
  std::rotate(modes.begin(), modes.begin() + 5, modes.end());
  std::sort(modes.begin(), modes.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    EXPECT_EQ(sorted[i].Width, modes[i].Width) << i;
    EXPECT_EQ(sorted[i].Height, modes[i].Height) << i;
    EXPECT_EQ(sorted[i].RefreshRate, modes[i].RefreshRate) << i;
    EXPECT_EQ(sorted[i].Format, modes[i].Format) << i;
    EXPECT_EQ(sorted[i].BackBufferFormat, modes[i].BackBufferFormat) << i;
  }
}

TEST(DGEnumModeTest, FormatPairsCompareSignedDisplayFirst) {
  const std::vector<FormatPair> ascending = {
      {static_cast<D3DFORMAT>(0x80000000), D3DFMT_D16},  // negative as a signed number
      {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
      {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
      {D3DFMT_X8R8G8B8, kDXT1},
      {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8},
      {kDXT1, D3DFMT_UNKNOWN},
  };
  for (std::size_t i = 0; i < ascending.size(); ++i) {
    for (std::size_t j = 0; j < ascending.size(); ++j) {
      EXPECT_EQ(i < j, ascending[i] < ascending[j]) << i << " < " << j;
    }
  }
  const FormatLess less;
  EXPECT_TRUE(less(D3DFMT_D16, kDXT1));
  EXPECT_TRUE(less(static_cast<D3DFORMAT>(-1), D3DFMT_UNKNOWN));
}

TEST(DGEnumModeTest, TextureFormatLookupTellsMissingFromEmpty) {
  CTestModeInfo record(0, D3DDEVTYPE_HAL, FALSE);
  record.Formats(kTextureFormats, D3DFMT_X8R8G8B8, {D3DFMT_A8R8G8B8, kDXT1})
      .Formats(kTextureFormats, D3DFMT_R5G6B5, {})
      .Formats(kRenderTargetTextureFormats, D3DFMT_X8R8G8B8, {D3DFMT_X8R8G8B8});

  const std::vector<D3DFORMAT>* plain = record.GetTextureFormats(D3DFMT_X8R8G8B8, false);
  ASSERT_NE(nullptr, plain);
  EXPECT_EQ((std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, kDXT1}), *plain);
  const std::vector<D3DFORMAT>* target = record.GetTextureFormats(D3DFMT_X8R8G8B8, true);
  ASSERT_NE(nullptr, target);
  EXPECT_EQ((std::vector<D3DFORMAT>{D3DFMT_X8R8G8B8}), *target);

  const std::vector<D3DFORMAT>* empty = record.GetTextureFormats(D3DFMT_R5G6B5, false);
  ASSERT_NE(nullptr, empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_EQ(nullptr, record.GetTextureFormats(D3DFMT_R5G6B5, true));
  EXPECT_EQ(nullptr, record.GetTextureFormats(D3DFMT_X1R5G5B5, false));
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
