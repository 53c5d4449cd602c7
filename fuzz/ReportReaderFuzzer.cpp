// vexaEnvReader's parser over any bytes: it must keep a problem inside the
// report or just past its end, and what it read whole must be what the
// writer writes: its records written again give the section's lines as read,
// and read back whole. Every view of the result must cope with what the
// parser kept.
#include <sstream>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "reader/vexaFleet.h"
#include "reader/vexaReportDiff.h"
#include "reader/vexaReportHtml.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"
#include "reader/vexaTerminalText.h"

namespace {

// With the CR LF line ends the tool writes, which read as no mail damage.
std::string Rewritten(const vexaEnvReader::EnvReport& report) {
  std::ostringstream text;
  text << "--------------------\nDeviceInfo\n--------------------\n\n";
  report.devices->WriteDeviceInfo(text);
  std::string crlf;
  for (const char c : text.str()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

// Lines without the blank ones at the end, which a mail client may add and
// an editor may take away.
std::vector<std::string_view> WithoutBlankEnd(std::vector<std::string_view> lines) {
  while (!lines.empty() && lines.back().find_first_not_of(" \t\r") == std::string_view::npos)
    lines.pop_back();
  return lines;
}

// The section as the writer writes the records, against the section as read
// (in the report's encoding).
bool WrittenAsRead(const std::string& bytes, const vexaEnvReader::EnvReport& report) {
  std::string converted;
  const std::vector<std::string_view> lines = vexaEnvReader::ReportLines(bytes, converted);
  std::ostringstream text;
  report.devices->WriteDeviceInfo(text);
  std::string written = text.str();
  if (report.encoding != vexaEnvReader::Encoding::kCp932 &&
      report.encoding != vexaEnvReader::Encoding::kAnsi) {
    written = vexaEnvReader::AnsiToUtf8(report.codePage, written);
  }
  std::vector<std::string_view> rewritten;
  for (std::size_t start = 0; start < written.size();) {
    std::size_t end = written.find('\n', start);
    if (end == std::string::npos) end = written.size();
    rewritten.push_back(std::string_view(written).substr(start, end - start));
    start = end + 1;
  }
  const std::size_t first = report.deviceInfoLine + 2;  // after the dash line and the empty line
  if (first > lines.size()) return false;
  return WithoutBlankEnd(std::vector<std::string_view>(lines.begin() + static_cast<std::ptrdiff_t>(first),
                                                       lines.end())) == WithoutBlankEnd(rewritten);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = vexaFuzz::Text(data, size);
  const vexaEnvReader::EnvReport report = vexaEnvReader::ReadReport(bytes);
  if (report.problem)
    VEXA_FUZZ_CHECK(report.problem->line >= 1 && report.problem->line <= report.lineCount + 1);
  for (const vexaEnvReader::AdapterLines& at : report.adapterLines)
    VEXA_FUZZ_CHECK(at.block >= 1 && at.block <= report.lineCount);
  VEXA_FUZZ_CHECK(report.adapterLines.size() == report.devices->Identifiers().size());
  VEXA_FUZZ_CHECK(report.modeInfoLines.size() == report.devices->ModeInfos().size());
  // A repaired report's lines are not the section as received.
  if (report.Whole() && report.repairs == 0) VEXA_FUZZ_CHECK(WrittenAsRead(bytes, report));
  if (report.Whole()) {
    const std::string once = Rewritten(report);
    const vexaEnvReader::EnvReport again = vexaEnvReader::ReadReport(once);
    // Texts whose only "=" are escapes an encoder would write read as
    // quoted-printable, whoever wrote them; anything else written reads back
    // whole and undamaged.
    if ((again.repairs & vexaEnvReader::kQuotedPrintableRepair) == 0) {
      VEXA_FUZZ_CHECK(again.Whole());
      VEXA_FUZZ_CHECK(again.repairs == 0);
      VEXA_FUZZ_CHECK(Rewritten(again) == once);
    }
  }
  const vexaEnvReader::Summary summary = vexaEnvReader::Summarize(report, nullptr);
  // Every line --json writes reads back for --fleet, which copes with it.
  vexaEnvReader::EnvReport back;
  std::string file;
  VEXA_FUZZ_CHECK(
      vexaEnvReader::ReportFromJson(vexaEnvReader::ReportToJson("fuzz", report, summary), back, file));
  vexaEnvReader::FactsOf(back);
  vexaEnvReader::FactsOf(report);
  vexaEnvReader::ReportToHtml("fuzz", report, summary);
  // A report against itself differs in nothing; one read with a problem is
  // named on both sides, its text as a terminal may show it.
  std::string same = "--- a\n+++ b\n";
  if (report.problem) {
    const std::string unread = " was not read whole (line " + std::to_string(report.problem->line) + ": " +
                               vexaEnvReader::TerminalText(report.problem->message) +
                               "); what it lacks may only be unread\n";
    same += "! a" + unread + "! b" + unread;
  }
  VEXA_FUZZ_CHECK(vexaEnvReader::DiffReports("a", report, "b", report) == same + "No differences.\n");
  return 0;
}
