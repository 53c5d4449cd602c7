// Speed of the device report writers against the bare cost of putting their
// own bytes into the same kind of stream with one write.
#include <benchmark/benchmark.h>

#include <cstring>
#include <sstream>
#include <string>

#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"

namespace {

using namespace vexaSDK::DX8;

D3DCAPS8 BusyCaps() {
  D3DCAPS8 caps;
  std::memset(&caps, 0xFF, sizeof caps);
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = -8192.0f;
  caps.MaxPointSize = 64.0f;
  return caps;
}

void BM_WriteDeviceCaps(benchmark::State& state) {
  const D3DCAPS8 caps = BusyCaps();
  for (auto _ : state) {
    std::ostringstream out;
    WriteDeviceCaps(out, caps);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_WriteDeviceCaps);

void BM_RawWriteOfCapsText(benchmark::State& state) {
  std::ostringstream once;
  WriteDeviceCaps(once, BusyCaps());
  const std::string text = once.str();
  for (auto _ : state) {
    std::ostringstream out;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_RawWriteOfCapsText);

}  // namespace
