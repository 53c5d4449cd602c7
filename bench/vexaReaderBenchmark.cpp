// Speed of vexaEnvReader against the writers: reading a report of about 1 MB
// against writing its "DeviceInfo" section with WriteDeviceInfo, and 1,000
// reports of the usual size (the host's default model, about 1,100 lines)
// read and turned into JSON Lines.
#include <benchmark/benchmark.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/D3D8Model.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"
#include "vexaSDK/dx/dx8_3d/internal/vexaTestEnumMode.h"

namespace {

using namespace vexaSDK::DX8;
using internal::CTestEnumMode;
using internal::CTestModeInfo;

// A sink with its room reserved, so that writing pays for bytes, not growth.
class StringSink : public std::streambuf {
 public:
  explicit StringSink(std::size_t capacity) { text.reserve(capacity); }
  std::string text;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text.append(s, static_cast<std::size_t>(n));
    return n;
  }
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) text.push_back(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
};

// 4 adapters, every flag set, 32 formats per table entry, 1,000 modes a record.
CTestEnumMode LargeEnumeration() {
  D3DCAPS8 caps;
  std::memset(&caps, 0xFF, sizeof caps);
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = -8192.0f;
  caps.MaxPointSize = 64.0f;
  caps.MaxPixelShaderValue = 0.0001f;
  const D3DFORMAT displays[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
  std::vector<D3DFORMAT> all;
  for (int i = 20; i < 52; ++i) all.push_back(static_cast<D3DFORMAT>(i));
  CTestEnumMode enumeration;
  for (UINT adapter = 0; adapter < 4; ++adapter) {
    D3DADAPTER_IDENTIFIER8 id = {};
    std::strcpy(id.Description, "Benchmark Graphics Adapter");
    std::strcpy(id.Driver, "bench.dll");
    id.VendorId = 0x10DE;
    id.WHQLLevel = 1;
    std::vector<CModeInfo> records;
    for (int r = 0; r < 4; ++r) {
      CTestModeInfo record(adapter, r < 2 ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF, r % 2, id);
      record.Caps(caps);
      for (const D3DFORMAT display : displays) {
        for (const D3DFORMAT back : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
          record.MultiSample(display, back, {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES})
              .DepthStencil(display, back, {D3DFMT_D16, D3DFMT_D24S8});
        }
        for (int kind = 0; kind < kFormatTableCount; ++kind) {
          record.Formats(static_cast<FormatTableKind>(kind), display, all);
        }
      }
      for (UINT m = 0; m < 1000; ++m) {
        record.Mode(640 + 16 * (m % 100), 480 + 8 * (m / 100), 60 + m % 4 * 15, displays[m % 4],
                    displays[(m + 1) % 4]);
      }
      records.push_back(record);
    }
    enumeration.Adapter(id, records);
  }
  return enumeration;
}

std::string CrLf(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

std::string ReportOf(const CDGEnumMode& enumeration) {
  std::ostringstream text;
  text << "------------------\nSystem Information\n------------------\n"
          "Time of this report: 12/7/2026, 11:48:03\n   Operating System: Windows XP Professional\n"
          "          Processor: Pentium 4 (1 CPU)\n             Memory: 512MB RAM\n\n"
          "--------------------\nDeviceInfo\n--------------------\n\n";
  enumeration.WriteDeviceInfo(text);
  return CrLf(text.str());
}

void BM_WriteDeviceInfo1MB(benchmark::State& state) {
  const CTestEnumMode enumeration = LargeEnumeration();
  StringSink sink(1 << 22);
  std::ostream out(&sink);
  for (auto _ : state) {
    sink.text.clear();
    enumeration.WriteDeviceInfo(out);
  }
  state.counters["bytes"] = static_cast<double>(sink.text.size());
}
BENCHMARK(BM_WriteDeviceInfo1MB)->Unit(benchmark::kMicrosecond);

void BM_ReadReport1MB(benchmark::State& state) {
  const std::string report = ReportOf(LargeEnumeration());
  for (auto _ : state) {
    const vexaEnvReader::EnvReport read = vexaEnvReader::ReadReport(report);
    if (!read.Whole()) state.SkipWithError("the report was not read whole");
    benchmark::DoNotOptimize(read.devices.get());
  }
  state.counters["bytes"] = static_cast<double>(report.size());
}
BENCHMARK(BM_ReadReport1MB)->Unit(benchmark::kMicrosecond);

// 1,000 reports of the host's default model, each read, summed up and written
// as one JSON line; the PCI names left out, as they are the machine's.
void BM_JsonLines1000(benchmark::State& state) {
  IDirect3D8* direct3D = platform::d3d8::CreateDirect3D8(platform::d3d8::MakeDefaultModel());
  const std::string report = ReportOf(CDGEnumMode(direct3D));
  direct3D->Release();
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      const vexaEnvReader::EnvReport read = vexaEnvReader::ReadReport(report);
      bytes = vexaEnvReader::ReportToJson("envInfo.txt", read, vexaEnvReader::Summarize(read, nullptr)).size();
    }
  }
  state.counters["reportBytes"] = static_cast<double>(report.size());
  state.counters["jsonBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_JsonLines1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
