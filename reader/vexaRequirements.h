// A game's needs as its support desk writes them (a TOML file with
// [minimum] and [recommended] tables and [[bad_driver]] entries), and one
// report weighed against them: a verdict, and per requirement what the
// machine has and the report line that shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reader/vexaReportParser.h"

namespace vexaEnvReader {

enum class RequirementLevel { kMinimum, kRecommended };

enum class RequirementKind {
  kWindows,             // number: the version packed by PackWindowsVersion
  kMemory,              // number: MB
  kDisplayMemory,       // number: MB
  kDriverDate,          // number: yyyymmdd
  kHardwareDevice,      // no figure
  kVertexShader,        // number: major << 8 | minor
  kPixelShader,         // number: major << 8 | minor
  kTextureFormat,       // value: a D3DFORMAT
  kDepthStencilFormat,  // value: a D3DFORMAT
  kMultiSampleType,     // value: a D3DMULTISAMPLE_TYPE
  kMaxTextureSize,      // number: texels, width and height both
  kCapsFlag,            // capsField, value: the flag's bits
  kDisplayMode,         // mode
  kWhqlLevel,           // number: at least this level
};

struct ModeRequirement {
  unsigned long width = 0, height = 0;
  unsigned long format = 0;   // a D3DFORMAT
  unsigned long refresh = 0;  // Hz, at least; 0 for any rate
};

// One thing a level asks for; a list in the file (formats, flags) gives one
// requirement per name, so each can fail on its own.
struct Requirement {
  RequirementLevel level = RequirementLevel::kMinimum;
  RequirementKind kind = RequirementKind::kMemory;
  std::string id;                    // the key as the file names it: "minimum.texture_formats.D3DFMT_DXT5"
  std::string text;                  // for people: "texture format D3DFMT_DXT5"
  std::size_t line = 0, column = 0;  // where the file sets it
  std::uint64_t number = 0;
  unsigned long value = 0;
  std::size_t capsField = 0;  // an index into the capability field table
  ModeRequirement mode;
};

// A driver known to misbehave: matched on any adapter of the report.
struct BadDriver {
  unsigned long vendorId = 0;
  bool anyDevice = true;
  unsigned long deviceId = 0;
  // Driver versions packed as the identifier holds them (high << 32 | low);
  // both ends belong to the range.
  std::uint64_t fromVersion = 0, toVersion = UINT64_MAX;
  std::string message;
  std::size_t line = 0, column = 0;
};

struct Requirements {
  std::vector<Requirement> requirements;  // minimum first, then in file order
  std::vector<BadDriver> badDrivers;
};

struct RequirementsError {
  std::size_t line = 0, column = 0;  // 0 when the error has no place (an unreadable file)
  std::string message;
};

// Reads a requirements file's text. On any mistake `out` is left empty and
// `error` names the first one: nothing of a refused file is applied.
bool ParseRequirements(std::string_view text, Requirements& out, RequirementsError& error);

// The same from a file; an unreadable file is an error without a place.
bool ReadRequirementsFile(const std::string& path, Requirements& out, RequirementsError& error);

// "game.toml:3:7: unknown key \"memroy_mb\" in [minimum]".
std::string FormatRequirementsError(const std::string& path, const RequirementsError& error);

enum class Outcome { kMet, kFailed, kUnknown };

enum class Verdict { kMeetsRecommended, kMeetsMinimum, kBelowMinimum, kCannotTell };

struct RequirementResult {
  Outcome outcome = Outcome::kUnknown;
  std::string has;       // what the machine has: "128 MB", "(not in the report)"
  std::size_t line = 0;  // the report line that shows it; 0 when there is none
};

struct BadDriverMatch {
  std::size_t badDriver = 0;  // an index into Requirements::badDrivers
  std::size_t adapter = 0;    // from 0
  std::string has;            // "nv4_disp.dll 6.14.10.4403 (0x10DE, 0x0110)"
  std::size_t line = 0;       // the adapter's "Version:" line
};

struct Evaluation {
  Verdict verdict = Verdict::kCannotTell;
  // One per requirement, in the order of Requirements::requirements.
  std::vector<RequirementResult> results;
  std::vector<BadDriverMatch> badDrivers;
};

// Weighs the report's first adapter (the one a game opens by default) and
// its diagnostic text against the requirements. A failed minimum gives
// kBelowMinimum; otherwise a minimum the report could not show gives
// kCannotTell; a machine that meets the minimum and fails or cannot show a
// recommended one gives kMeetsMinimum. Known bad drivers do not change the
// verdict.
Evaluation Evaluate(const EnvReport& report, const Requirements& requirements);

// "meets recommended", "meets minimum", "below minimum", "cannot tell".
const char* VerdictText(Verdict verdict);
// "met", "failed", "unknown".
const char* OutcomeText(Outcome outcome);
const char* LevelText(RequirementLevel level);

// major << 48 | minor << 32 | build: "XP" and "Windows XP" -> 5.1 build 2600
// (a name stands for its first release), "5.1" -> 5.1 build 0.
// False for a text that names no Windows version.
bool PackWindowsVersion(std::string_view text, std::uint64_t& packed);

// The verdict and each requirement not met, with lines, as the summary shows
// them; the bad drivers named.
std::string FormatEvaluation(const Requirements& requirements, const Evaluation& evaluation);

// The "requirements" object of a report's JSON line, as one line of JSON:
// the file, the verdict, every requirement with its outcome, the bad drivers.
std::string EvaluationToJson(const std::string& file, const Requirements& requirements,
                             const Evaluation& evaluation);

// A report's JSON line (one object) with the "requirements" object added last.
std::string AddEvaluationToJson(const std::string& reportLine, const std::string& evaluationJson);

// The page's "Requirements" part: the verdict, and a table of each
// requirement not met, then the bad drivers.
std::string EvaluationToHtml(const std::string& file, const Requirements& requirements,
                             const Evaluation& evaluation);

// A report's page with that part placed above its diagnostic text.
std::string AddEvaluationToHtml(const std::string& page, const std::string& part);

}  // namespace vexaEnvReader
