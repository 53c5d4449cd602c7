// One self-contained web page of a report: no script, no network, nothing
// beside it. The summary and notes on top, every section below as a block
// that opens and closes (<details>), the capability flags as a table of the
// names set and unset.
#pragma once

#include <string>

#include "reader/vexaReportParser.h"
#include "reader/vexaReportSummary.h"

namespace vexaEnvReader {

// A text of a report for a page, inside an element or a quoted attribute:
// markup characters as entities, a line end as <br>, other control
// characters as '?'.
std::string HtmlText(const std::string& text);

std::string ReportToHtml(const std::string& name, const EnvReport& report, const Summary& summary);

}  // namespace vexaEnvReader
