// Speed of vexaEnvReader against the writers: reading a report of about 1.3 MB
// against writing its "DeviceInfo" section with WriteDeviceInfo, 1,000
// reports of the usual size (the host's default model, about 1,100 lines)
// read and turned into JSON Lines, reports of many adapters read and seen
// in every view at two sizes, whose times must grow as the sizes do, and a
// report taken into the fleet beside reading it alone.
#include <benchmark/benchmark.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/D3D8Model.h"
#include "reader/vexaFleet.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"
#include "vexaFleetReports.h"
#include "vexaLargeEnumeration.h"

namespace {

using namespace vexaSDK::DX8;
using testkit::CTestEnumMode;
using vexaBench::LargeEnumeration;

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
  const CTestEnumMode enumeration = LargeEnumeration(1000);
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
  const std::string report = ReportOf(LargeEnumeration(1000));
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
      bytes =
          vexaEnvReader::ReportToJson("envInfo.txt", read, vexaEnvReader::Summarize(read, nullptr)).size();
    }
  }
  state.counters["reportBytes"] = static_cast<double>(report.size());
  state.counters["jsonBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_JsonLines1000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A report of `adapters` small adapters (four records, three display modes
// each): 49 blocks an adapter, counting each record's header and its eleven
// blocks and the identifier block.
std::string ManyAdapters(int adapters) {
  CTestEnumMode enumeration;
  D3DCAPS8 caps = {};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.MaxTextureWidth = caps.MaxTextureHeight = 2048;
  caps.VertexShaderVersion = 0xFFFE0101;
  for (int a = 0; a < adapters; ++a) {
    D3DADAPTER_IDENTIFIER8 id = {};
    std::strcpy(id.Description, "RADEON 9800 PRO");
    std::strcpy(id.Driver, "ati2dvag.dll");
    id.VendorId = 0x1002;
    id.DeviceId = 0x4E48;
    id.WHQLLevel = 1;
    std::vector<CModeInfo> records;
    for (const D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
      for (const BOOL windowed : {FALSE, TRUE}) {
        testkit::CTestModeInfo record(static_cast<UINT>(a), type, windowed, id);
        record.Caps(caps).Formats(kTextureFormats, D3DFMT_X8R8G8B8,
                                  {D3DFMT_A8R8G8B8, D3DFMT_DXT1, D3DFMT_DXT5});
        record.Mode(1024, 768, 60, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8)
            .Mode(1600, 1200, 60, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8);
        record.Mode(1024, 768, 60, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8);
        records.push_back(record);
      }
    }
    enumeration.Adapter(id, records);
  }
  return ReportOf(enumeration);
}

// Reading, the summary and the JSON line of 1,025 and 2,050 adapters (about
// 50,000 and 100,000 blocks).
void BM_ManyBlocks(benchmark::State& state) {
  const std::string report = ManyAdapters(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const vexaEnvReader::EnvReport read = vexaEnvReader::ReadReport(report);
    if (!read.Whole()) state.SkipWithError("the report was not read whole");
    const vexaEnvReader::Summary summary = vexaEnvReader::Summarize(read, nullptr);
    bytes = vexaEnvReader::FormatSummary("envInfo.txt", read, summary).size();
    bytes += vexaEnvReader::ReportToJson("envInfo.txt", read, summary).size();
  }
  state.counters["reportBytes"] = static_cast<double>(report.size());
  state.counters["outputBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ManyBlocks)->Arg(1025)->Arg(2050)->Unit(benchmark::kMillisecond);

// The reports of 1,000 players, each a new string as a file read would give.
const std::vector<std::string>& FleetReports() {
  static const std::vector<std::string> reports = [] {
    const std::vector<std::string> parts = vexaBench::FleetDeviceParts(29, 100);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < 1000; ++i) texts.push_back(vexaBench::FleetReport(i, 700, parts));
    return texts;
  }();
  return reports;
}

void BM_ReadOneReport(benchmark::State& state) {
  const std::vector<std::string>& reports = FleetReports();
  std::size_t i = 0, bytes = 0;
  for (auto _ : state) {
    const std::string& text = reports[i++ % reports.size()];
    const vexaEnvReader::EnvReport read = vexaEnvReader::ReadReport(text);
    benchmark::DoNotOptimize(read.devices.get());
    bytes += text.size();
  }
  state.counters["reportBytes"] = static_cast<double>(bytes) / static_cast<double>(i);
}
BENCHMARK(BM_ReadOneReport)->Unit(benchmark::kMicrosecond);

// The same reports read, their facts taken and added to one fleet, which
// keeps growing over the iterations as a desk's run does.
void BM_FleetOneReport(benchmark::State& state) {
  const std::vector<std::string>& reports = FleetReports();
  vexaEnvReader::Fleet fleet;
  std::size_t i = 0;
  for (auto _ : state) {
    fleet.Add(vexaEnvReader::FactsOf(vexaEnvReader::ReadReport(reports[i++ % reports.size()])));
  }
  benchmark::DoNotOptimize(fleet.Result().machines);
}
BENCHMARK(BM_FleetOneReport)->Unit(benchmark::kMicrosecond);

}  // namespace
