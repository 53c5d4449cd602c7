// Undoing what mail does to a report pasted into a message body: a body left
// in quoted-printable, changed line ends, trailing blanks, blank lines, tabs
// turned into spaces and lines wrapped at 76 columns. Each repair is made only
// where the writers' grammar leaves no doubt; what stays in doubt is left for
// the parser to name as a problem.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace vexaEnvReader {

// A bit per kind of repair, in the order the names are listed.
enum MailRepair : unsigned {
  kQuotedPrintableRepair = 1u << 0,
  kLineEndsRepair = 1u << 1,
  kTrailingBlanksRepair = 1u << 2,
  kBlankLinesRepair = 1u << 3,
  kTabsRepair = 1u << 4,
  kWrappedLinesRepair = 1u << 5,
};

// "quoted-printable", "line ends changed", ...
std::vector<std::string> MailRepairNames(unsigned repairs);

namespace internal {

// Lines as read after repairs; the changed ones live in `store`. `origin[i]`
// is the index, in the lines before the repair, of the first line that line
// i was made from.
struct RepairedLines {
  std::vector<std::string_view> lines;
  std::vector<std::size_t> origin;
  std::deque<std::string> store;
  std::vector<std::size_t> cut;  // lines (indexes) whose text a wrap cut where a rejoin is not certain
};

// The body decoded when it is certainly quoted-printable: nothing but ASCII,
// no line over 76 columns, every "=" an escape of two upper-case hexadecimal
// digits or a soft line break, and either an escape among them or soft
// breaks only on lines filled to within an escape of 76 columns. `origin`
// gets, per decoded line, the index of the received line it starts on.
bool DecodeQuotedPrintable(std::string_view bytes, std::string& decoded, std::vector<std::size_t>& origin);

// Line ends other than the CR LF the tool writes (LF, CR CR LF, CR alone).
bool LineEndsChanged(std::string_view text);

// The diagnostic text's lines with those a mail program wrapped joined
// again: a line that starts at the first column, is no entry aligned with
// the one above and whose first word would not have fitted after it.
RepairedLines RejoinDiagnosticLines(const std::vector<std::string_view>& lines, unsigned& repairs);

// The "DeviceInfo" section's lines, from `first` on: trailing blanks taken
// off (not from the identifier's texts, which may end in one), blank-only
// lines emptied, runs of empty lines (the writers never write two) made one,
// flag lines indented with blanks given their tab back, and an identifier
// text wrapped before the line that must follow it joined again.
RepairedLines RepairDeviceInfoLines(const std::vector<std::string_view>& lines, std::size_t first,
                                    unsigned& repairs);

}  // namespace internal
}  // namespace vexaEnvReader
