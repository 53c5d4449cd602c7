// A report's verdict against a requirements file in the reader's other views:
// the "requirements" object of its JSON line and a part of its page.
#include <nlohmann/json.hpp>

#include "reader/vexaReportHtml.h"
#include "reader/vexaRequirements.h"

namespace vexaEnvReader {
namespace {

using json = nlohmann::json;

}  // namespace

std::string EvaluationToJson(const std::string& file, const Requirements& requirements,
                             const Evaluation& evaluation) {
  json results = json::array(), bad = json::array();
  for (std::size_t i = 0; i < evaluation.results.size(); ++i) {
    const Requirement& r = requirements.requirements[i];
    const RequirementResult& result = evaluation.results[i];
    results.push_back({{"id", r.id},
                       {"level", LevelText(r.level)},
                       {"text", r.text},
                       {"outcome", OutcomeText(result.outcome)},
                       {"has", result.has},
                       {"line", result.line}});
  }
  for (const BadDriverMatch& match : evaluation.badDrivers) {
    bad.push_back({{"adapter", match.adapter + 1},
                   {"driver", match.has},
                   {"line", match.line},
                   {"message", requirements.badDrivers[match.badDriver].message}});
  }
  const json object = {{"file", file},
                       {"verdict", VerdictText(evaluation.verdict)},
                       {"results", std::move(results)},
                       {"badDrivers", std::move(bad)}};
  return object.dump(-1, ' ', false, json::error_handler_t::replace);
}

// The report's line is one object whose last byte closes it.
std::string AddEvaluationToJson(const std::string& reportLine, const std::string& evaluationJson) {
  if (reportLine.empty() || reportLine.back() != '}') return reportLine;
  return reportLine.substr(0, reportLine.size() - 1) + ",\"requirements\":" + evaluationJson + "}";
}

std::string EvaluationToHtml(const std::string& file, const Requirements& requirements,
                             const Evaluation& evaluation) {
  std::string out = "<h2>Requirements</h2>\n<p>" + HtmlText(file) + ": <strong>" +
                    VerdictText(evaluation.verdict) + "</strong></p>\n";
  std::string rows;
  for (std::size_t i = 0; i < evaluation.results.size(); ++i) {
    const RequirementResult& result = evaluation.results[i];
    if (result.outcome == Outcome::kMet) continue;
    const Requirement& r = requirements.requirements[i];
    rows += "<tr><td class=\"" + std::string(result.outcome == Outcome::kFailed ? "problem" : "note") +
            "\">" + OutcomeText(result.outcome) + "</td><td>" + LevelText(r.level) + "</td><td>" +
            HtmlText(r.text) + "</td><td>" + HtmlText(result.has) + "</td><td>" +
            (result.line ? std::to_string(result.line) : "") + "</td></tr>\n";
  }
  for (const BadDriverMatch& match : evaluation.badDrivers) {
    rows += "<tr><td class=\"problem\">known bad driver</td><td>adapter " +
            std::to_string(match.adapter + 1) + "</td><td>" +
            HtmlText(requirements.badDrivers[match.badDriver].message) + "</td><td>" + HtmlText(match.has) +
            "</td><td>" + std::to_string(match.line) + "</td></tr>\n";
  }
  if (!rows.empty()) {
    out +=
        "<table>\n<tr><th>Outcome</th><th>Level</th><th>Requirement</th><th>The machine "
        "has</th><th>Line</th></tr>\n" +
        rows + "</table>\n";
  }
  return out;
}

// The page's own headings are the only unescaped markup in it.
std::string AddEvaluationToHtml(const std::string& page, const std::string& part) {
  std::size_t at = page.find("<h2>Diagnostic text</h2>");
  if (at == std::string::npos) at = page.rfind("</body>");
  if (at == std::string::npos) return page + part;
  return page.substr(0, at) + part + page.substr(at);
}

}  // namespace vexaEnvReader
