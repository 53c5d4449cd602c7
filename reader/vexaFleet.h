// The desk's view over many reports: what share of the players' machines has
// each capability, format, shader version, display mode, adapter, driver and
// Windows version. A report is boiled down to a few facts and released before
// the next is read; a machine that sent several reports counts once, by its
// newest report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"
#include "reader/vexaRequirements.h"

namespace vexaEnvReader {

// The tables of the fleet, in output order.
enum FleetCategory {
  kCapabilityCategory,
  kRequirementCategory,  // the verdicts, with a requirements file only
  kLeftOutCategory,      // each requirement and the machines it leaves out
  kVertexShaderCategory,
  kPixelShaderCategory,
  kTextureFormatCategory,
  kDepthStencilCategory,
  kMultiSampleCategory,
  kMaxTextureCategory,
  kDisplayMemoryCategory,
  kDisplayModeCategory,
  kAdapterCategory,
  kDriverCategory,
  kWindowsCategory,
  kFleetCategoryCount
};

const char* FleetCategoryTitle(FleetCategory category);

struct Fact {
  FleetCategory category;
  std::string value;
};

// What one report gives the fleet: who sent it, when, and its facts.
struct ReportFacts {
  // The first adapter's device identifier and the machine name; empty when
  // the report has neither, so that it counts as a machine of its own.
  std::string identity;
  std::optional<std::int64_t> time;  // "Time of this report" as seconds; none when unknown
  std::vector<Fact> facts;
  // Capabilities the report could not show either way.
  std::vector<Fact> notRead;
};

// The facts of the first adapter's hardware device and the diagnostic text;
// with requirements, the verdict and each requirement the machine fails (or
// cannot show, as not read).
ReportFacts FactsOf(const EnvReport& report, const Requirements* requirements = nullptr);

// The rows of the requirement tables, in the order of the file.
std::vector<std::string> VerdictRows();
std::string LeftOutRow(const Requirement& requirement);

// "12/7/2026, 11:48:03" and the other ways the date is written, as seconds
// counted from year 0 (only their order matters); none when it cannot be read.
std::optional<std::int64_t> ReportTime(const std::string& text);

struct FleetRow {
  std::string value;
  std::size_t machines = 0;
  std::size_t notRead = 0;  // capabilities and requirements only
};

struct FleetTable {
  FleetCategory category;
  std::vector<FleetRow> rows;  // capabilities in fixed order, the rest most machines first
};

struct FleetResult {
  std::size_t reports = 0;     // read, whole or not
  std::size_t unreadable = 0;  // files that could not be read at all
  std::size_t machines = 0;
  std::vector<FleetTable> tables;  // categories without a row are left out
};

// The machines seen so far. Each keeps only its time and its facts as small
// numbers, so memory grows with the machines and the distinct facts, never
// with the reports.
class Fleet {
 public:
  Fleet();
  // A table whose rows are these, in this order, each shown even without a
  // machine; other tables list what the machines have, most machines first.
  void FixRows(FleetCategory category, std::vector<std::string> rows) { fixed_[category] = std::move(rows); }
  // Reports are added in file order: among reports of one machine the newest
  // counts; when their times are equal or either is unknown, the later one.
  void Add(const ReportFacts& report);
  void AddUnreadable() { ++unreadable_; }
  FleetResult Result() const;

 private:
  struct Machine {
    std::optional<std::int64_t> time;
    std::vector<std::uint32_t> facts, notRead;
  };
  std::uint32_t Intern(const Fact& fact);
  std::vector<std::uint32_t> Ids(const std::vector<Fact>& facts);

  std::unordered_map<std::string, std::uint32_t> ids_;
  std::vector<Fact> names_;
  std::unordered_map<std::string, Machine> machines_;
  std::vector<Machine> anonymous_;
  std::vector<std::string> fixed_[kFleetCategoryCount];
  std::size_t reports_ = 0, unreadable_ = 0;
};

// How machines are told apart, as the outputs say it.
extern const char kFleetIdentity[];

// The outputs. `leading` caps the rows shown per table of adapters, drivers,
// Windows versions and display modes in the text and the page (0: all).
std::string FleetToText(const FleetResult& result, std::size_t leading = 15);
std::string FleetToJson(const FleetResult& result);
std::string FleetToCsv(const FleetResult& result);
std::string FleetToHtml(const FleetResult& result, std::size_t leading = 15);

// One CSV cell: a text that starts as a spreadsheet formula gets a leading
// apostrophe, and one with a comma, quote or line end is quoted.
std::string CsvCell(const std::string& text);

// One line of --json back into the report it was written from, as far as the
// fleet and the requirements read it (not the bytes: no `WriteDeviceInfo`
// round trip); false for a line that is no report.
bool ReportFromJson(const std::string& line, EnvReport& report, std::string& file);

// What `vexaEnvReader --fleet` was asked for.
struct FleetRun {
  std::string output;  // "" for the table, "json", "csv" or "html"
  std::string requirePath;
  const GivenEncoding* encoding = nullptr;
  std::size_t maxSize = 0;  // of a report file; a JSON Lines file has no limit but its lines'
  std::string maxSizeText;  // the limit as the refusal names it ("64 MiB")
  std::vector<std::string> paths;
};

using TextSink = std::function<void(const std::string&)>;

// The fleet of the reports and JSON Lines files of `run`, written to `out`
// in UTF-8, a line per report it could not read whole to `err`; its exit
// status: 0 every report read whole, 1 not, 2 a requirements file refused.
int RunFleet(const FleetRun& run, const TextSink& out, const TextSink& err);

}  // namespace vexaEnvReader
