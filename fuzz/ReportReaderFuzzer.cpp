// vexaEnvReader's parser over any bytes: it must keep a problem inside the
// report or just past its end, and what it read whole must read back whole
// to the same records once written again. Every view of the result must
// cope with what the parser kept.
#include <sstream>

#include "fuzz/FuzzCheck.h"
#include "reader/vexaReportDiff.h"
#include "reader/vexaReportHtml.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"

namespace {

std::string Rewritten(const vexaEnvReader::EnvReport& report) {
  std::ostringstream text;
  text << "--------------------\nDeviceInfo\n--------------------\n\n";
  report.devices->WriteDeviceInfo(text);
  return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = vexaFuzz::Text(data, size);
  const vexaEnvReader::EnvReport report = vexaEnvReader::ReadReport(bytes);
  if (report.problem) VEXA_FUZZ_CHECK(report.problem->line >= 1 && report.problem->line <= report.lineCount + 1);
  VEXA_FUZZ_CHECK(report.adapterLines.size() == report.devices->Identifiers().size());
  VEXA_FUZZ_CHECK(report.modeInfoLines.size() == report.devices->ModeInfos().size());
  if (report.Whole()) {
    const std::string once = Rewritten(report);
    const vexaEnvReader::EnvReport again = vexaEnvReader::ReadReport(once);
    VEXA_FUZZ_CHECK(again.Whole());
    VEXA_FUZZ_CHECK(Rewritten(again) == once);
  }
  const vexaEnvReader::Summary summary = vexaEnvReader::Summarize(report, nullptr);
  vexaEnvReader::ReportToJson("fuzz", report, summary);
  vexaEnvReader::ReportToHtml("fuzz", report, summary);
  VEXA_FUZZ_CHECK(vexaEnvReader::DiffReports("a", report, "b", report) == "--- a\n+++ b\nNo differences.\n");
  return 0;
}
