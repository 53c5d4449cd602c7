// vexaEnvReader: the support desk's reader of envInfo.txt. A console program
// on both platforms; its output is UTF-8 whatever the report's encoding.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "reader/vexaFleet.h"
#include "reader/vexaReportDiff.h"
#include "reader/vexaReportHtml.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"
#include "reader/vexaRequirements.h"

namespace {

using namespace vexaEnvReader;

const char kUsage[] =
    "Usage: vexaEnvReader REPORT...          a summary of each report\n"
    "       vexaEnvReader --json REPORT...   everything read, one JSON line per report\n"
    "       vexaEnvReader --html REPORT      one self-contained web page\n"
    "       vexaEnvReader --diff A B         what differs between two reports\n"
    "       vexaEnvReader --require FILE [--json | --html] REPORT...\n"
    "                                        each report weighed against a game's\n"
    "                                        requirements file (TOML)\n"
    "       vexaEnvReader --fleet [--json | --csv | --html] [--require FILE] REPORT...\n"
    "                                        shares of machines over many reports\n"
    "                                        (and --json files)\n"
    "       vexaEnvReader --help | --version\n"
    "Exit status: 0 when every report was read whole, 1 when one was read with\n"
    "problems or could not be read, 2 on a usage error.\n"
    "With --require: 0 when every report meets the minimum, 3 when one is below\n"
    "the minimum, else 4 when for one it cannot tell (a part the verdict needs\n"
    "was not read), 1 when a report could not be read at all, 2 on a usage error\n"
    "or a requirements file refused. --fleet keeps 0, 1 and 2, with --require too.\n";

int Usage(const std::string& why) {
  std::cerr << "vexaEnvReader: " << why << "\n" << kUsage;
  return 2;
}

// False (with a line on standard error) when the file cannot be read.
bool Load(const std::string& path, EnvReport& report) {
  std::string bytes;
  if (!ReadReportFile(path, bytes)) {
    std::cerr << "vexaEnvReader: cannot read " << path << "\n";
    return false;
  }
  report = ReadReport(bytes);
  if (report.problem) {
    std::cerr << "vexaEnvReader: " << path << ":" << report.problem->line << ": " << report.problem->message << "\n";
  }
  return true;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string mode = "summary";
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return args.size() == 1 ? 0 : 2;
  }
  if (!args.empty() && args[0] == "--version") {
    std::cout << "vexaEnvReader " VEXA_VERSION "\n";
    return args.size() == 1 ? 0 : 2;
  }
  if (std::find(args.begin(), std::find(args.begin(), args.end(), "--"), "--fleet") != args.end()) {
    std::string why;
    const int status = RunFleet(args, std::cout, std::cerr, why);
    return status == 2 && !why.empty() ? Usage(why) : status;
  }
  std::string requirePath;
  for (int option = 0; option < 2 && !args.empty(); ++option) {
    if (args[0] == "--require") {
      if (args.size() < 2 || !requirePath.empty()) return Usage("--require takes one requirements file");
      requirePath = args[1];
      args.erase(args.begin(), args.begin() + 2);
    } else if (mode == "summary" && (args[0] == "--json" || args[0] == "--html" || args[0] == "--diff")) {
      mode = args[0].substr(2);
      args.erase(args.begin());
    }
  }
  if (!args.empty() && args[0] == "--") args.erase(args.begin());
  for (const std::string& arg : args) {
    if (arg.size() > 1 && arg[0] == '-') return Usage("unknown option " + arg);
  }
  if (args.empty()) return Usage("no report given");
  if (mode == "diff" && args.size() != 2) return Usage("--diff compares two reports");
  if (mode == "html" && args.size() != 1) return Usage("--html takes one report");
  if (mode == "diff" && !requirePath.empty()) return Usage("--require does not go with --diff");
  Requirements requirements;
  if (!requirePath.empty()) {
    RequirementsError error;
    if (!ReadRequirementsFile(requirePath, requirements, error)) {
      std::cerr << "vexaEnvReader: " << FormatRequirementsError(requirePath, error) << "\n";
      return 2;
    }
  }
  bool unreadable = false, below = false, cannotTell = false;

  const PciLookup lookUp = platform::LookUpPciNames;
  bool whole = true;
  std::vector<EnvReport> reports;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& path = args[i];
    EnvReport report;
    if (!Load(path, report)) {
      whole = false;
      unreadable = true;
      continue;
    }
    whole = whole && report.Whole();
    Evaluation evaluation;
    if (!requirePath.empty()) {
      evaluation = Evaluate(report, requirements);
      below = below || evaluation.verdict == Verdict::kBelowMinimum;
      cannotTell = cannotTell || evaluation.verdict == Verdict::kCannotTell;
    }
    if (mode == "summary") {
      if (i > 0) std::cout << "\n";
      std::cout << FormatSummary(path, report, Summarize(report, lookUp));
      if (!requirePath.empty()) std::cout << "\n" << FormatEvaluation(requirements, evaluation);
    } else if (mode == "json") {
      std::string line = ReportToJson(path, report, Summarize(report, lookUp));
      if (!requirePath.empty()) {
        line = AddEvaluationToJson(line, EvaluationToJson(requirePath, requirements, evaluation));
      }
      std::cout << line << "\n";
    } else if (mode == "html") {
      std::string page = ReportToHtml(path, report, Summarize(report, lookUp));
      if (!requirePath.empty()) {
        page = AddEvaluationToHtml(page, EvaluationToHtml(requirePath, requirements, evaluation));
      }
      std::cout << page;
    }
    reports.push_back(std::move(report));
  }
  if (mode == "diff" && reports.size() == 2) std::cout << DiffReports(args[0], reports[0], args[1], reports[1]);
  std::cout.flush();
  if (!std::cout) return 1;
  if (!requirePath.empty()) return unreadable ? 1 : below ? 3 : cannotTell ? 4 : 0;
  return whole ? 0 : 1;
}

}  // namespace

// Whatever goes wrong (memory, a stream), the desk gets a line and status 1,
// not an abort.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& failure) {
    std::cerr << "vexaEnvReader: " << failure.what() << "\n";
  } catch (...) {
    std::cerr << "vexaEnvReader: an unexpected failure\n";
  }
  return 1;
}
