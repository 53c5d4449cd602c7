// Everything read from a report as one JSON object on one line, so that many
// reports make JSON Lines for the desk's own database (docs/reader-json.md).
#pragma once

#include <functional>
#include <string>

#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"

namespace vexaEnvReader {

// One line without its line end.
std::string ReportToJson(const std::string& name, const EnvReport& report, const Summary& summary);

// The same line in pieces as they are made, for a report too large to hold
// its JSON in memory twice.
using JsonSink = std::function<void(const std::string&)>;
void WriteReportJson(const std::string& name, const EnvReport& report, const Summary& summary,
                     const JsonSink& write);

}  // namespace vexaEnvReader
