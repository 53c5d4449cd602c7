#include <gtest/gtest.h>

#include "vexaSDK/dx/dx8_3d/vexaFVF.h"

namespace vexaSDK {
namespace DX8 {
namespace {

TEST(FVFTest, SizesOfCommonAndEdgeFormats) {
  struct Case {
    DWORD fvf;
    UINT size;
  } const cases[] = {
      {0, 0},
      {0x002, 12},                               // XYZ
      {0x004 | 0x040, 20},                       // XYZRHW | DIFFUSE
      {0x004 | 0x040 | 0x100, 28},               // ... | TEX1
      {0x002 | 0x010 | 0x040 | 0x080, 32},       // XYZ | NORMAL | DIFFUSE | SPECULAR
      {0x00E | 0x1000, 32},                      // XYZB5 with the last beta as UBYTE4
      {0x006, 16},                               // XYZB1
      {0x002 | 0x020, 16},                       // PSIZE
      {0x002 | 0x200 | (3u << 16), 12 + 4 + 8},  // TEX2, set 0 one float
      {0x002 | 0x300 | (1u << 18) | (2u << 20), 12 + 8 + 12 + 16},
      {0x002 | 0x800 | 0xFFFF0000u, 12 + 8 * 4},  // eight sets of one float
      {0x002 | 0xF00, 12 + 8 * 8},                // more sets than exist
  };
  for (const Case& c : cases) EXPECT_EQ(c.size, GetFVFVertexSize(c.fvf)) << std::hex << c.fvf;
}

}  // namespace
}  // namespace DX8
}  // namespace vexaSDK
