// Speed of the device report writers on a large enumeration, against one raw
// write of the same bytes and against the same text written the naive way,
// with operator<< on the stream. Two more runs take the gap to the raw write
// apart: the same bytes written with the report's flushes, and the report's
// numbers formatted alone. The last pair writes into a real report file,
// where every flush reaches the operating system.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/TextFile.h"
#include "vexaLargeEnumeration.h"
#include "vexaNaiveReport.h"
#include "vexaSDK/dx/dx8_3d/internal/vexaReportText.h"
#include "vexaSDK/dx/dx8_3d/testing/vexaTestEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace {

using namespace vexaSDK::DX8;
using internal::CReportText;
using testkit::CTestEnumMode;
using testkit::CTestModeInfo;
using vexaBench::BusyCaps;
using vexaBench::LargeEnumeration;

// An in-memory sink with room reserved up front, so every side pays for its
// bytes and flushes, not for a growing string. It notes where each flush fell.
class MemorySink : public std::streambuf {
 public:
  explicit MemorySink(std::size_t capacity) { bytes_.reserve(capacity); }
  void Clear() {
    bytes_.clear();
    flushes_.clear();
  }
  std::size_t Size() const { return bytes_.size(); }
  std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }
  const std::vector<std::size_t>& Flushes() const { return flushes_; }
  void KeepFlushes(bool keep) { keepFlushes_ = keep; }

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    bytes_.insert(bytes_.end(), s, s + n);
    return n;
  }
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) bytes_.push_back(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  int sync() override {
    if (keepFlushes_) flushes_.push_back(bytes_.size());
    return 0;
  }

 private:
  std::vector<char> bytes_;
  std::vector<std::size_t> flushes_;
  bool keepFlushes_ = false;
};

const std::size_t kSinkCapacity = 1 << 22;

// The product's text and the flush points it set, written once.
struct ReportBytes {
  std::string text;
  std::vector<std::size_t> flushes;
};

ReportBytes WrittenBy(void (*write)(std::ostream&, const CDGEnumMode&), const CDGEnumMode& enumeration) {
  MemorySink sink(kSinkCapacity);
  sink.KeepFlushes(true);
  std::ostream out(&sink);
  write(out, enumeration);
  return {sink.Text(), sink.Flushes()};
}

void ProductWrite(std::ostream& out, const CDGEnumMode& enumeration) { enumeration.WriteDeviceInfo(out); }

// Times `write` into an in-memory stream emptied before each pass.
template <typename Write>
void TimeInMemory(benchmark::State& state, Write write) {
  MemorySink sink(kSinkCapacity);
  std::ostream out(&sink);
  for (auto _ : state) {
    sink.Clear();
    write(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sink.Size()));
  state.counters["bytes"] = static_cast<double>(sink.Size());
}

void BM_WriteDeviceInfo(benchmark::State& state) {
  const CTestEnumMode enumeration = LargeEnumeration();
  TimeInMemory(state, [&](std::ostream& out) { enumeration.WriteDeviceInfo(out); });
}
BENCHMARK(BM_WriteDeviceInfo)->Unit(benchmark::kMicrosecond);

// The same report through operator<<; refused unless it gives the product's
// bytes and flushes, so the two are compared on the same work.
void BM_NaiveWriteDeviceInfo(benchmark::State& state) {
  const CTestEnumMode enumeration = LargeEnumeration();
  const ReportBytes product = WrittenBy(ProductWrite, enumeration);
  const ReportBytes naive = WrittenBy(vexaBench::NaiveWriteDeviceInfo, enumeration);
  if (naive.text != product.text || naive.flushes != product.flushes) {
    std::size_t at = 0;
    while (at < naive.text.size() && at < product.text.size() && naive.text[at] == product.text[at]) ++at;
    const std::string message = "the naive report differs from the product's: " +
                                (naive.text != product.text ? "first different byte at " + std::to_string(at)
                                                            : std::string("flushes differ"));
    state.SkipWithError(message.c_str());
    return;
  }
  TimeInMemory(state, [&](std::ostream& out) { vexaBench::NaiveWriteDeviceInfo(out, enumeration); });
}
BENCHMARK(BM_NaiveWriteDeviceInfo)->Unit(benchmark::kMicrosecond);

// The same bytes, handed over in one write.
void BM_RawWriteOfDeviceInfo(benchmark::State& state) {
  const std::string text = WrittenBy(ProductWrite, LargeEnumeration()).text;
  TimeInMemory(state, [&](std::ostream& out) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
  });
}
BENCHMARK(BM_RawWriteOfDeviceInfo)->Unit(benchmark::kMicrosecond);

// The same bytes in the pieces between the report's flushes, each flushed: the
// share of the gap that the report's format itself demands.
void BM_RawWriteWithReportFlushes(benchmark::State& state) {
  const ReportBytes product = WrittenBy(ProductWrite, LargeEnumeration());
  TimeInMemory(state, [&](std::ostream& out) {
    std::size_t from = 0;
    for (const std::size_t to : product.flushes) {
      out.write(product.text.data() + from, static_cast<std::streamsize>(to - from));
      out.flush();
      from = to;
    }
    out.write(product.text.data() + from, static_cast<std::streamsize>(product.text.size() - from));
  });
  state.counters["flushes"] = static_cast<double>(product.flushes.size());
}
BENCHMARK(BM_RawWriteWithReportFlushes)->Unit(benchmark::kMicrosecond);

// Every number the report writes, formatted the report's way and nothing else.
void AppendReportNumbers(CReportText& text, const CDGEnumMode& enumeration) {
  for (const D3DADAPTER_IDENTIFIER8& id : enumeration.Identifiers()) {
    const DWORD high = static_cast<DWORD>(id.DriverVersion.HighPart);
    text.Dec(high >> 16).Dec(high & 0xFFFF).Dec(id.DriverVersion.LowPart >> 16);
    text.Dec(id.DriverVersion.LowPart & 0xFFFF).Hex(id.VendorId, 8).Hex(id.DeviceId, 8);
    text.Hex(id.SubSysId, 8).Dec(id.Revision).Hex(id.DeviceIdentifier.Data1, 8);
    text.Hex(id.DeviceIdentifier.Data2, 4).Hex(id.DeviceIdentifier.Data3, 4);
    for (const unsigned char byte : id.DeviceIdentifier.Data4) text.Hex(byte, 2);
    text.Dec(id.WHQLLevel);
  }
  for (std::size_t i = 0; i < enumeration.Identifiers().size(); ++i) {
    for (std::size_t r = 4 * i; r < 4 * i + 4 && r < enumeration.ModeInfos().size(); ++r) {
      const CModeInfo& record = enumeration.ModeInfos()[r];
      for (const CapsField& field : kCapsFields) {
        const DWORD value = ReadCapsDword(record.Caps(), field.offset);
        if (field.kind == CapsFieldKind::kDecimal) text.Dec(value);
        if (field.kind == CapsFieldKind::kFloat) {
          text.Float(ReadCapsFloat(record.Caps(), field.offset));
        }
        if (field.kind == CapsFieldKind::kShaderVersion) text << FormatShaderVersion(value);
      }
      for (const CDisplayMode& mode : record.DisplayModes()) {
        text.Dec(mode.Width).Dec(mode.Height).Dec(mode.RefreshRate);
      }
    }
  }
}

void BM_ReportNumbersAlone(benchmark::State& state) {
  const CTestEnumMode enumeration = LargeEnumeration();
  TimeInMemory(state, [&](std::ostream& out) {
    CReportText text(out);
    AppendReportNumbers(text, enumeration);
    text.Finish();
  });
}
BENCHMARK(BM_ReportNumbersAlone)->Unit(benchmark::kMicrosecond);

// Times `write` into a report file of this process's own, rewritten on every
// iteration.
template <typename Write>
void TimeInFile(benchmark::State& state, Write write) {
  const char* folder = std::getenv("TMPDIR");
  const std::string path = std::string(folder && *folder ? folder : "/tmp") + "/vexaReportBenchmark." +
                           std::to_string(getpid()) + ".txt";
  for (auto _ : state) {
    platform::CTextFileStream file(path.c_str());
    write(file);
    file.close();
    if (!file) state.SkipWithError("the report file cannot be written");
  }
  std::remove(path.c_str());
}

void BM_WriteDeviceInfoToFile(benchmark::State& state) {
  const CTestEnumMode enumeration = LargeEnumeration();
  TimeInFile(state, [&](std::ostream& out) { enumeration.WriteDeviceInfo(out); });
}
BENCHMARK(BM_WriteDeviceInfoToFile)->Unit(benchmark::kMicrosecond);

void BM_RawWriteToFile(benchmark::State& state) {
  const std::string text = WrittenBy(ProductWrite, LargeEnumeration()).text;
  TimeInFile(state,
             [&](std::ostream& out) { out.write(text.data(), static_cast<std::streamsize>(text.size())); });
}
BENCHMARK(BM_RawWriteToFile)->Unit(benchmark::kMicrosecond);

void BM_WriteDeviceCaps(benchmark::State& state) {
  const D3DCAPS8 caps = BusyCaps();
  TimeInMemory(state, [&](std::ostream& out) { WriteDeviceCaps(out, caps); });
}
BENCHMARK(BM_WriteDeviceCaps);

}  // namespace
