// The report is read in two halves. The diagnostic text has no grammar of
// ours: its layout changes with the Windows version that wrote it, so it is
// read by the rule every version keeps (a title between dash lines, labels
// right-aligned before ": ", continuations indented to the value column).
// The "DeviceInfo" section has the writers' exact grammar; it is read line by
// line in the writers' order, and the first line that does not fit ends it.
#include "reader/vexaReportParser.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/CodePage.h"
#include "reader/internal/vexaReadEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {
namespace {

using namespace std::string_view_literals;
using vexaSDK::DX8::CDisplayMode;
using vexaSDK::DX8::FormatPair;
using vexaSDK::DX8::kFormatTableCount;
using vexaSDK::DX8::kFormatTableInfo;
using vexaSDK::DX8::internal::CapsField;
using vexaSDK::DX8::internal::CapsFieldKind;
using vexaSDK::DX8::internal::kCapsFields;
using internal::CReadEnumMode;
using internal::CReadModeInfo;

const std::string_view kHeaderDashes = "--------------------"sv;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Eight bytes at a time: reports run to megabytes.
bool IsAscii(std::string_view text) {
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if (word & 0x8080808080808080ull) return false;
  }
  for (; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  }
  return true;
}

// Well-formed UTF-8 (shortest forms, no surrogates); a code page 932 text
// with Japanese in it almost never is.
bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t extra;
    unsigned long min;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, min = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    unsigned long code = c & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      code = (code << 6) | (t & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// Lines without their ends: "\n" or "\r\n". A last line without an end counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 24 + 1);
  std::size_t start = 0;
  while (start < text.size()) {
    const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
    const std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                                  : text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::size_t Indent(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && (text[n] == ' ' || text[n] == '\t')) ++n;
  return n;
}

bool IsDashLine(std::string_view line) {
  line = TrimRight(line);
  return line.size() >= 3 && line.find_first_not_of('-') == std::string_view::npos;
}

// ---------------------------------------------------------------------------
// The diagnostic text

const std::size_t kMaxLabel = 64;

// "  label: value" or "label:" with the value empty. The label is what stands
// before the first colon that a blank or the line end follows, so values may
// hold colons of their own ("12:30:05", "C:\", "(Regional Setting: ...)").
bool SplitEntry(std::string_view line, std::string_view& label, std::string_view& value, std::size_t& column) {
  const std::size_t indent = Indent(line);
  for (std::size_t p = indent; p < line.size(); ++p) {
    if (line[p] != ':') continue;
    if (p + 1 < line.size() && line[p + 1] != ' ') continue;
    label = TrimRight(line.substr(indent, p - indent));
    if (label.empty() || label.size() > kMaxLabel) return false;
    column = p + 2;
    value = p + 2 <= line.size() ? TrimRight(line.substr(p + 2)) : std::string_view();
    return true;
  }
  return false;
}

void ReadDiagnostics(std::string_view text, std::vector<DiagSection>& sections) {
  const std::vector<std::string_view> lines = SplitLines(text);
  DiagLine* last = nullptr;  // the entry that indented lines continue
  std::size_t valueColumn = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = TrimRight(lines[i]);
    if (IsDashLine(line) && i + 2 < lines.size() && !TrimRight(lines[i + 1]).empty() &&
        !IsDashLine(lines[i + 1]) && IsDashLine(lines[i + 2])) {
      DiagSection section;
      section.line = i + 2;
      const std::string_view title = TrimRight(lines[i + 1]);
      section.title = std::string(title.substr(Indent(title)));
      sections.push_back(std::move(section));
      last = nullptr;
      i += 2;
      continue;
    }
    if (line.empty()) {
      last = nullptr;
      continue;
    }
    if (sections.empty()) sections.emplace_back();
    if (last != nullptr && Indent(line) >= valueColumn) {
      last->value.append("\n").append(line.substr(Indent(line)));
      continue;
    }
    DiagLine entry;
    entry.line = i + 1;
    std::string_view label, value;
    std::size_t column = 0;
    entry.entry = SplitEntry(line, label, value, column);
    if (entry.entry) {
      entry.label = std::string(label);
      entry.value = std::string(value);
    } else {
      entry.value = std::string(line);
    }
    sections.back().lines.push_back(std::move(entry));
    last = entry.entry ? &sections.back().lines.back() : nullptr;
    valueColumn = column;
  }
}

// ---------------------------------------------------------------------------
// The "DeviceInfo" section

bool ParseUnsigned(std::string_view text, unsigned long max, unsigned long& value) {
  if (text.empty() || text.size() > 10) return false;
  unsigned long long result = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<unsigned>(c - '0');
  }
  if (result > max) return false;
  value = static_cast<unsigned long>(result);
  return true;
}

bool ParseHex(std::string_view text, std::size_t digits, unsigned long& value) {
  if (text.size() != digits) return false;
  unsigned long result = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    result = (result << 4) | static_cast<unsigned long>(digit);
  }
  value = result;
  return true;
}

bool ParseFloat(std::string_view text, float& value) {
  char buffer[48];
  if (text.empty() || text.size() >= sizeof buffer || text[0] == ' ') return false;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  errno = 0;
  value = std::strtof(buffer, &end);
  return end == buffer + text.size();
}

// "major.minor" as FormatShaderVersion writes it; the shader-kind marker it
// drops stays 0.
bool ParseShaderVersion(std::string_view text, DWORD& version) {
  const std::size_t dot = text.find('.');
  unsigned long major, minor;
  if (dot == std::string_view::npos || !ParseUnsigned(text.substr(0, dot), 255, major) ||
      !ParseUnsigned(text.substr(dot + 1), 255, minor)) {
    return false;
  }
  version = static_cast<DWORD>((major << 8) | minor);
  return true;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", without braces.
bool ParseGuid(std::string_view text, GUID& guid) {
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return false;
  unsigned long value;
  if (!ParseHex(text.substr(0, 8), 8, value)) return false;
  guid.Data1 = static_cast<DWORD>(value);
  if (!ParseHex(text.substr(9, 4), 4, value)) return false;
  guid.Data2 = static_cast<WORD>(value);
  if (!ParseHex(text.substr(14, 4), 4, value)) return false;
  guid.Data3 = static_cast<WORD>(value);
  const std::size_t starts[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) {
    if (!ParseHex(text.substr(starts[i], 2), 2, value)) return false;
    guid.Data4[i] = static_cast<BYTE>(value);
  }
  return true;
}

// "a.b.c.d", each part a 16-bit quarter of the 64-bit version, highest first.
bool ParseDriverVersion(std::string_view text, LARGE_INTEGER& version) {
  unsigned long parts[4];
  for (int i = 0; i < 4; ++i) {
    const std::size_t dot = i < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos || !ParseUnsigned(text.substr(0, dot), 0xFFFF, parts[i])) return false;
    text = i < 3 ? text.substr(dot + 1) : std::string_view();
  }
  version.HighPart = static_cast<LONG>((parts[0] << 16) | parts[1]);
  version.LowPart = static_cast<DWORD>((parts[2] << 16) | parts[3]);
  return true;
}

class CDeviceInfoParser {
 public:
  CDeviceInfoParser(const std::vector<std::string_view>& lines, std::size_t first, bool utf8, EnvReport& report,
                    CReadEnumMode& devices)
      : lines_(lines), pos_(first), utf8_(utf8), report_(report), devices_(devices) {}

  void Parse() {
    while (pos_ < lines_.size()) {
      if (Peek().empty()) {
        // A mail client's blank lines at the end, and nothing after them.
        std::size_t next = pos_;
        while (next < lines_.size() && lines_[next].empty()) ++next;
        if (next == lines_.size()) return;
        Fail("an empty line where a block should begin");
        return;
      }
      if (Peek() != "< Device Info >") {
        Fail("expected \"< Device Info >\"");
        return;
      }
      if (!ParseAdapter()) return;
    }
  }

 private:
  std::string_view Peek() const { return pos_ < lines_.size() ? lines_[pos_] : std::string_view(); }
  bool AtEnd() const { return pos_ >= lines_.size(); }

  // Only the first problem is kept; the line past the last one stands for
  // the end of the report.
  void Note(std::size_t index, std::string message) {
    if (!report_.problem) report_.problem = Problem{index + 1, std::move(message)};
  }
  bool Fail(std::string message) {
    Note(pos_, AtEnd() ? "the report ends early: " + message : std::move(message));
    return false;
  }
  bool Expect(std::string_view text) {
    if (AtEnd() || Peek() != text) return Fail("expected \"" + std::string(text) + "\"");
    ++pos_;
    return true;
  }
  // A line "label" + value; moves past it.
  bool Labelled(std::string_view label, std::string_view& value) {
    if (AtEnd() || !StartsWith(Peek(), label)) return Fail("expected \"" + std::string(TrimRight(label)) + "\"");
    value = Peek().substr(label.size());
    ++pos_;
    return true;
  }

  // The identifier block's fields keep their line, found or not.
  bool Text(std::size_t& line, std::string_view label, char (&field)[MAX_DEVICE_IDENTIFIER_STRING]) {
    line = pos_ + 1;
    std::string_view value;
    if (!Labelled(label, value)) return false;
    std::string converted;
    if (utf8_ && !IsAscii(value)) {
      converted = platform::Utf8ToCp932(value);
      value = converted;
    }
    // The writer fills the whole field when the driver left no room for a NUL.
    if (value.size() > sizeof field) {
      Note(pos_ - 1, "a text longer than its field of " + std::to_string(sizeof field) + " bytes");
      value = value.substr(0, sizeof field);
    }
    std::memcpy(field, value.data(), value.size());
    return true;
  }

  // The value on the line just read is not one its label allows.
  bool Refuse(std::string reason) {
    --pos_;
    return Fail(std::move(reason));
  }
  // A line "label" + value that `parse` takes.
  template <typename Parse>
  bool Parsed(std::size_t& line, std::string_view label, Parse parse, std::string_view refusal) {
    line = pos_ + 1;
    std::string_view text;
    if (!Labelled(label, text)) return false;
    return parse(text) || Refuse(std::string(refusal));
  }

  bool Number(std::size_t& line, std::string_view label, DWORD& value) {
    unsigned long parsed = 0;
    const auto parse = [&](std::string_view text) { return ParseUnsigned(text, 0xFFFFFFFFul, parsed); };
    if (!Parsed(line, label, parse, "not a decimal number of 32 bits")) return false;
    value = static_cast<DWORD>(parsed);
    return true;
  }

  bool HexField(std::size_t& line, std::string_view label, DWORD& value) {
    unsigned long parsed = 0;
    const auto parse = [&](std::string_view text) { return ParseHex(text, 8, parsed); };
    if (!Parsed(line, label, parse, "not 8 hexadecimal digits")) return false;
    value = static_cast<DWORD>(parsed);
    return true;
  }

  bool ParseIdentifier(D3DADAPTER_IDENTIFIER8& id, AdapterLines& at) {
    std::size_t* const line = at.fields;
    const auto version = [&](std::string_view text) { return ParseDriverVersion(text, id.DriverVersion); };
    const auto guid = [&](std::string_view text) { return ParseGuid(text, id.DeviceIdentifier); };
    return Text(line[kDeviceField], "Device: ", id.Description) &&
           Text(line[kDriverField], "Driver: ", id.Driver) &&
           Parsed(line[kVersionField], "Version: ", version, "not a driver version of four 16-bit numbers") &&
           HexField(line[kVendorIdField], "VendorId: 0x", id.VendorId) &&
           HexField(line[kDeviceIdField], "DeviceId: 0x", id.DeviceId) &&
           HexField(line[kSubSysIdField], "SubSysId: 0x", id.SubSysId) &&
           Number(line[kRevisionField], "Revision: ", id.Revision) &&
           Parsed(line[kDeviceIdentifierField], "DeviceIdentifier: ", guid, "not a GUID") &&
           Number(line[kWHQLLevelField], "WHQLLevel: ", id.WHQLLevel) && Expect("");
  }

  bool ParseAdapter() {
    AdapterLines at;
    at.block = pos_ + 1;
    ++pos_;
    D3DADAPTER_IDENTIFIER8 id = {};
    const bool whole = ParseIdentifier(id, at);
    // What was read of a broken block is kept all the same.
    devices_.Identifiers().push_back(id);
    report_.adapterLines.push_back(at);
    if (!whole) return false;
    const UINT adapter = static_cast<UINT>(devices_.Identifiers().size() - 1);
    while (!AtEnd() && StartsWith(Peek(), "***** ")) {
      if (!ParseModeInfo(adapter, id)) return false;
    }
    return true;
  }

  bool ParseModeInfo(UINT adapter, const D3DADAPTER_IDENTIFIER8& id) {
    std::string_view header = Peek();
    const std::string_view suffix = " Mode Info *****";
    header.remove_prefix(6);
    if (!EndsWith(header, suffix)) return Fail("not a mode-info header");
    header.remove_suffix(suffix.size());
    const std::size_t blank = header.rfind(' ');
    D3DDEVTYPE type;
    if (blank == std::string_view::npos || !vexaSDK::DX8::GetDevTypeByName(header.substr(0, blank), type)) {
      return Fail("not a device type name");
    }
    const std::string_view use = header.substr(blank + 1);
    if (use != "Window" && use != "FullScreen") return Fail("neither \"Window\" nor \"FullScreen\"");
    CReadModeInfo record(adapter, id, type, use == "Window" ? TRUE : FALSE);
    ModeInfoLines at;
    at.header = pos_ + 1;
    ++pos_;
    const bool whole = ParseModeInfoBody(record, at);
    devices_.Add(std::move(record));
    report_.modeInfoLines.push_back(at);
    return whole;
  }

  bool ParseModeInfoBody(CReadModeInfo& record, ModeInfoLines& at) {
    if (!Expect("")) return false;
    at.multiSamples = pos_ + 1;
    if (!Expect("< MultiSampleType Info >")) return false;
    if (!ParsePairTable(record.MultiSamples(), vexaSDK::DX8::GetMultiSampleByName, "multisample type"))
      return false;
    at.depthStencils = pos_ + 1;
    if (!Expect("< DepthStencilFormat Info >")) return false;
    if (!ParsePairTable(record.DepthStencils(), vexaSDK::DX8::GetFormatByName, "format")) return false;
    for (int kind = 0; kind < kFormatTableCount; ++kind) {
      at.formats[kind] = pos_ + 1;
      if (!Expect("< " + std::string(kFormatTableInfo[kind].label) + " >")) return false;
      if (!ParseFormatTable(record.Formats(kind))) return false;
    }
    at.caps = pos_ + 1;
    if (!ParseCaps(record.Caps(), at)) return false;
    at.displayModes = pos_ + 1;
    if (!Expect("< DisplayMode Info >")) return false;
    while (!AtEnd() && StartsWith(Peek(), " ")) {
      if (!ParseDisplayMode(record.DisplayModes())) return false;
    }
    return Expect("");
  }

  bool FormatByName(std::string_view name, D3DFORMAT& format) {
    if (vexaSDK::DX8::GetFormatByName(name, format)) return true;
    return Fail("unknown format name \"" + std::string(name) + "\"");
  }

  // Item lines of one blank and a name, up to the empty line that closes the
  // entry. A name the table does not know is left out, and reading goes on.
  template <typename Value, typename Lookup>
  bool ParseItems(std::vector<Value>& items, Lookup lookup, const char* what) {
    while (!AtEnd() && StartsWith(Peek(), " ")) {
      const std::string_view name = Peek().substr(1);
      Value value;
      if (lookup(name, value)) {
        items.push_back(value);
      } else {
        Note(pos_, "unknown " + std::string(what) + " name \"" + std::string(name) + "\"");
      }
      ++pos_;
    }
    return Expect("");
  }

  template <typename Table, typename Lookup>
  bool ParsePairTable(Table& table, Lookup lookup, const char* what) {
    while (!AtEnd() && StartsWith(Peek(), "Mode: ")) {
      const std::string_view pair = Peek().substr(6);
      const std::size_t dash = pair.find(" - ");
      D3DFORMAT display, backBuffer;
      if (dash == std::string_view::npos) return Fail("expected \"Mode: <format> - <format>\"");
      if (!FormatByName(pair.substr(0, dash), display) || !FormatByName(pair.substr(dash + 3), backBuffer)) {
        return false;
      }
      ++pos_;
      if (!ParseItems(table[FormatPair(display, backBuffer)], lookup, what)) return false;
    }
    return true;
  }

  bool ParseFormatTable(vexaSDK::DX8::FormatTable& table) {
    while (!AtEnd() && StartsWith(Peek(), "Mode: ")) {
      D3DFORMAT display;
      if (!FormatByName(Peek().substr(6), display)) return false;
      ++pos_;
      if (!ParseItems(table[display], vexaSDK::DX8::GetFormatByName, "format")) return false;
    }
    return true;
  }

  bool ParseFlags(const CapsField& field, DWORD& value) {
    value = 0;
    if (!Expect(std::string(field.label) + " {")) return false;
    while (!AtEnd() && StartsWith(Peek(), "\t")) {
      const std::string_view name = Peek().substr(1);
      std::size_t i = 0;
      while (i < field.count && name != field.table[i].name) ++i;
      if (i < field.count) {
        value |= field.table[i].flag;
      } else {
        Note(pos_, "unknown " + std::string(field.label) + " flag \"" + std::string(name) + "\"");
      }
      ++pos_;
    }
    return Expect("}");
  }

  bool ParseCaps(D3DCAPS8& caps, ModeInfoLines& at) {
    if (!Expect("< DeviceCaps >")) return false;
    for (std::size_t f = 0; f < vexaSDK::DX8::internal::kCapsFieldCount; ++f) {
      const CapsField& field = kCapsFields[f];
      at.capsFields[f] = pos_ + 1;
      char* place = reinterpret_cast<char*>(&caps) + field.offset;
      DWORD word = 0;
      if (field.kind == CapsFieldKind::kFlags) {
        if (!ParseFlags(field, word)) return false;
        std::memcpy(place, &word, sizeof word);
        continue;
      }
      std::string_view text;
      if (!Labelled(std::string(field.label) + ": ", text)) return false;
      bool good = true;
      switch (field.kind) {
        case CapsFieldKind::kDevType: {
          D3DDEVTYPE type;
          good = vexaSDK::DX8::GetDevTypeByName(text, type);
          word = static_cast<DWORD>(type);
          break;
        }
        case CapsFieldKind::kDecimal: {
          unsigned long number = 0;
          good = ParseUnsigned(text, 0xFFFFFFFFul, number);
          word = static_cast<DWORD>(number);
          break;
        }
        case CapsFieldKind::kFloat: {
          float number = 0;
          good = ParseFloat(text, number);
          std::memcpy(&word, &number, sizeof word);
          break;
        }
        case CapsFieldKind::kShaderVersion:
          good = ParseShaderVersion(text, word);
          break;
        case CapsFieldKind::kFlags:
          break;
      }
      if (!good) return Refuse("not a value of " + std::string(field.label));
      std::memcpy(place, &word, sizeof word);
    }
    return Expect("");
  }

  // " <width> x <height> (<format> - <format>) (<rate>Hz)"
  bool ParseDisplayMode(std::vector<CDisplayMode>& modes) {
    std::string_view text = Peek().substr(1);
    const std::size_t times = text.find(" x ");
    const std::size_t open = text.find(" (");
    const std::size_t dash = text.find(" - ");
    const std::size_t rate = text.find(") (");
    unsigned long width, height, refresh;
    D3DFORMAT format, backBuffer;
    if (times == std::string_view::npos || open == std::string_view::npos || dash == std::string_view::npos ||
        rate == std::string_view::npos || !(times < open && open < dash && dash < rate) ||
        !EndsWith(text, "Hz)") || !ParseUnsigned(text.substr(0, times), 0xFFFFFFFFul, width) ||
        !ParseUnsigned(text.substr(times + 3, open - times - 3), 0xFFFFFFFFul, height) ||
        !ParseUnsigned(text.substr(rate + 3, text.size() - rate - 6), 0xFFFFFFFFul, refresh)) {
      return Fail("expected \" <width> x <height> (<format> - <format>) (<rate>Hz)\"");
    }
    if (!FormatByName(text.substr(open + 2, dash - open - 2), format) ||
        !FormatByName(text.substr(dash + 3, rate - dash - 3), backBuffer)) {
      return false;
    }
    modes.emplace_back(static_cast<UINT>(width), static_cast<UINT>(height), static_cast<UINT>(refresh), format,
                       backBuffer);
    ++pos_;
    return true;
  }

  const std::vector<std::string_view>& lines_;
  std::size_t pos_;
  bool utf8_;
  EnvReport& report_;
  CReadEnumMode& devices_;
};

}  // namespace

const DiagLine* EnvReport::FindEntry(std::string_view label) const {
  for (const DiagSection& section : diagnostics) {
    for (const DiagLine& line : section.lines) {
      if (line.entry && line.label == label) return &line;
    }
  }
  return nullptr;
}

EnvReport ReadReport(std::string_view bytes) {
  EnvReport report;
  auto devices = std::make_shared<CReadEnumMode>();
  report.devices = devices;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    report.encoding = Encoding::kUtf8WithBom;
    bytes.remove_prefix(3);
  } else if (!IsAscii(bytes) && IsUtf8(bytes)) {
    report.encoding = Encoding::kUtf8;
  }
  const bool utf8 = report.encoding != Encoding::kCp932;
  const std::vector<std::string_view> lines = SplitLines(bytes);
  report.lineCount = lines.size();

  // The header the tool writes follows the last byte of the diagnostic text
  // directly, so its first dash line may end a line of that text.
  std::size_t title = 1;
  while (title + 1 < lines.size() &&
         !(lines[title] == "DeviceInfo" && EndsWith(lines[title - 1], kHeaderDashes) &&
           lines[title + 1] == kHeaderDashes)) {
    ++title;
  }
  const bool found = title + 1 < lines.size();
  std::string_view diagnostic = bytes;
  if (found) {
    const std::size_t headerStart =
        static_cast<std::size_t>(lines[title - 1].data() - bytes.data()) + lines[title - 1].size() - kHeaderDashes.size();
    diagnostic = bytes.substr(0, headerStart);
  }
  if (utf8 || IsAscii(diagnostic)) {
    ReadDiagnostics(diagnostic, report.diagnostics);
  } else {
    ReadDiagnostics(platform::Cp932ToUtf8(diagnostic), report.diagnostics);
  }
  if (!found) {
    report.problem = Problem{lines.size() + 1, "the report has no \"DeviceInfo\" section"};
    return report;
  }
  report.deviceInfoLine = title + 1;
  if (title + 2 >= lines.size() || !lines[title + 2].empty()) {
    report.problem = Problem{title + 3, "expected the empty line after the \"DeviceInfo\" header"};
    return report;
  }
  CDeviceInfoParser(lines, title + 3, utf8, report, *devices).Parse();
  return report;
}

bool ReadReportFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace vexaEnvReader
