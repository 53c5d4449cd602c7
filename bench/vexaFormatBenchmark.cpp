// FormatText against the C library's snprintf into a buffer sized in advance,
// for the tool's own texts: its dxdiag command line (short, fits the stack
// buffer) and its support mail link (long, needs one larger buffer). The
// program's global operator new counts every heap block, so each run also
// tells how many allocations one call makes (the counting operator new is the
// formatter tests' own).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "vexaSDK/System/vexaFormat.h"

namespace vexaSDK {
namespace System {
extern long allocations;  // beside the replaced global operator new
}  // namespace System
}  // namespace vexaSDK

namespace {

// The command line the tool gives dxdiag, on a Japanese system.
const char kCommandFormat[] = "dxdiag /t %s";
const char kReportPath[] = "C:\\Documents and Settings\\yamada\\デスクトップ\\envInfo.txt";

// The support mail link: subject and a body of 358 bytes in code page 932.
const char kMailFormat[] = "mailto:support@qoru.example?subject=[Qoru] サポート From vexaEnvChecker&body=%s";
const char kMailBody[] =
    "注：デスクトップに出力された envInfo.txt をこのメールに添付してください。%0d%0a"
    "　　必ずファイルが添付されている事を確認してから送信ボタンを押してください。%0d%0a%0d%0a"
    "・ゲームのタイトル%0d%0a (ここにゲームタイトルを記入してください)%0d%0a%0d%0a"
    "・起こった場面/どのような症状が発生したのか、等の気付いた点が有れば%0d%0a"
    " (ここに症状などを記入してください)%0d%0a";

struct Text {
  const char* format;
  const char* argument;
};
const Text kShort = {kCommandFormat, kReportPath};
const Text kLong = {kMailFormat, kMailBody};

void CountPerCall(benchmark::State& state, long before, std::size_t length) {
  state.counters["allocs_per_call"] =
      static_cast<double>(vexaSDK::System::allocations - before) / static_cast<double>(state.iterations());
  state.counters["chars"] = static_cast<double>(length);
}

void BM_FormatText(benchmark::State& state, const Text& text) {
  std::size_t length = 0;
  const long before = vexaSDK::System::allocations;
  for (auto _ : state) {
    std::string result = vexaSDK::System::FormatText(text.format, text.argument);
    length = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  CountPerCall(state, before, length);
}

// The form that fills the caller's string: a string kept from call to call
// has room already, so only the formatter's own allocations are left.
void BM_FormatTextInto(benchmark::State& state, const Text& text) {
  std::string result;
  result.reserve(1024);
  const long before = vexaSDK::System::allocations;
  for (auto _ : state) {
    vexaSDK::System::FormatText(result, text.format, text.argument);
    benchmark::DoNotOptimize(result.data());
  }
  CountPerCall(state, before, result.size());
}

void BM_Snprintf(benchmark::State& state, const Text& text) {
  char buffer[1024];
  int length = 0;
  const long before = vexaSDK::System::allocations;
  for (auto _ : state) {
    length = std::snprintf(buffer, sizeof buffer, text.format, text.argument);
    benchmark::DoNotOptimize(buffer);
  }
  CountPerCall(state, before, static_cast<std::size_t>(length));
}

// What the first, failing pass of a long text costs: the same call into a
// buffer of the stack buffer's 256 characters.
void BM_SnprintfTruncated(benchmark::State& state, const Text& text) {
  char buffer[256];
  // Read at run time, so the compiler (the fortified snprintf too) does not
  // refuse the cut it would see.
  volatile std::size_t size = sizeof buffer;
  const char* volatile format = text.format;
  int length = 0;
  for (auto _ : state) {
    length = std::snprintf(buffer, size, format, text.argument);
    benchmark::DoNotOptimize(buffer);
  }
  state.counters["chars"] = static_cast<double>(length);
}

BENCHMARK_CAPTURE(BM_FormatText, Short, kShort);
BENCHMARK_CAPTURE(BM_FormatTextInto, Short, kShort);
BENCHMARK_CAPTURE(BM_Snprintf, Short, kShort);
BENCHMARK_CAPTURE(BM_FormatText, Long, kLong);
BENCHMARK_CAPTURE(BM_FormatTextInto, Long, kLong);
BENCHMARK_CAPTURE(BM_Snprintf, Long, kLong);
BENCHMARK_CAPTURE(BM_SnprintfTruncated, Long, kLong);

}  // namespace
