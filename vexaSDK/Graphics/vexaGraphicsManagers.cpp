// The managers' state and their start and stop hooks.
#include "vexaSDK/Graphics/vexaGraphicsManagers.h"

#include <map>

#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/TTL/vexaSmartPtr.h"
#include "vexaSDK/dx/dx8_3d/vexaD3D8.h"
#include "vexaSDK/dx/dx8_3d/vexaInterfacePtr.h"

namespace vexaSDK {
namespace Graphics {
namespace {

using DX8::CD3D8;

struct BlendState {
  DWORD enable;
  D3DBLEND source;
  D3DBLEND destination;
  D3DBLENDOP operation;
};

const BlendState kBlendStates[kBlendModeCount] = {
    {FALSE, D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD},             // opaque
    {TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},  // alpha
    {TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},          // add
    {TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT},  // subtract
    {TRUE, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},         // multiply
};

BYTE expand5[32];
BYTE expand6[64];
std::map<std::string, BlendMode> renderGroups;
UINT nextSharedVertex = 0;
DWORD blendBlocks[kBlendModeCount] = {CD3D8::kNoStateBlock, CD3D8::kNoStateBlock, CD3D8::kNoStateBlock,
                                      CD3D8::kNoStateBlock, CD3D8::kNoStateBlock};
TTL::smart_ptr<IDirect3DVertexBuffer8> sharedBuffer;

// The top bits repeat into the bottom, so 0 stays 0 and the maximum becomes 255.
void FillExpand5(CD3D8&) {
  for (int value = 0; value < 32; ++value) expand5[value] = static_cast<BYTE>(value << 3 | value >> 2);
}
void FillExpand6(CD3D8&) {
  for (int value = 0; value < 64; ++value) expand6[value] = static_cast<BYTE>(value << 2 | value >> 4);
}
void ClearExpand5(CD3D8&) {
  for (BYTE& entry : expand5) entry = 0;
}
void ClearExpand6(CD3D8&) {
  for (BYTE& entry : expand6) entry = 0;
}

void StartRenderGroups(CD3D8&) {
  renderGroups.clear();
  renderGroups["default"] = kBlendOpaque;
}
void StopRenderGroups(CD3D8&) { renderGroups.clear(); }

void RewindRenderers(CD3D8&) { nextSharedVertex = 0; }

// Each block holds only what its mode sets over the builder's defaults.
// A mode whose block cannot be recorded has none.
void StartBlendModes(CD3D8& owner) {
  const TTL::smart_ptr<IDirect3DDevice8>& device = owner.GetDevice();
  for (int mode = 0; mode < kBlendModeCount; ++mode) {
    blendBlocks[mode] = CD3D8::kNoStateBlock;
    if (FAILED(device->BeginStateBlock())) continue;
    owner.ResetRenderStates(true);
    const BlendState& state = kBlendStates[mode];
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, state.enable);
    device->SetRenderState(D3DRS_SRCBLEND, state.source);
    device->SetRenderState(D3DRS_DESTBLEND, state.destination);
    device->SetRenderState(D3DRS_BLENDOP, state.operation);
    DWORD token = CD3D8::kNoStateBlock;
    if (SUCCEEDED(device->EndStateBlock(&token))) blendBlocks[mode] = token;
  }
  owner.ResetRenderStates(false);
  DX8::HoldInterface(sharedBuffer, owner.CreateVertexBuffer(kSharedVertexCount, kSharedVertexFormat,
                                                            CD3D8::kBuilderPool, 0));
}

// A block that cannot be deleted is kept for the next attempt.
void DeleteBlendModes(CD3D8& owner) {
  const TTL::smart_ptr<IDirect3DDevice8>& device = owner.GetDevice();
  HRESULT failure = D3D_OK;
  for (DWORD& token : blendBlocks) {
    if (token == CD3D8::kNoStateBlock) continue;
    const HRESULT hr = device->DeleteStateBlock(token);
    if (FAILED(hr)) {
      failure = hr;
    } else {
      token = CD3D8::kNoStateBlock;
    }
  }
  if (FAILED(failure)) {
    VEXA_THROW(Common::CException,
               System::FormatText("Failed DeleteStateBlock %s", DXGetErrorString8(failure)));
  }
}

void ReleaseSharedBuffer(CD3D8&) { sharedBuffer.release(); }

}  // namespace

const DeviceHook kStartHooks[5] = {FillExpand5, FillExpand6, StartRenderGroups, RewindRenderers,
                                   StartBlendModes};
const DeviceHook kStopHooks[6] = {RewindRenderers,  DeleteBlendModes, ReleaseSharedBuffer,
                                  StopRenderGroups, ClearExpand6,     ClearExpand5};

BYTE ExpandChannel5(BYTE value) { return expand5[value & 31]; }
BYTE ExpandChannel6(BYTE value) { return expand6[value & 63]; }

DWORD GetBlendModeStateBlock(BlendMode mode) { return blendBlocks[mode]; }

IDirect3DVertexBuffer8* GetSharedVertexBuffer() { return sharedBuffer.get(); }

bool FindRenderGroup(const std::string& name, BlendMode& mode) {
  const auto found = renderGroups.find(name);
  if (found == renderGroups.end()) return false;
  mode = found->second;
  return true;
}

UINT ReserveSharedVertices(UINT count) {
  if (count > kSharedVertexCount) return kSharedVertexCount;
  if (count > kSharedVertexCount - nextSharedVertex) nextSharedVertex = 0;
  const UINT first = nextSharedVertex;
  nextSharedVertex += count;
  return first;
}

}  // namespace Graphics
}  // namespace vexaSDK
