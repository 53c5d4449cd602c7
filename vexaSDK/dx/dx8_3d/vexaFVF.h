// Byte size of one vertex of a flexible vertex format. The helper library
// that has this function may not be shipped with the program, so the
// framework computes it itself on every platform.
#pragma once

#include "platform/D3D8.h"

namespace vexaSDK {
namespace DX8 {

UINT GetFVFVertexSize(DWORD fvf);

}  // namespace DX8
}  // namespace vexaSDK
