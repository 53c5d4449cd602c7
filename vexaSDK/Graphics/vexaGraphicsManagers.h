// The graphics resource managers that live as long as the device: colour
// conversion tables, the registry of named render groups, the primitive
// renderers' place in the shared vertex buffer, the blend-mode state blocks
// and the shared vertex buffer itself. The device owner starts and stops them
// through two fixed lists of hooks.
#pragma once

#include <cstddef>
#include <string>

#include "platform/D3D8.h"

namespace vexaSDK {
namespace DX8 {
class CD3D8;
}

namespace Graphics {

typedef void (*DeviceHook)(DX8::CD3D8& owner);

// Run in this order once the device exists.
extern const DeviceHook kStartHooks[5];
// Run in this order while the device still exists.
extern const DeviceHook kStopHooks[6];

enum BlendMode { kBlendOpaque, kBlendAlpha, kBlendAdd, kBlendSubtract, kBlendMultiply, kBlendModeCount };

// The shared buffer: 6144 vertices of position with reciprocal w, diffuse and
// specular colour and one texture coordinate set. The format code is fixed
// (D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1, 32 bytes a
// vertex): every manager that draws writes its vertices in this one layout.
const UINT kSharedVertexCount = 6144;
const DWORD kSharedVertexFormat = 0x1C4;

// A colour channel of 5 or 6 bits widened to 8 bits, 0 while down.
BYTE ExpandChannel5(BYTE value);
BYTE ExpandChannel6(BYTE value);

// The state block of a blend mode; CD3D8::kNoStateBlock while none is recorded.
DWORD GetBlendModeStateBlock(BlendMode mode);
// Borrowed; null while down.
IDirect3DVertexBuffer8* GetSharedVertexBuffer();

// Named groups of primitives drawn with one blend mode; "default" is opaque.
bool FindRenderGroup(const std::string& name, BlendMode& mode);

// The first of `count` consecutive vertices of the shared buffer for a
// primitive renderer; the renderers start over at 0 when the rest is too
// short. kSharedVertexCount when `count` does not fit at all.
UINT ReserveSharedVertices(UINT count);

}  // namespace Graphics
}  // namespace vexaSDK
