// The fleet as one self-contained page: a table per category with each
// share drawn as a bar of inline SVG. No script, nothing from the network,
// every text from a report escaped.
#include <cstdio>
#include <string>

#include "reader/vexaFleet.h"
#include "reader/vexaReportHtml.h"

namespace vexaEnvReader {
namespace {

const char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222;max-width:60em}"
    "h1{font-size:1.4em}h2{font-size:1.15em;margin-top:1.2em}"
    "table{border-collapse:collapse;margin:.3em 0}td,th{border-bottom:1px solid #ddd;padding:.15em .5em;"
    "text-align:left}td:first-child{min-width:20em}td.n,th.n{text-align:right}svg{display:block}.more{color:#"
    "666}";

std::string Percent(std::size_t part, std::size_t whole) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f%%",
                whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

// A bar 200 wide for the whole fleet; the part not read, if any, in grey after
// it. Machines left out are red, the others blue.
std::string Bar(const FleetRow& row, std::size_t machines, const char* colour) {
  const auto width = [&](std::size_t part) {
    return machines == 0
               ? 0
               : static_cast<int>(200.0 * static_cast<double>(part) / static_cast<double>(machines) + 0.5);
  };
  const int has = width(row.machines), unknown = width(row.notRead);
  std::string svg =
      "<svg width=\"202\" height=\"14\" role=\"img\"><rect x=\"0\" y=\"1\" width=\"202\" height=\"12\" "
      "fill=\"#eee\"/><rect x=\"1\" y=\"2\" width=\"" +
      std::to_string(has) + "\" height=\"10\" fill=\"" + colour + "\"/>";
  if (unknown != 0) {
    svg += "<rect x=\"" + std::to_string(1 + has) + "\" y=\"2\" width=\"" + std::to_string(unknown) +
           "\" height=\"10\" fill=\"#bbb\"/>";
  }
  return svg + "</svg>";
}

}  // namespace

std::string FleetToHtml(const FleetResult& result, std::size_t leading) {
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src "
      "'unsafe-inline'\">"
      "<title>Fleet of " +
      std::to_string(result.machines) + " machines</title><style>" + kStyle + "</style></head><body>\n";
  out += "<h1>Fleet</h1>\n<p>" + std::to_string(result.machines) + " machines from " +
         std::to_string(result.reports) + " reports" +
         (result.unreadable != 0 ? ", " + std::to_string(result.unreadable) + " not readable" : "") + ". " +
         HtmlText(kFleetIdentity) + "</p>\n";
  for (const FleetTable& table : result.tables) {
    const bool notRead = table.category == kCapabilityCategory || table.category == kLeftOutCategory;
    out += "<h2>" + HtmlText(FleetCategoryTitle(table.category)) +
           "</h2>\n<table><tr><th></th><th class=\"n\">Machines</th><th class=\"n\">Share</th>" +
           (notRead ? "<th class=\"n\">Not read</th>" : "") + "<th></th></tr>\n";
    std::size_t shown = 0;
    const bool capped = table.category == kAdapterCategory || table.category == kDriverCategory ||
                        table.category == kWindowsCategory || table.category == kDisplayModeCategory;
    for (const FleetRow& row : table.rows) {
      if (leading != 0 && capped && shown == leading) {
        out += "<tr class=\"more\"><td colspan=\"4\">and " + std::to_string(table.rows.size() - shown) +
               " more</td></tr>\n";
        break;
      }
      ++shown;
      out += "<tr><td>" + HtmlText(row.value) + "</td><td class=\"n\">" + std::to_string(row.machines) +
             "</td><td class=\"n\">" + Percent(row.machines, result.machines) + "</td>" +
             (notRead ? "<td class=\"n\">" + std::to_string(row.notRead) + "</td>" : "") + "<td>" +
             Bar(row, result.machines,
                 table.category == kLeftOutCategory || row.value == "below the minimum" ? "#c0392b"
                                                                                        : "#2a6fb0") +
             "</td></tr>\n";
    }
    out += "</table>\n";
  }
  return out + "</body></html>\n";
}

}  // namespace vexaEnvReader
