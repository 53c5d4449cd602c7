#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaSDK {
namespace DX8 {
namespace {

D3DFORMAT Fmt(long long value) { return static_cast<D3DFORMAT>(static_cast<unsigned int>(value)); }

// Every published name, and every other small value as the fallback: a
// misspelt name or a value moved to a neighbour's shows here; so do large
// values that a lookup by range or by part of a FOURCC code would take.
TEST(FormatNameTest, EveryNamedValueAndNothingElse) {
  struct Named {
    long long value;
    const char* name;
  } const named[] = {
      {20, "D3DFMT_R8G8B8"},
      {21, "D3DFMT_A8R8G8B8"},
      {22, "D3DFMT_X8R8G8B8"},
      {23, "D3DFMT_R5G6B5"},
      {24, "D3DFMT_X1R5G5B5"},
      {25, "D3DFMT_A1R5G5B5"},
      {26, "D3DFMT_A4R4G4B4"},
      {27, "D3DFMT_R3G3B2"},
      {28, "D3DFMT_A8"},
      {29, "D3DFMT_A8R3G3B2"},
      {30, "D3DFMT_X4R4G4B4"},
      {31, "D3DFMT_A2B10G10R10"},
      {34, "D3DFMT_G16R16"},
      {40, "D3DFMT_A8P8"},
      {41, "D3DFMT_P8"},
      {50, "D3DFMT_L8"},
      {51, "D3DFMT_A8L8"},
      {52, "D3DFMT_A4L4"},
      {60, "D3DFMT_V8U8"},
      {61, "D3DFMT_L6V5U5"},
      {62, "D3DFMT_X8L8V8U8"},
      {63, "D3DFMT_Q8W8V8U8"},
      {64, "D3DFMT_V16U16"},
      {65, "D3DFMT_W11V11U10"},
      {67, "D3DFMT_A2W10V10U10"},
      {70, "D3DFMT_D16_LOCKABLE"},
      {71, "D3DFMT_D32"},
      {73, "D3DFMT_D15S1"},
      {75, "D3DFMT_D24S8"},
      {77, "D3DFMT_D24X8"},
      {79, "D3DFMT_D24X4S4"},
      {80, "D3DFMT_D16"},
      {100, "D3DFMT_VERTEXDATA"},
      {101, "D3DFMT_INDEX16"},
      {102, "D3DFMT_INDEX32"},
      // FOURCC codes hold the first character in the lowest byte.
      {'U' | 'Y' << 8 | 'V' << 16 | 'Y' << 24, "D3DFMT_UYVY"},
      {'Y' | 'U' << 8 | 'Y' << 16 | '2' << 24, "D3DFMT_YUY2"},
      {0x31545844, "D3DFMT_DXT1"},
      {0x32545844, "D3DFMT_DXT2"},
      {0x33545844, "D3DFMT_DXT3"},
      {0x34545844, "D3DFMT_DXT4"},
      {0x35545844, "D3DFMT_DXT5"},
  };
  for (const Named& n : named) EXPECT_STREQ(n.name, GetFormatName(Fmt(n.value))) << n.value;
  std::vector<long long> unnamed = {0x7FFFFFFF, 0x80000000LL + 22,
                                    0x36545844,   // DXT6
                                    0x44585433};  // DXT3 byte-swapped
  for (long long value = -300; value <= 300; ++value) unnamed.push_back(value);
  for (const long long value : unnamed) {
    bool isNamed = false;
    for (const Named& n : named) isNamed = isNamed || n.value == value;
    if (!isNamed) {
      EXPECT_STREQ("D3DFMT_UNKNOWN", GetFormatName(Fmt(value))) << value;
    }
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

// Every value's name leads back to a value with the same name, so a reader
// that writes what it read gives the same text; the fallbacks stand for the
// value they are published for.
TEST(FormatNameTest, NamesLeadBackToTheirValues) {
  std::vector<long long> values;
  for (long long value = -2; value <= 130; ++value) values.push_back(value);
  for (const char* code : {"UYVY", "YUY2", "DXT1", "DXT2", "DXT3", "DXT4", "DXT5", "DXT6"}) {
    values.push_back(MAKEFOURCC(code[0], code[1], code[2], code[3]));
  }
  for (const long long value : values) {
    D3DFORMAT format = D3DFMT_D32;
    ASSERT_TRUE(GetFormatByName(GetFormatName(Fmt(value)), format)) << value;
    EXPECT_STREQ(GetFormatName(Fmt(value)), GetFormatName(format)) << value;
    D3DMULTISAMPLE_TYPE type = D3DMULTISAMPLE_4_SAMPLES;
    const auto sampleType = static_cast<D3DMULTISAMPLE_TYPE>(value);
    ASSERT_TRUE(GetMultiSampleByName(GetMultiSampleName(sampleType), type)) << value;
    EXPECT_EQ(value >= 2 && value <= 16 ? value : 0, type) << value;
  }
  D3DFORMAT format = D3DFMT_D32;
  EXPECT_TRUE(GetFormatByName("D3DFMT_UNKNOWN", format));
  EXPECT_EQ(D3DFMT_UNKNOWN, format);
  D3DDEVTYPE type = D3DDEVTYPE_SW;
  EXPECT_TRUE(GetDevTypeByName("D3DDEVTYPE_HAL", type));
  EXPECT_EQ(D3DDEVTYPE_HAL, type);
  EXPECT_TRUE(GetDevTypeByName("D3DDEVTYPE_SW", type));
  EXPECT_EQ(D3DDEVTYPE_SW, type);
  for (const char* stranger :
       {"", "D3DFMT_", "D3DFMT_DXT6", "d3dfmt_d16", "D3DFMT_D16 ", "D3DMULTISAMPLE_1_SAMPLES"}) {
    EXPECT_FALSE(GetFormatByName(stranger, format)) << stranger;
    D3DMULTISAMPLE_TYPE samples;
    EXPECT_FALSE(GetMultiSampleByName(stranger, samples)) << stranger;
    EXPECT_FALSE(GetDevTypeByName(stranger, type)) << stranger;
  }
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
