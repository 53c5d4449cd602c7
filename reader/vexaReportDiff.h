// What differs between two reports, so that a failing machine can be set
// beside a working one: the machine, the adapters and their drivers, and per
// device record the capability values, the flags, formats, multisample
// types and display modes one has and the other lacks.
#pragma once

#include <string>

#include "reader/vexaReportParser.h"

namespace vexaEnvReader {

// UTF-8 text: lines of "-" for what only the first report has (or its
// value), "+" for the second; "No differences." when there are none.
std::string DiffReports(const std::string& nameA, const EnvReport& a, const std::string& nameB,
                        const EnvReport& b);

}  // namespace vexaEnvReader
