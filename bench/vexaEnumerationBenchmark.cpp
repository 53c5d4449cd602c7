// Cost of the enumeration against the bare runtime calls it has to make: the
// same calls, recorded once and replayed against the same in-process model.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/D3D8Model.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace {

using platform::d3d8::CRuntimeModel;
using platform::d3d8::RecordedCall;

// One adapter with 300 display modes over four display formats, HAL and REF
// both present.
std::shared_ptr<CRuntimeModel> BusyModel() {
  std::shared_ptr<CRuntimeModel> model = platform::d3d8::MakeDefaultModel();
  platform::d3d8::AdapterModel& adapter = model->adapters[0];
  adapter.modes.clear();
  const D3DFORMAT displays[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A8R8G8B8};
  for (UINT m = 0; m < 300; ++m)
    adapter.modes.push_back({640 + 8 * (m / 4), 480, 60 + m % 3, displays[m % 4]});
  adapter.ref.deviceTypes.insert({D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8});
  adapter.hal = adapter.ref;
  return model;
}

void BM_EnumerateAdapter(benchmark::State& state) {
  const std::shared_ptr<CRuntimeModel> model = BusyModel();
  IDirect3D8* d3d = platform::d3d8::CreateDirect3D8(model);
  for (auto _ : state) {
    vexaSDK::DX8::CDGEnumMode enumeration(d3d);
    benchmark::DoNotOptimize(enumeration);
  }
  d3d->Release();
}
BENCHMARK(BM_EnumerateAdapter)->Unit(benchmark::kMicrosecond);

void BM_BareRuntimeCalls(benchmark::State& state) {
  const std::shared_ptr<CRuntimeModel> model = BusyModel();
  IDirect3D8* d3d = platform::d3d8::CreateDirect3D8(model);
  std::vector<RecordedCall> calls;
  model->recording = &calls;
  { vexaSDK::DX8::CDGEnumMode once(d3d); }
  model->recording = nullptr;
  for (auto _ : state) {
    for (const RecordedCall& call : calls) benchmark::DoNotOptimize(platform::d3d8::Replay(d3d, call));
  }
  state.counters["calls"] = static_cast<double>(calls.size());
  d3d->Release();
}
BENCHMARK(BM_BareRuntimeCalls)->Unit(benchmark::kMicrosecond);

}  // namespace
