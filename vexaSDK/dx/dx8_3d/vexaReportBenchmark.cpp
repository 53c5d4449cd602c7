// Speed of the device report writers against the bare cost of putting their
// own bytes into the same kind of stream with one write.
#include <benchmark/benchmark.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "vexaSDK/dx/dx8_3d/internal/vexaTestEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"

namespace {

using namespace vexaSDK::DX8;

// An in-memory sink with room reserved up front, so both sides pay for their
// bytes and flushes, not for a growing string.
class MemorySink : public std::streambuf {
 public:
  explicit MemorySink(std::size_t capacity) { bytes_.reserve(capacity); }
  void Clear() { bytes_.clear(); }
  std::size_t Size() const { return bytes_.size(); }

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    bytes_.insert(bytes_.end(), s, s + n);
    return n;
  }
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) bytes_.push_back(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  int sync() override { return 0; }

 private:
  std::vector<char> bytes_;
};
using vexaSDK::DX8::internal::CTestEnumMode;
using vexaSDK::DX8::internal::CTestModeInfo;

D3DCAPS8 BusyCaps() {
  D3DCAPS8 caps;
  std::memset(&caps, 0xFF, sizeof caps);
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = -8192.0f;
  caps.MaxPointSize = 64.0f;
  caps.MaxPixelShaderValue = 0.0001f;
  return caps;
}

// 4 adapters, 300 display modes per record, every table full.
CTestEnumMode LargeEnumeration() {
  const D3DFORMAT displays[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
  std::vector<D3DFORMAT> all(32);
  for (int i = 0; i < 32; ++i) all[i] = static_cast<D3DFORMAT>(20 + i);
  const std::vector<D3DFORMAT> depth = {D3DFMT_D16_LOCKABLE, D3DFMT_D32,   D3DFMT_D15S1,  D3DFMT_D24S8,
                                        D3DFMT_D16,          D3DFMT_D24X8, D3DFMT_D24X4S4};
  std::vector<D3DMULTISAMPLE_TYPE> samples = {D3DMULTISAMPLE_NONE};
  for (int t = 2; t <= 16; ++t) samples.push_back(static_cast<D3DMULTISAMPLE_TYPE>(t));

  CTestEnumMode enumeration;
  for (UINT adapter = 0; adapter < 4; ++adapter) {
    D3DADAPTER_IDENTIFIER8 id = {};
    std::strcpy(id.Description, "Benchmark Graphics Adapter");
    std::strcpy(id.Driver, "bench.dll");
    std::vector<CModeInfo> records;
    for (int r = 0; r < 4; ++r) {
      CTestModeInfo record(adapter, r < 2 ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF, r % 2, id);
      record.Caps(BusyCaps());
      for (D3DFORMAT display : displays) {
        for (D3DFORMAT back : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
          record.MultiSample(display, back, samples).DepthStencil(display, back, depth);
        }
        for (int kind = 0; kind < kFormatTableCount; ++kind) {
          record.Formats(static_cast<FormatTableKind>(kind), display, all);
        }
      }
      for (UINT m = 0; m < 300; ++m) {
        record.Mode(640 + 16 * (m % 75), 480 + 8 * (m / 75), 60 + m % 4 * 15, displays[m % 4],
                    displays[(m + 1) % 4]);
      }
      records.push_back(record);
    }
    enumeration.Adapter(id, records);
  }
  return enumeration;
}

void BM_WriteDeviceInfo(benchmark::State& state) {
  const CTestEnumMode enumeration = LargeEnumeration();
  MemorySink sink(1 << 21);
  std::ostream out(&sink);
  for (auto _ : state) {
    sink.Clear();
    enumeration.WriteDeviceInfo(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sink.Size()));
}
BENCHMARK(BM_WriteDeviceInfo);

// The same bytes, handed over in one write.
void BM_RawWriteOfDeviceInfo(benchmark::State& state) {
  std::ostringstream once;
  LargeEnumeration().WriteDeviceInfo(once);
  const std::string text = once.str();
  MemorySink sink(1 << 21);
  std::ostream out(&sink);
  for (auto _ : state) {
    sink.Clear();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_RawWriteOfDeviceInfo);

void BM_WriteDeviceCaps(benchmark::State& state) {
  const D3DCAPS8 caps = BusyCaps();
  MemorySink sink(1 << 16);
  std::ostream out(&sink);
  for (auto _ : state) {
    sink.Clear();
    WriteDeviceCaps(out, caps);
  }
}
BENCHMARK(BM_WriteDeviceCaps);

}  // namespace
