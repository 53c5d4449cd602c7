// vexaEnvReader: the support desk's reader of envInfo.txt. A console program
// on both platforms; its output is UTF-8 whatever the report's encoding
// (wide characters on a Windows console).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/ReadFile.h"
#include "reader/vexaFleet.h"
#include "reader/vexaReportDiff.h"
#include "reader/vexaReportHtml.h"
#include "reader/vexaReportJson.h"
#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"
#include "reader/vexaRequirements.h"
#include "reader/vexaTerminalText.h"

namespace {

using namespace vexaEnvReader;

const char kUsage[] =
    "Usage: vexaEnvReader [OPTION]... REPORT...          a summary of each report\n"
    "       vexaEnvReader --json [OPTION]... REPORT...   everything read, one JSON line per report\n"
    "       vexaEnvReader --html [OPTION]... REPORT      one self-contained web page\n"
    "       vexaEnvReader --diff [OPTION]... A B         what differs between two reports\n"
    "       vexaEnvReader --require FILE [--json | --html] [OPTION]... REPORT...\n"
    "                                        each report weighed against a game's\n"
    "                                        requirements file (TOML)\n"
    "       vexaEnvReader --fleet [--json | --csv | --html] [--require FILE] REPORT...\n"
    "                                        shares of machines over many reports\n"
    "                                        (and --json files)\n"
    "       vexaEnvReader --help | --version\n"
    "Options: --encoding NAME  read the reports in NAME (cp1252, shift_jis, utf-8, utf-16...)\n"
    "                          rather than the detected encoding\n"
    "         --max-size N     refuse a report longer than N bytes (suffix K, M or G; 64M)\n"
    "         --               what follows is a report, even when it begins with '-'\n"
    "Exit status: 0 when every report was read whole, 1 when one was read with\n"
    "problems or could not be read, 2 on a usage error.\n"
    "With --require: 0 when every report meets the minimum, 3 when one is below\n"
    "the minimum, else 4 when for one it cannot tell (a part the verdict needs\n"
    "was not read), 1 when a report could not be read at all, 2 on a usage error\n"
    "or a requirements file refused. --fleet keeps 0, 1 and 2, with --require too.\n";

// A failed write to standard output ends the run: status 1 and one line on
// standard error (which may fail too: nothing else is left to say it).
struct OutputFailed {};

void Out(const std::string& text) {
  if (!platform::WriteStandard(false, text)) throw OutputFailed();
}

void Err(const std::string& text) { platform::WriteStandard(true, text); }

int Usage(const std::string& why) {
  Err("vexaEnvReader: " + TerminalText(why) + "\n" + kUsage);
  return 2;
}

// "65536", "64K", "64M", "1G" (powers of 1024); false for anything else.
bool ParseSize(const std::string& text, std::size_t& size) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > 12 || text.size() - digits > 1) return false;
  unsigned long long value = std::stoull(text.substr(0, digits));
  if (digits < text.size()) {
    const char suffix = text[digits];
    const int shift = suffix == 'K' || suffix == 'k'   ? 10
                      : suffix == 'M' || suffix == 'm' ? 20
                      : suffix == 'G' || suffix == 'g' ? 30
                                                       : -1;
    if (shift < 0 || value > (~0ull >> shift)) return false;
    value <<= shift;
  }
  if (value == 0 || value > static_cast<unsigned long long>(static_cast<std::size_t>(-1) / 2)) return false;
  size = static_cast<std::size_t>(value);
  return true;
}

std::string SizeText(std::size_t size) {
  for (const auto& [shift, unit] : {std::pair<int, const char*>{30, " GiB"}, {20, " MiB"}, {10, " KiB"}}) {
    if (size % (std::size_t{1} << shift) == 0) return std::to_string(size >> shift) + unit;
  }
  return std::to_string(size) + " bytes";
}

struct Options {
  std::string mode = "summary";
  bool fleet = false;
  std::optional<GivenEncoding> encoding;
  std::size_t maxSize = 64u << 20;
  std::string requirePath;
  std::vector<std::string> reports;
};

// False (with a line on standard error) when the file cannot be read.
bool Load(const std::string& path, const Options& options, EnvReport& report) {
  const std::string shown = platform::PathToUtf8(path);
  std::string bytes;
  const platform::ReadResult read = platform::ReadFileLimited(path.c_str(), options.maxSize, bytes);
  if (read == platform::ReadResult::kTooLarge) {
    Err("vexaEnvReader: " + TerminalText(shown) + " is larger than " + SizeText(options.maxSize) +
        " (--max-size changes the limit)\n");
    return false;
  }
  if (read != platform::ReadResult::kRead) {
    Err("vexaEnvReader: cannot read " + TerminalText(shown) + "\n");
    return false;
  }
  report = ReadReport(bytes, options.encoding ? &*options.encoding : nullptr);
  if (report.problem) {
    Err("vexaEnvReader: " + TerminalText(shown) + ":" + std::to_string(report.problem->line) + ": " +
        TerminalText(report.problem->message) + "\n");
  }
  // Every record was recovered, so the status stays 0; the desk still learns
  // the file is not as the tool wrote it.
  if (report.repairs != 0) {
    Err("vexaEnvReader: " + TerminalText(shown) + ": repaired in transit: " + RepairText(report.repairs) +
        "\n");
  }
  return true;
}

// Options may stand anywhere before "--"; one mode at most.
int ParseArguments(const std::vector<std::string>& args, Options& options) {
  bool modeGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      options.reports.insert(options.reports.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                             args.end());
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      options.reports.push_back(arg);
    } else if (arg == "--fleet") {
      options.fleet = true;
    } else if (arg == "--json" || arg == "--html" || arg == "--diff" || arg == "--csv") {
      if (modeGiven) return Usage("one of --json, --html, --csv and --diff at most");
      modeGiven = true;
      options.mode = arg.substr(2);
    } else if (arg == "--encoding" || arg == "--max-size" || arg == "--require") {
      if (i + 1 == args.size()) return Usage(arg + " needs a value");
      const std::string& value = args[++i];
      GivenEncoding given;
      if (arg == "--require") {
        if (!options.requirePath.empty()) return Usage("--require takes one requirements file");
        options.requirePath = value;
      } else if (arg == "--encoding") {
        if (!ParseEncodingName(value, given)) return Usage("unknown encoding " + value);
        options.encoding = given;
      } else if (!ParseSize(value, options.maxSize)) {
        return Usage("not a size: " + value);
      }
    } else {
      return Usage("unknown option " + arg);
    }
  }
  if (options.reports.empty()) return Usage("no report given");
  if (options.fleet) {
    if (options.mode == "diff") return Usage("--fleet takes one of --json, --csv and --html");
    return 0;
  }
  if (options.mode == "csv") return Usage("--csv goes with --fleet");
  if (options.mode == "diff" && options.reports.size() != 2) return Usage("--diff compares two reports");
  if (options.mode == "html" && options.reports.size() != 1) return Usage("--html takes one report");
  if (options.mode == "diff" && !options.requirePath.empty())
    return Usage("--require does not go with --diff");
  return 0;
}

int RunFleetOf(const Options& options) {
  FleetRun run;
  run.output = options.mode == "summary" ? "" : options.mode;
  run.requirePath = options.requirePath;
  run.encoding = options.encoding ? &*options.encoding : nullptr;
  run.maxSize = options.maxSize;
  run.maxSizeText = SizeText(options.maxSize);
  run.paths = options.reports;
  const int status = RunFleet(run, Out, Err);
  if (!platform::FlushStandardOutput()) throw OutputFailed();
  return status;
}

// One report in the view asked for, with its verdict when there is one.
void WriteReport(const Options& options, const std::string& shown, const EnvReport& report,
                 const Requirements* requirements, const Evaluation& evaluation, bool first) {
  const Summary summary = Summarize(report, platform::LookUpPciNames);
  if (options.mode == "summary") {
    Out((first ? "" : "\n") + FormatSummary(shown, report, summary));
    if (requirements) Out("\n" + FormatEvaluation(*requirements, evaluation));
  } else if (options.mode == "json" && requirements) {
    const std::string line = ReportToJson(shown, report, summary);
    Out(AddEvaluationToJson(line, EvaluationToJson(options.requirePath, *requirements, evaluation)) + "\n");
  } else if (options.mode == "json") {
    WriteReportJson(shown, report, summary, Out);
    Out("\n");
  } else if (options.mode == "html") {
    std::string page = ReportToHtml(shown, report, summary);
    if (requirements) {
      page = AddEvaluationToHtml(page, EvaluationToHtml(options.requirePath, *requirements, evaluation));
    }
    Out(page);
  }
}

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    Out(kUsage);
    return args.size() == 1 ? 0 : 2;
  }
  if (!args.empty() && args[0] == "--version") {
    Out("vexaEnvReader " VEXA_VERSION "\n");
    return args.size() == 1 ? 0 : 2;
  }
  Options options;
  if (const int usage = ParseArguments(args, options)) return usage;
  if (options.fleet) return RunFleetOf(options);
  Requirements requirements;
  const bool require = !options.requirePath.empty();
  if (require) {
    RequirementsError error;
    if (!ReadRequirementsFile(options.requirePath, requirements, error)) {
      Err("vexaEnvReader: " + TerminalText(FormatRequirementsError(options.requirePath, error)) + "\n");
      return 2;
    }
  }

  bool whole = true, unreadable = false, below = false, cannotTell = false;
  // Each report goes once it is written out; --diff keeps its two.
  std::vector<EnvReport> kept;
  for (std::size_t i = 0; i < options.reports.size(); ++i) {
    EnvReport report;
    if (!Load(options.reports[i], options, report)) {
      whole = false;
      unreadable = true;
      continue;
    }
    whole = whole && report.Whole();
    Evaluation evaluation;
    if (require) {
      evaluation = Evaluate(report, requirements);
      below = below || evaluation.verdict == Verdict::kBelowMinimum;
      cannotTell = cannotTell || evaluation.verdict == Verdict::kCannotTell;
    }
    if (options.mode == "diff") {
      kept.push_back(std::move(report));
    } else {
      WriteReport(options, platform::PathToUtf8(options.reports[i]), report,
                  require ? &requirements : nullptr, evaluation, i == 0);
    }
  }
  if (kept.size() == 2) {
    Out(DiffReports(platform::PathToUtf8(options.reports[0]), kept[0],
                    platform::PathToUtf8(options.reports[1]), kept[1]));
  }
  if (!platform::FlushStandardOutput()) throw OutputFailed();
  if (require) return unreadable ? 1 : below ? 3 : cannotTell ? 4 : 0;
  return whole ? 0 : 1;
}

}  // namespace

// Whatever goes wrong (memory, a stream), the desk gets a line and status 1,
// not an abort.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const OutputFailed&) {
    const int error = errno;
    Err(std::string("vexaEnvReader: cannot write the output") +
        (error != 0 ? ": " + std::string(std::strerror(error)) : "") + "\n");
  } catch (const std::exception& failure) {
    Err(std::string("vexaEnvReader: ") + failure.what() + "\n");
  } catch (...) {
    Err("vexaEnvReader: an unexpected failure\n");
  }
  return 1;
}
