// A repair is made only where a damaged line can have come from one original
// line alone: the writers never end a line with a blank outside the
// identifier's texts, never write two empty lines in a row and indent flag
// lines with one tab, and a mail program wraps only where the next word does
// not fit in 76 columns.
#include "reader/vexaMailRepair.h"

#include <cstring>

#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaEnvReader {
namespace {

const std::size_t kMailColumns = 76;
const std::size_t kNarrowMailColumns = 72;
// An identifier text of up to 511 characters wrapped at the mail width.
const std::size_t kMostWrappedLines = 16;
// Shorter lines followed by text at the first column are taken as written.
const std::size_t kShortestWrappedLine = 60;

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (IsBlankChar(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool IsDashLine(std::string_view line) {
  line = TrimBlanks(line);
  return line.size() >= 3 && line.find_first_not_of('-') == std::string_view::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The column after "label: " of an entry line, as the diagnostic text's rule
// finds it; npos for a line that is no entry.
std::size_t ValueColumn(std::string_view line) {
  std::size_t p = 0;
  while (p < line.size() && IsBlankChar(line[p])) ++p;
  const std::size_t labelStart = p;
  for (; p < line.size(); ++p) {
    if (line[p] != ':' || (p + 1 < line.size() && line[p + 1] != ' ')) continue;
    return p > labelStart && p - labelStart <= 64 ? p + 2 : std::string_view::npos;
  }
  return std::string_view::npos;
}

std::size_t FirstWordSize(std::string_view line) {
  std::size_t n = 0;
  while (n < line.size() && !IsBlankChar(line[n])) ++n;
  return n;
}

enum class Wrap { kNone, kJoin, kJoinWithBlank, kCut };

// How `next` continues `line` if a mail program wrapped it (at 76 columns,
// or at the 72 some programs use): a blank kept at the end of the line, or
// one the wrap took, shown by the next word not fitting. A line of the full
// width without a blank may have lost one or been cut inside a word, and a
// long line that fits neither width was cut some other way: nobody can tell
// what it held.
Wrap WrapOf(std::string_view line, std::string_view next) {
  if (line.size() > kMailColumns || next.empty() || IsBlankChar(next[0])) return Wrap::kNone;
  if (IsBlankChar(line.back())) return Wrap::kJoin;
  for (const std::size_t width : {kNarrowMailColumns, kMailColumns}) {
    if (line.size() < width && line.size() + 1 + FirstWordSize(next) > width) return Wrap::kJoinWithBlank;
  }
  return line.size() >= kShortestWrappedLine ? Wrap::kCut : Wrap::kNone;
}

bool IsFlagGroupStart(std::string_view line) {
  using vexaSDK::DX8::kCapsFields;
  if (line.size() < 3 || line.compare(line.size() - 2, 2, " {") != 0) return false;
  const std::string_view label = line.substr(0, line.size() - 2);
  for (const auto& field : kCapsFields) {
    if (field.kind == vexaSDK::DX8::CapsFieldKind::kFlags && label == field.label) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> MailRepairNames(unsigned repairs) {
  static const char* const kNames[] = {"quoted-printable", "line ends changed",       "trailing blanks",
                                       "blank lines",      "tabs turned into spaces", "wrapped lines"};
  std::vector<std::string> names;
  for (unsigned bit = 0; bit < sizeof kNames / sizeof kNames[0]; ++bit) {
    if (repairs & (1u << bit)) names.push_back(kNames[bit]);
  }
  return names;
}

namespace internal {

bool DecodeQuotedPrintable(std::string_view bytes, std::string& decoded, std::vector<std::size_t>& origin) {
  // A wrapped line may end in an "=" of the text; an encoder's soft breaks
  // fill the line but for an escape that would not fit.
  bool escaped = false, shortSoftBreak = false, softBreak = false;
  if (std::memchr(bytes.data(), '=', bytes.size()) == nullptr) return false;
  std::size_t column = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80 || c == 0) return false;
    if (c == '\n') {
      column = 0;
      continue;
    }
    if (c != '\r' && ++column > kMailColumns) return false;
    if (c != '=') continue;
    std::size_t end = i + 1;
    while (end < bytes.size() && IsBlankChar(bytes[end])) ++end;
    const bool soft = end == bytes.size() || bytes[end] == '\n' ||
                      (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n');
    if (!soft && !(i + 2 < bytes.size() && HexDigit(bytes[i + 1]) >= 0 && HexDigit(bytes[i + 2]) >= 0))
      return false;
    // An encoder escapes only what it must: "=", control characters, bytes
    // past ASCII, and a blank at the end of a line.
    if (!soft) {
      const int value = HexDigit(bytes[i + 1]) * 16 + HexDigit(bytes[i + 2]);
      const std::size_t after = i + 3;
      const bool atEnd = after == bytes.size() || bytes[after] == '\r' || bytes[after] == '\n' ||
                         (bytes[after] == '=' && (after + 1 == bytes.size() || bytes[after + 1] == '\r' ||
                                                  bytes[after + 1] == '\n'));
      const bool blank = value == ' ' || value == '\t';
      const bool lineEnd = value == '\r' || value == '\n';  // a text's line ends stay line ends
      if (!(value == '=' || value >= 0x80 || (value < 0x20 && !blank && !lineEnd) || value == 0x7F ||
            (blank && atEnd))) {
        return false;
      }
    }
    escaped = escaped || !soft;
    softBreak = softBreak || soft;
    shortSoftBreak = shortSoftBreak || (soft && column + 3 <= kMailColumns);
  }
  if (!escaped && (!softBreak || shortSoftBreak)) return false;

  decoded.clear();
  decoded.reserve(bytes.size());
  origin.clear();
  std::size_t line = 0;
  bool lineOpen = false;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t newline = bytes.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline;
    std::string_view text = bytes.substr(start, end - start);
    const bool crlf = !text.empty() && text.back() == '\r';
    // Blanks at the end of an encoded line were added in transit.
    text = TrimBlanks(text);
    if (!lineOpen) origin.push_back(line);
    lineOpen = true;
    bool soft = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (text[k] != '=') {
        decoded += text[k];
      } else if (k + 1 == text.size()) {
        soft = true;
      } else {
        decoded += static_cast<char>(HexDigit(text[k + 1]) * 16 + HexDigit(text[k + 2]));
        k += 2;
      }
    }
    if (!soft && newline != std::string_view::npos) {
      decoded += crlf ? "\r\n" : "\n";
      lineOpen = false;
    }
    ++line;
    start = end + 1;
  }
  return true;
}

bool LineEndsChanged(std::string_view text) {
  const std::size_t newline = text.find('\n');
  if (newline == std::string_view::npos) return text.find('\r') != std::string_view::npos;
  for (std::size_t at = newline; at != std::string_view::npos; at = text.find('\n', at + 1)) {
    if (at == 0 || text[at - 1] != '\r' || (at >= 2 && text[at - 2] == '\r')) return true;
  }
  return false;
}

RepairedLines RejoinDiagnosticLines(const std::vector<std::string_view>& lines, unsigned& repairs) {
  RepairedLines out;
  out.lines.reserve(lines.size());
  out.origin.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out.lines.push_back(lines[i]);
    out.origin.push_back(i);
    // Only a value can have been wrapped: a label alone heads lines of its own.
    const std::size_t column = ValueColumn(lines[i]);
    if (column == std::string_view::npos || TrimBlanks(lines[i]).size() <= column) continue;
    std::string* joined = nullptr;
    for (std::string_view last = lines[i]; i + 1 < lines.size(); last = lines[++i]) {
      const std::string_view next = lines[i + 1];
      // A title stands between dash lines; an entry aligned with this one is
      // an entry of its own.
      if (IsDashLine(next) || (i + 2 < lines.size() && IsDashLine(lines[i + 2])) ||
          ValueColumn(next) == column)
        break;
      const Wrap wrap = WrapOf(last, next);
      if (wrap == Wrap::kCut) out.cut.push_back(out.lines.size() - 1);
      if (wrap != Wrap::kJoin && wrap != Wrap::kJoinWithBlank) break;
      if (joined == nullptr) joined = &out.store.emplace_back(out.lines.back());
      if (wrap == Wrap::kJoinWithBlank) *joined += ' ';
      joined->append(TrimBlanks(next).data(), TrimBlanks(next).size());
    }
    if (joined != nullptr) {
      out.lines.back() = *joined;
      repairs |= kWrappedLinesRepair;
    }
  }
  return out;
}

RepairedLines RepairDeviceInfoLines(const std::vector<std::string_view>& lines, std::size_t first,
                                    unsigned& repairs) {
  RepairedLines out;
  out.lines.reserve(lines.size());
  out.origin.reserve(lines.size());
  for (std::size_t i = 0; i < first && i < lines.size(); ++i) {
    out.lines.push_back(lines[i]);
    out.origin.push_back(i);
  }
  std::size_t lastNonBlank = lines.size();
  while (lastNonBlank > first && TrimBlanks(lines[lastNonBlank - 1]).empty()) --lastNonBlank;
  // A blank after every other line of the section was added in transit, so
  // the one after an identifier's text was too.
  std::size_t withBlank = 0, without = 0;
  for (std::size_t i = first; i < lastNonBlank; ++i) {
    const std::string_view line = lines[i];
    if (line.empty() || StartsWith(line, "Device:") || StartsWith(line, "Driver:")) continue;
    ++(IsBlankChar(line.back()) ? withBlank : without);
  }
  const bool everyLine = without == 0 && withBlank >= 8;
  bool inFlags = false;
  for (std::size_t i = first; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    // Most lines are as written: kept without a look at what they might be.
    if (!line.empty() && !IsBlankChar(line.back()) && line.back() != '{' && line[0] != 'D' &&
        (!inFlags || line[0] == '\t')) {
      out.lines.push_back(line);
      out.origin.push_back(i);
      continue;
    }
    if (everyLine && (StartsWith(line, "Device:") || StartsWith(line, "Driver:")) &&
        IsBlankChar(line.back())) {
      line.remove_suffix(1);
    }
    const auto keep = [&](std::string_view text) {
      out.lines.push_back(text);
      out.origin.push_back(i);
    };
    // The identifier's texts keep their blanks; only one that lost the
    // blank after its label, or that a wrap cut before the next label, is mended.
    const bool device = StartsWith(line, "Device:"), driver = StartsWith(line, "Driver:");
    if (device || driver) {
      inFlags = false;
      const std::string_view label = device ? "Device: " : "Driver: ";
      const std::string_view nextLabel = device ? "Driver:" : "Version:";
      if (line.size() == label.size() - 1) {
        repairs |= kTrailingBlanksRepair;
        keep(label);
      } else if (!StartsWith(line, label)) {
        keep(line);
        continue;
      } else if (i + 1 < lines.size() && !StartsWith(lines[i + 1], nextLabel)) {
        // A long text may have been wrapped more than once: it is joined only
        // where every break is a wrap and the label that must follow comes
        // next; a wrap that leads anywhere else cut the text.
        std::size_t end = i + 1;
        while (end < lines.size() && end - i <= kMostWrappedLines && !StartsWith(lines[end], nextLabel))
          ++end;
        const bool labelFollows = end < lines.size() && StartsWith(lines[end], nextLabel);
        std::string joined(line);
        Wrap wrap = Wrap::kNone;
        std::size_t k = i + 1;
        for (; k < end; ++k) {
          wrap = WrapOf(k == i + 1 ? line : lines[k - 1], lines[k]);
          if (wrap != Wrap::kJoin && wrap != Wrap::kJoinWithBlank) break;
          if (wrap == Wrap::kJoinWithBlank) joined += ' ';
          const std::string_view part = k + 1 == end ? TrimBlanks(lines[k]) : lines[k];
          joined.append(part.data(), part.size());
        }
        if (labelFollows && k == end) {
          repairs |= kWrappedLinesRepair;
          keep(out.store.emplace_back(std::move(joined)));
          i = end - 1;
        } else {
          if (wrap == Wrap::kCut || k > i + 1) out.cut.push_back(out.lines.size());
          keep(line);
        }
      } else {
        keep(line);
      }
      continue;
    }
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.size() != line.size() && i < lastNonBlank) {
      repairs |= trimmed.empty() ? kBlankLinesRepair : kTrailingBlanksRepair;
    }
    line = trimmed;
    if (line.empty()) {
      inFlags = false;
      // The writers never write two empty lines in a row; a mail client's
      // blank lines at the end are no damage.
      if (i < lastNonBlank && !out.lines.empty() && out.lines.size() > first && out.lines.back().empty()) {
        repairs |= kBlankLinesRepair;
        continue;
      }
      keep(line);
      continue;
    }
    if (inFlags && line[0] == ' ') {
      std::size_t indent = 0;
      while (indent < line.size() && IsBlankChar(line[indent])) ++indent;
      if (line.substr(indent) != "}") {
        std::string& flag = out.store.emplace_back("\t");
        flag.append(line.data() + indent, line.size() - indent);
        repairs |= kTabsRepair;
        keep(flag);
        continue;
      }
    }
    if (inFlags && line[0] != '\t') inFlags = false;
    if (IsFlagGroupStart(line)) inFlags = true;
    keep(line);
  }
  return out;
}

}  // namespace internal
}  // namespace vexaEnvReader
