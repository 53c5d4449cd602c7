#include <gtest/gtest.h>

#include <string>

#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaSDK {
namespace DX8 {
namespace {

D3DFORMAT Fmt(long long value) { return static_cast<D3DFORMAT>(static_cast<unsigned int>(value)); }

TEST(FormatNameTest, NamedValuesAndTheGapsBetweenThem) {
  struct Case {
    long long value;
    const char* name;
  } const cases[] = {
      {0, "D3DFMT_UNKNOWN"},
      {1, "D3DFMT_UNKNOWN"},
      {19, "D3DFMT_UNKNOWN"},
      {20, "D3DFMT_R8G8B8"},
      {31, "D3DFMT_A2B10G10R10"},
      {32, "D3DFMT_UNKNOWN"},
      {33, "D3DFMT_UNKNOWN"},
      {34, "D3DFMT_G16R16"},
      {35, "D3DFMT_UNKNOWN"},
      {39, "D3DFMT_UNKNOWN"},
      {40, "D3DFMT_A8P8"},
      {41, "D3DFMT_P8"},
      {52, "D3DFMT_A4L4"},
      {65, "D3DFMT_W11V11U10"},
      {66, "D3DFMT_UNKNOWN"},
      {67, "D3DFMT_A2W10V10U10"},
      {70, "D3DFMT_D16_LOCKABLE"},
      {72, "D3DFMT_UNKNOWN"},
      {77, "D3DFMT_D24X8"},
      {79, "D3DFMT_D24X4S4"},
      {80, "D3DFMT_D16"},
      {81, "D3DFMT_UNKNOWN"},
      {99, "D3DFMT_UNKNOWN"},
      {100, "D3DFMT_VERTEXDATA"},
      {102, "D3DFMT_INDEX32"},
      {103, "D3DFMT_UNKNOWN"},
      {-1, "D3DFMT_UNKNOWN"},
      {-21, "D3DFMT_UNKNOWN"},
      {0x7FFFFFFF, "D3DFMT_UNKNOWN"},
      {0x80000000LL + 22, "D3DFMT_UNKNOWN"},
      // FOURCC codes hold the first character in the lowest byte.
      {'U' | 'Y' << 8 | 'V' << 16 | 'Y' << 24, "D3DFMT_UYVY"},
      {'Y' | 'U' << 8 | 'Y' << 16 | '2' << 24, "D3DFMT_YUY2"},
      {0x31545844, "D3DFMT_DXT1"},
      {0x33545844, "D3DFMT_DXT3"},
      {0x35545844, "D3DFMT_DXT5"},
      {0x36545844, "D3DFMT_UNKNOWN"},  // DXT6
      {0x44585433, "D3DFMT_UNKNOWN"},  // DXT3 byte-swapped
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(c.name, GetFormatName(Fmt(c.value))) << "value " << c.value;
  }
}

TEST(FormatNameTest, MultiSampleNamesOnlyForTwoToSixteen) {
  for (int type = -2; type <= 40; ++type) {
    const std::string expected = type >= 2 && type <= 16
                                     ? "D3DMULTISAMPLE_" + std::to_string(type) + "_SAMPLES"
                                     : "D3DMULTISAMPLE_NONE";
    EXPECT_EQ(expected, GetMultiSampleName(static_cast<D3DMULTISAMPLE_TYPE>(type))) << type;
  }
  EXPECT_STREQ("D3DMULTISAMPLE_NONE", GetMultiSampleName(static_cast<D3DMULTISAMPLE_TYPE>(0x80000002)));
}

TEST(FormatNameTest, DeviceTypesFallBackToHardware) {
  EXPECT_STREQ("D3DDEVTYPE_REF", GetDevTypeName(static_cast<D3DDEVTYPE>(2)));
  EXPECT_STREQ("D3DDEVTYPE_SW", GetDevTypeName(static_cast<D3DDEVTYPE>(3)));
  for (unsigned int type : {0u, 1u, 4u, 0xFFFFFFFFu}) {
    EXPECT_STREQ("D3DDEVTYPE_HAL", GetDevTypeName(static_cast<D3DDEVTYPE>(type))) << type;
  }
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
