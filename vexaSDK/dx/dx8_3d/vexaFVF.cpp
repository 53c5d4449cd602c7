// Vertex sizes from the FVF bits: position, normal, point size, colours and
// up to eight texture coordinate sets of one to four floats.
#include "vexaSDK/dx/dx8_3d/vexaFVF.h"

namespace vexaSDK {
namespace DX8 {
namespace {

const DWORD kPositionMask = 0x00E;
const DWORD kNormal = 0x010;
const DWORD kPointSize = 0x020;
const DWORD kDiffuse = 0x040;
const DWORD kSpecular = 0x080;
const DWORD kTexCountMask = 0xF00;
const DWORD kTexCountShift = 8;
const UINT kMaxTextureSets = 8;

}  // namespace

UINT GetFVFVertexSize(DWORD fvf) {
  // XYZ, XYZRHW, then XYZ with one to five blend weights.
  static const UINT kPositionSizes[8] = {0, 12, 16, 16, 20, 24, 28, 32};
  UINT size = kPositionSizes[(fvf & kPositionMask) >> 1];
  if (fvf & kNormal) size += 12;
  if (fvf & kPointSize) size += 4;
  if (fvf & kDiffuse) size += 4;
  if (fvf & kSpecular) size += 4;
  // Each set's format sits in two bits from bit 16: 0 two floats, 1 three,
  // 2 four, 3 one.
  static const UINT kCoordinateSizes[4] = {8, 12, 16, 4};
  UINT sets = (fvf & kTexCountMask) >> kTexCountShift;
  if (sets > kMaxTextureSets) sets = kMaxTextureSets;
  for (UINT i = 0; i < sets; ++i) size += kCoordinateSizes[(fvf >> (16 + 2 * i)) & 3];
  return size;
}

}  // namespace DX8
}  // namespace vexaSDK
