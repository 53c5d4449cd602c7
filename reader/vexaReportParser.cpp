// The report is read in two halves. The diagnostic text has no grammar of
// ours: its layout changes with the Windows version that wrote it, so it is
// read by the rule every version keeps (a title between dash lines, labels
// right-aligned before ": ", continuations indented to the value column).
// The "DeviceInfo" section has the writers' exact grammar; it is read line by
// line in the writers' order. A line that does not fit is a problem; reading
// picks up again at the next block, so one garbled line costs one block.
#include "reader/vexaReportParser.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

#include "platform/CodePage.h"
#include "reader/internal/vexaReadEnumMode.h"
#include "reader/vexaMailRepair.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {
namespace {

using namespace std::string_view_literals;
using internal::CReadEnumMode;
using internal::CReadModeInfo;
using vexaSDK::DX8::CapsField;
using vexaSDK::DX8::CapsFieldKind;
using vexaSDK::DX8::CDisplayMode;
using vexaSDK::DX8::FormatPair;
using vexaSDK::DX8::kCapsFields;
using vexaSDK::DX8::kFormatTableCount;
using vexaSDK::DX8::kFormatTableInfo;

const std::string_view kHeaderDashes = vexaSDK::DX8::kSectionRule;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
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

// Well-formed UTF-8 (shortest forms, no surrogates); `longSequence` tells whether a
// sequence of three or four bytes was among them.
bool IsUtf8(std::string_view text, bool& longSequence) {
  longSequence = false;
  char32_t character;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = platform::DecodeUtf8(text.substr(i), character);
    if (length == 0) return false;
    longSequence = longSequence || length > 2;
    i += length;
  }
  return true;
}

// Every byte a character of code page 932: ASCII, a half-width katakana, or a
// lead byte with its trail byte.
bool IsCp932(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
    if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) || ++i == text.size()) return false;
    const unsigned char trail = static_cast<unsigned char>(text[i]);
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
  }
  return true;
}

// Code page 932 text is valid UTF-8 by chance only in pairs of half-width
// katakana ("\xC3\xBD" is both "ｽ" after "ﾃ" and "ý"), while Japanese in UTF-8
// takes three bytes a character. A text that is both, with sequences of two
// bytes only (Western letters re-saved as UTF-8), is what the detector says.
bool LooksLikeUtf8(std::string_view text) {
  bool longSequence;
  return IsUtf8(text, longSequence) && (longSequence || !IsCp932(text) || DetectCharset(text) == "UTF-8");
}

// Notepad's "Unicode"; a lone surrogate or odd last byte becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const auto unit = [&](std::size_t i) {
    const unsigned char a = static_cast<unsigned char>(bytes[i]),
                        b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8) | b : (b << 8) | a;
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    unsigned long code = static_cast<unsigned long>(unit(i));
    if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned long>(unit(i + 2)) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    platform::AppendUtf8(static_cast<char32_t>(code), out);
  }
  if (i < bytes.size()) platform::AppendUtf8(0xFFFD, out);
  return out;
}

// Lines without their ends: "\n", "\r\n" or "\r\r\n" (a CR LF file saved
// again in text mode), or "\r" alone in a text without any "\n". A last line
// without an end counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 24 + 1);
  const char end = std::memchr(text.data(), '\n', text.size()) == nullptr ? '\r' : '\n';
  std::size_t start = 0;
  while (start < text.size()) {
    const void* found = std::memchr(text.data() + start, end, text.size() - start);
    const std::size_t end =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) : text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

std::size_t Indent(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && (text[n] == ' ' || text[n] == '\t')) ++n;
  return n;
}

bool IsBlank(std::string_view line) { return TrimRight(line).empty(); }

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
bool SplitEntry(std::string_view line, std::string_view& label, std::string_view& value,
                std::size_t& column) {
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

// `cut` gets the line numbers of values a wrap cut where the rejoin is not certain.
void ReadDiagnostics(std::string_view text, std::vector<DiagSection>& sections, unsigned& repairs,
                     std::vector<std::size_t>& cut) {
  const internal::RepairedLines repaired = internal::RejoinDiagnosticLines(SplitLines(text), repairs);
  const std::vector<std::string_view>& lines = repaired.lines;
  for (const std::size_t at : repaired.cut) cut.push_back(repaired.origin[at] + 1);
  const auto isCut = [&repaired](std::size_t i) {
    return std::find(repaired.cut.begin(), repaired.cut.end(), i) != repaired.cut.end();
  };
  DiagLine* last = nullptr;  // the entry that indented lines continue
  std::size_t valueColumn = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = TrimRight(lines[i]);
    if (IsDashLine(line) && i + 2 < lines.size() && !TrimRight(lines[i + 1]).empty() &&
        !IsDashLine(lines[i + 1]) && IsDashLine(lines[i + 2])) {
      DiagSection section;
      section.line = repaired.origin[i + 1] + 1;
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
      last->cut = last->cut || isCut(i);
      continue;
    }
    DiagLine entry;
    entry.line = repaired.origin[i] + 1;
    entry.cut = isCut(i);
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

// Numbers only as the writers write them: a leading zero, a lower-case digit
// or another spelling of a float would not be written back the same.
bool ParseUnsigned(std::string_view text, unsigned long max, unsigned long& value) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return false;
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
  if (end != buffer + text.size()) return false;
  char again[48];
  std::snprintf(again, sizeof again, "%g", static_cast<double>(value));
  return text == again;
}

}  // namespace

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
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
    return false;
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

namespace {

class CDeviceInfoParser {
 public:
  CDeviceInfoParser(const std::vector<std::string_view>& lines, std::size_t first, bool utf8,
                    EnvReport& report, CReadEnumMode& devices)
      : lines_(lines), pos_(first), utf8_(utf8), report_(report), devices_(devices) {}

  // Whether an identifier text of a Unicode report had a character that the
  // report's code page lacks.
  bool Lacking() const { return lacking_; }

  void Parse() {
    while (!AtEnd()) {
      if (Peek() == vexaSDK::DX8::kDeviceInfoHeader) {
        EndAdapter();
        ParseAdapter();
      } else if (StartsWith(Peek(), vexaSDK::DX8::kModeInfoPrefix)) {
        ParseModeInfo();
      } else if (IsBlank(Peek()) && RestIsBlank()) {
        // Blank lines a mail client or an editor left at the end.
        break;
      } else {
        Fail(IsBlank(Peek()) ? "an empty line where a block should begin" : "expected \"< Device Info >\"");
        SkipToBlock(kModeInfoBlockCount);
      }
    }
    EndAdapter();
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  static const std::size_t kModeInfosPerAdapter = 4;

  std::string_view Peek() const { return pos_ < lines_.size() ? lines_[pos_] : std::string_view(); }
  bool AtEnd() const { return pos_ >= lines_.size(); }
  bool RestIsBlank() const {
    for (std::size_t i = pos_; i < lines_.size(); ++i) {
      if (!IsBlank(lines_[i])) return false;
    }
    return true;
  }

  // Only the first problem is kept for the report; the line past the last one
  // stands for the end of the report. The section or identifier block being
  // read keeps its own first one, and which of its blocks it hit.
  void Note(std::size_t index, std::string message) {
    if (!report_.problem) report_.problem = Problem{index + 1, std::move(message)};
    if (record_ != kNone) {
      ModeInfoLines& at = report_.modeInfoLines[record_];
      if (at.problem == 0) at.problem = index + 1;
      at.broken |= 1u << block_;
    } else if (adapter_ != kNone && report_.adapterLines[adapter_].problem == 0) {
      report_.adapterLines[adapter_].problem = index + 1;
    }
  }

  // Moves to the next line that starts an identifier block or a section, or,
  // inside a section, a block past `after`; gives that block, or
  // kModeInfoBlockCount for the others and the end of the report.
  int SkipToBlock(int after) {
    for (; !AtEnd(); ++pos_) {
      const std::string_view line = Peek();
      if (line == vexaSDK::DX8::kDeviceInfoHeader || StartsWith(line, vexaSDK::DX8::kModeInfoPrefix)) break;
      if (!StartsWith(line, "< ")) continue;
      for (int block = after + 1; block < kModeInfoBlockCount; ++block) {
        if (line == BlockHeader(block)) return block;
      }
    }
    return kModeInfoBlockCount;
  }

  static const std::string& BlockHeader(int block) {
    static const std::vector<std::string> headers = [] {
      std::vector<std::string> texts = {"< MultiSampleType Info >", "< DepthStencilFormat Info >"};
      for (int kind = 0; kind < kFormatTableCount; ++kind) {
        texts.push_back("< " + std::string(kFormatTableInfo[kind].label) + " >");
      }
      texts.push_back("< DeviceCaps >");
      texts.push_back("< DisplayMode Info >");
      return texts;
    }();
    return headers[static_cast<std::size_t>(block)];
  }

  // The writer gives each adapter its own four sections, in this order.
  static std::string SectionHeader(std::size_t index) {
    return vexaSDK::DX8::ModeInfoHeader(index < 2 ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF, index % 2 != 0);
  }

  void EndAdapter() {
    if (adapter_ != kNone && sections_ < kModeInfosPerAdapter) {
      Fail("expected \"" + SectionHeader(sections_) + "\"");
    }
    adapter_ = kNone;
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
    if (AtEnd() || !StartsWith(Peek(), label))
      return Fail("expected \"" + std::string(TrimRight(label)) + "\"");
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
      if (!Utf8ToAnsi(report_.codePage, value, converted)) {
        lacking_ = true;
        Note(pos_ - 1, "a character code page " + std::to_string(report_.codePage) + " does not have");
      }
      value = converted;
    }
    // The writer ends the text at a NUL.
    if (value.find('\0') != std::string_view::npos) Note(pos_ - 1, "a NUL character in the text");
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

  void ParseAdapter() {
    adapter_ = report_.adapterLines.size();
    report_.adapterLines.emplace_back();
    AdapterLines& at = report_.adapterLines.back();
    at.block = pos_ + 1;
    ++pos_;
    sections_ = 0;
    identifier_ = D3DADAPTER_IDENTIFIER8();
    if (!ParseIdentifier(identifier_, at)) {
      // What was read of a broken block is kept all the same.
      for (int field = 0; field < kIdentifierFieldCount; ++field) {
        if (at.fields[field] == pos_ + 1) at.broken |= 1u << field;
      }
      SkipToBlock(kModeInfoBlockCount);
    }
    devices_.Identifiers().push_back(identifier_);
  }

  void ParseModeInfo() {
    std::string_view header = Peek();
    const std::string_view suffix = vexaSDK::DX8::kModeInfoSuffix;
    header.remove_prefix(vexaSDK::DX8::kModeInfoPrefix.size());
    D3DDEVTYPE type = D3DDEVTYPE_HAL;
    std::size_t blank = std::string_view::npos;
    bool good = adapter_ != kNone;
    if (!good) {
      Fail("a mode-info section outside an adapter's");
    } else if (!EndsWith(header, suffix)) {
      good = Fail("not a mode-info header");
    } else {
      header.remove_suffix(suffix.size());
      blank = header.rfind(' ');
      if (blank == std::string_view::npos || !vexaSDK::DX8::GetDevTypeByName(header.substr(0, blank), type)) {
        good = Fail("not a device type name");
      } else if (header.substr(blank + 1) != "Window" && header.substr(blank + 1) != "FullScreen") {
        good = Fail("neither \"Window\" nor \"FullScreen\"");
      }
    }
    if (!good) {
      ++pos_;
      SkipToBlock(kModeInfoBlockCount);
      return;
    }
    // Kept all the same: they are what the report says.
    if (sections_ >= kModeInfosPerAdapter) {
      Fail("a mode-info section past the adapter's four");
    } else if (Peek() != SectionHeader(sections_)) {
      Fail("expected \"" + SectionHeader(sections_) + "\"");
    }
    ++sections_;
    CReadModeInfo record(static_cast<UINT>(adapter_), identifier_, type,
                         header.substr(blank + 1) == "Window" ? TRUE : FALSE);
    record_ = report_.modeInfoLines.size();
    report_.modeInfoLines.emplace_back();
    report_.modeInfoLines.back().header = pos_ + 1;
    ++pos_;
    ParseModeInfoBody(record);
    devices_.Add(std::move(record));
    record_ = kNone;
  }

  static std::size_t& BlockLine(ModeInfoLines& at, int block) {
    switch (block) {
      case kMultiSampleBlock:
        return at.multiSamples;
      case kDepthStencilBlock:
        return at.depthStencils;
      case kCapsBlock:
        return at.caps;
      case kDisplayModeBlock:
        return at.displayModes;
      default:
        return at.formats[block - kFirstFormatBlock];
    }
  }

  // A block that breaks is left where it broke; reading goes on at the next
  // block the section has, so one garbled line costs that block only.
  void ParseModeInfoBody(CReadModeInfo& record) {
    block_ = kMultiSampleBlock;
    int block = Expect("") ? kMultiSampleBlock : SkipToBlock(-1);
    while (block < kModeInfoBlockCount) {
      block_ = block;
      BlockLine(report_.modeInfoLines[record_], block) = pos_ + 1;
      block = ParseBlock(record, block) ? block + 1 : SkipToBlock(block);
    }
  }

  bool ParseBlock(CReadModeInfo& record, int block) {
    if (block == kCapsBlock) return ParseCaps(record.Caps(), report_.modeInfoLines[record_]);
    if (!Expect(BlockHeader(block))) return false;
    switch (block) {
      case kMultiSampleBlock:
        return ParsePairTable(record.MultiSamples(), vexaSDK::DX8::GetMultiSampleByName, "multisample type");
      case kDepthStencilBlock:
        return ParsePairTable(record.DepthStencils(), vexaSDK::DX8::GetFormatByName, "format");
      case kDisplayModeBlock:
        while (!AtEnd() && StartsWith(Peek(), " ") && !IsBlank(Peek()))
          ParseDisplayMode(record.DisplayModes());
        // The last section may have lost its closing empty line to an editor.
        if (!AtEnd() && IsBlank(Peek()) && RestIsBlank()) pos_ = lines_.size();
        return AtEnd() || Expect("");
      default:
        return ParseFormatTable(record.Formats(block - kFirstFormatBlock));
    }
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
      const bool known =
          FormatByName(pair.substr(0, dash), display) && FormatByName(pair.substr(dash + 3), backBuffer);
      typename Table::mapped_type unused;
      auto* items = known ? NewEntry(table, FormatPair(display, backBuffer)) : nullptr;
      ++pos_;
      if (!ParseItems(items != nullptr ? *items : unused, lookup, what)) return false;
    }
    return true;
  }

  // The entry of a "Mode: " line; null for a second one of the same formats,
  // whose items are read and left out. The writer writes entries in
  // ascending order, so one out of it would not be written back the same.
  template <typename Table, typename Key>
  typename Table::mapped_type* NewEntry(Table& table, const Key& key) {
    if (table.count(key) != 0) {
      Note(pos_, "a second entry for the same " +
                     std::string(std::is_same<Key, FormatPair>::value ? "formats" : "format"));
      return nullptr;
    }
    if (!table.empty() && table.key_comp()(key, table.rbegin()->first)) Note(pos_, "an entry out of order");
    return &table[key];
  }

  bool ParseFormatTable(vexaSDK::DX8::FormatTable& table) {
    while (!AtEnd() && StartsWith(Peek(), "Mode: ")) {
      D3DFORMAT display;
      std::vector<D3DFORMAT> unused;
      auto* items = FormatByName(Peek().substr(6), display) ? NewEntry(table, display) : nullptr;
      ++pos_;
      if (!ParseItems(items != nullptr ? *items : unused, vexaSDK::DX8::GetFormatByName, "format"))
        return false;
    }
    return true;
  }

  bool ParseFlags(const CapsField& field, DWORD& value) {
    value = 0;
    if (!Expect(std::string(field.label) + " {")) return false;
    // The writer names every entry whose bits are set, once each, in table order.
    std::size_t next = 0, named = 0;
    while (!AtEnd() && StartsWith(Peek(), "\t")) {
      const std::string_view name = Peek().substr(1);
      // Looked for from the last one on, where the writer's order puts it; a
      // flag out of order is then looked for from the start.
      std::size_t i = next;
      while (i < field.count && name != field.table[i].name) ++i;
      if (i == field.count) {
        i = 0;
        while (i < next && name != field.table[i].name) ++i;
        if (i == next) i = field.count;
      }
      if (i == field.count) {
        Note(pos_, "unknown " + std::string(field.label) + " flag \"" + std::string(name) + "\"");
      } else if (i < next) {
        Note(pos_, std::string(field.label) + " flag \"" + std::string(name) + "\" repeated or out of order");
      } else {
        value |= field.table[i].flag;
        next = i + 1;
        ++named;
      }
      ++pos_;
    }
    std::size_t implied = 0;
    for (std::size_t i = 0; i < field.count; ++i)
      implied += (value & field.table[i].flag) == field.table[i].flag;
    if (implied != named) Note(pos_ - 1, std::string(field.label) + " flags that imply another one");
    return Expect("}");
  }

  // After a line that is no part of field `after`, the next line that begins
  // a later field; false at the end of the block.
  bool ResyncCaps(std::size_t after, std::size_t& field) {
    for (; !AtEnd() && !IsBlank(Peek()) && !StartsWith(Peek(), "< ") &&
           !StartsWith(Peek(), vexaSDK::DX8::kModeInfoPrefix);
         ++pos_) {
      for (std::size_t g = after + 1; g < vexaSDK::DX8::kCapsFieldCount; ++g) {
        const std::string_view label = kCapsFields[g].label;
        const std::string_view rest =
            StartsWith(Peek(), label) ? Peek().substr(label.size()) : std::string_view();
        if (StartsWith(rest, ": ") || rest == " {") {
          field = g;
          return true;
        }
      }
    }
    return false;
  }

  bool ParseCaps(D3DCAPS8& caps, ModeInfoLines& at) {
    if (!Expect("< DeviceCaps >")) return false;
    for (std::size_t f = 0; f < vexaSDK::DX8::kCapsFieldCount; ++f) {
      const CapsField& field = kCapsFields[f];
      at.capsFields[f] = pos_ + 1;
      char* place = reinterpret_cast<char*>(&caps) + field.offset;
      DWORD word = 0;
      // A line that belongs to no field costs the field it stands in: reading
      // goes on at the next field's label.
      std::size_t next = f;
      if (field.kind == CapsFieldKind::kFlags) {
        if (ParseFlags(field, word)) {
          std::memcpy(place, &word, sizeof word);
        } else {
          if (!ResyncCaps(f, next)) return false;
          f = next - 1;
        }
        continue;
      }
      std::string_view text;
      if (!Labelled(std::string(field.label) + ": ", text)) {
        if (!ResyncCaps(f, next)) return false;
        f = next - 1;
        continue;
      }
      bool good = true;
      switch (field.kind) {
        case CapsFieldKind::kDevType: {
          D3DDEVTYPE type = D3DDEVTYPE_HAL;
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
      if (good) {
        std::memcpy(place, &word, sizeof word);
      } else {
        // A garbled value costs that field only.
        Note(pos_ - 1, "not a value of " + std::string(field.label));
      }
    }
    return Expect("");
  }

  // " <width> x <height> (<format> - <format>) (<rate>Hz)"; a line that is
  // not one is left out.
  void ParseDisplayMode(std::vector<CDisplayMode>& modes) {
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
      Fail("expected \" <width> x <height> (<format> - <format>) (<rate>Hz)\"");
    } else if (FormatByName(text.substr(open + 2, dash - open - 2), format) &&
               FormatByName(text.substr(dash + 3, rate - dash - 3), backBuffer)) {
      modes.emplace_back(static_cast<UINT>(width), static_cast<UINT>(height), static_cast<UINT>(refresh),
                         format, backBuffer);
    }
    ++pos_;
  }

  const std::vector<std::string_view>& lines_;
  std::size_t pos_;
  bool utf8_;
  bool lacking_ = false;
  EnvReport& report_;
  CReadEnumMode& devices_;
  std::size_t adapter_ = kNone;  // the identifier block read last, while its sections follow
  std::size_t sections_ = 0;     // of that adapter
  D3DADAPTER_IDENTIFIER8 identifier_ = {};
  std::size_t record_ = kNone;  // the section being read
  int block_ = kMultiSampleBlock;
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

namespace {

// The text without its byte-order mark, UTF-16 turned into UTF-8; the ANSI
// code page of any other text. A text of ASCII alone tells nothing, and
// reads as it always has.
std::string_view DecodedText(std::string_view bytes, std::string& converted, const GivenEncoding* given,
                             EnvReport& report) {
  report.encoding = Encoding::kCp932;
  report.codePage = kDefaultCodePage;
  report.encodingGiven = given != nullptr;
  const bool utf8Mark = StartsWith(bytes, "\xEF\xBB\xBF");
  const bool utf16Mark = StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF");
  if (given != nullptr) {
    report.encoding = given->encoding;
    report.codePage = given->codePage;
    if (given->encoding == Encoding::kUtf16) {
      const bool bigEndian = utf16Mark ? bytes[0] == '\xFE' : given->bigEndian;
      converted = Utf16ToUtf8(bytes.substr(utf16Mark ? 2 : 0), bigEndian);
      return converted;
    }
    if (given->encoding == Encoding::kUtf8 && utf8Mark) {
      report.encoding = Encoding::kUtf8WithBom;
      bytes.remove_prefix(3);
    }
    return bytes;
  }
  if (utf8Mark) {
    report.encoding = Encoding::kUtf8WithBom;
    bytes.remove_prefix(3);
  } else if (utf16Mark) {
    report.encoding = Encoding::kUtf16;
    converted = Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
    bytes = converted;
  } else if (!IsAscii(bytes)) {
    if (LooksLikeUtf8(bytes)) {
      report.encoding = Encoding::kUtf8;
    } else {
      report.codePage = DetectAnsiCodePage(bytes);
      report.encoding = report.codePage == 932 ? Encoding::kCp932 : Encoding::kAnsi;
    }
  }
  return bytes;
}

bool IsUnicode(Encoding encoding) { return encoding != Encoding::kCp932 && encoding != Encoding::kAnsi; }

// The received line a decoded line starts on (its index, from 0).
std::size_t ReceivedLine(const std::vector<std::size_t>& receivedOrigin, std::size_t index) {
  if (receivedOrigin.empty()) return index + 1;
  return (index < receivedOrigin.size() ? receivedOrigin[index] : receivedOrigin.back()) + 1;
}

// Line numbers of the lines as parsed turned into those of the report as
// received; the line past the last stands for the end either way.
void RenumberLines(EnvReport& report, const std::vector<std::size_t>& sectionOrigin,
                   const std::vector<std::size_t>& receivedOrigin, std::size_t receivedCount) {
  const auto received = [&](std::size_t index) { return ReceivedLine(receivedOrigin, index); };
  const auto map = [&](std::size_t& line) {
    if (line == 0) return;
    line = line - 1 < sectionOrigin.size() ? received(sectionOrigin[line - 1]) : receivedCount + 1;
  };
  if (report.problem && !sectionOrigin.empty()) map(report.problem->line);
  map(report.deviceInfoLine);
  for (AdapterLines& at : report.adapterLines) {
    map(at.block);
    map(at.problem);
    for (std::size_t& line : at.fields) map(line);
  }
  for (ModeInfoLines& at : report.modeInfoLines) {
    for (std::size_t* line :
         {&at.header, &at.multiSamples, &at.depthStencils, &at.caps, &at.displayModes, &at.problem}) {
      map(*line);
    }
    for (std::size_t& line : at.formats) map(line);
    for (std::size_t& line : at.capsFields) map(line);
  }
  if (receivedOrigin.empty()) return;
  for (DiagSection& section : report.diagnostics) {
    if (section.line != 0) section.line = received(section.line - 1);
    for (DiagLine& line : section.lines) line.line = received(line.line - 1);
  }
}

void NoteCut(EnvReport& report, std::size_t line) {
  if (!report.problem || report.problem->line > line) {
    report.problem = Problem{line, "a line cut, perhaps by a mail program's wrap"};
  }
}

// One reading of the decoded text with the report's code page for the
// records; false when a Unicode report's identifier text has a character
// that code page lacks. Line numbers come out as in the report as received.
bool ReadText(std::string_view bytes, EnvReport& report, const std::vector<std::size_t>& receivedOrigin,
              std::size_t receivedCount) {
  auto devices = std::make_shared<CReadEnumMode>();
  report.devices = devices;
  if (internal::LineEndsChanged(bytes)) report.repairs |= kLineEndsRepair;
  const bool utf8 = IsUnicode(report.encoding);
  const std::vector<std::string_view> lines = SplitLines(bytes);
  if (receivedOrigin.empty()) receivedCount = lines.size();
  report.lineCount = receivedCount;

  // The header the tool writes follows the last byte of the diagnostic text
  // directly, so its first dash line may end a line of that text.
  std::size_t title = 1;
  while (title + 1 < lines.size() && !(TrimRight(lines[title]) == vexaSDK::DX8::kSectionTitle &&
                                       EndsWith(TrimRight(lines[title - 1]), kHeaderDashes) &&
                                       TrimRight(lines[title + 1]) == kHeaderDashes)) {
    ++title;
  }
  const bool found = title + 1 < lines.size();
  std::string_view diagnostic = bytes;
  if (found) {
    for (std::size_t i = title - 1; i <= title + 1; ++i) {
      if (TrimRight(lines[i]).size() != lines[i].size()) report.repairs |= kTrailingBlanksRepair;
    }
    const std::string_view dashes = TrimRight(lines[title - 1]);
    const std::size_t headerStart =
        static_cast<std::size_t>(dashes.data() - bytes.data()) + dashes.size() - kHeaderDashes.size();
    diagnostic = bytes.substr(0, headerStart);
  }
  std::vector<std::size_t> cut;
  if (utf8 || IsAscii(diagnostic)) {
    ReadDiagnostics(diagnostic, report.diagnostics, report.repairs, cut);
  } else {
    ReadDiagnostics(AnsiToUtf8(report.codePage, diagnostic), report.diagnostics, report.repairs, cut);
  }
  bool lacking = false;
  if (!found) {
    report.problem = Problem{receivedCount + 1, "the report has no \"DeviceInfo\" section"};
    RenumberLines(report, {}, receivedOrigin, receivedCount);
  } else {
    report.deviceInfoLine = title + 1;
    const internal::RepairedLines section = internal::RepairDeviceInfoLines(lines, title + 2, report.repairs);
    if (title + 2 >= section.lines.size() || !section.lines[title + 2].empty()) {
      report.problem = Problem{title + 3, "expected the empty line after the \"DeviceInfo\" header"};
    } else {
      CDeviceInfoParser parser(section.lines, title + 3, utf8, report, *devices);
      parser.Parse();
      lacking = parser.Lacking();
    }
    // A text a wrap cut is not the driver's: it counts as not read.
    for (const std::size_t at : section.cut) {
      for (AdapterLines& adapter : report.adapterLines) {
        for (const IdentifierField field : {kDeviceField, kDriverField}) {
          if (adapter.fields[field] == at + 1) adapter.broken |= 1u << field;
        }
        if (adapter.fields[kDeviceField] == at + 1 || adapter.fields[kDriverField] == at + 1) {
          if (adapter.problem == 0 || adapter.problem > at + 1) adapter.problem = at + 1;
        }
      }
      NoteCut(report, at + 1);
    }
    RenumberLines(report, section.origin, receivedOrigin, receivedCount);
  }
  for (const std::size_t line : cut) NoteCut(report, ReceivedLine(receivedOrigin, line - 1));
  return !lacking;
}

}  // namespace

std::vector<std::string_view> ReportLines(std::string_view bytes, std::string& converted) {
  EnvReport report;
  return SplitLines(DecodedText(bytes, converted, nullptr, report));
}

EnvReport ReadReport(std::string_view bytes, const GivenEncoding* given) {
  EnvReport report;
  // A body a mail program left encoded is decoded first; its lines map back
  // to the received ones.
  std::string unquoted;
  std::vector<std::size_t> receivedOrigin;
  std::size_t receivedCount = 0;
  const bool quoted = internal::DecodeQuotedPrintable(bytes, unquoted, receivedOrigin);
  if (quoted) {
    receivedCount = SplitLines(bytes).size();
    bytes = unquoted;
  }
  std::string converted;
  bytes = DecodedText(bytes, converted, given, report);
  if (quoted) report.repairs |= kQuotedPrintableRepair;
  if (!IsUnicode(report.encoding)) {
    ReadText(bytes, report, receivedOrigin, receivedCount);
    return report;
  }
  // A Unicode report does not say which code page its writer's texts were
  // in: the first that has every character of them, else UTF-8 itself.
  for (const unsigned codePage : {932u, 1252u, kUtf8CodePage}) {
    EnvReport attempt;
    attempt.encoding = report.encoding;
    attempt.encodingGiven = report.encodingGiven;
    attempt.codePage = codePage;
    attempt.repairs = report.repairs;
    if (ReadText(bytes, attempt, receivedOrigin, receivedCount) || codePage == kUtf8CodePage) return attempt;
  }
  return report;
}

std::vector<std::vector<std::size_t>> RecordsByAdapter(const EnvReport& report) {
  std::vector<std::vector<std::size_t>> records(report.devices->Identifiers().size());
  const auto& infos = report.devices->ModeInfos();
  for (std::size_t r = 0; r < infos.size(); ++r) {
    if (infos[r].Adapter() < records.size()) records[infos[r].Adapter()].push_back(r);
  }
  return records;
}

std::string IdentifierText(const EnvReport& report, const char* field, std::size_t capacity) {
  const void* end = std::memchr(field, '\0', capacity);
  const std::size_t size = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : capacity;
  return AnsiToUtf8(report.codePage, std::string_view(field, size));
}

bool ModeInfoLines::ReadWhole(ModeInfoBlock block) const {
  const std::size_t line = block == kMultiSampleBlock    ? multiSamples
                           : block == kDepthStencilBlock ? depthStencils
                           : block == kCapsBlock         ? caps
                           : block == kDisplayModeBlock  ? displayModes
                                                         : formats[block - kFirstFormatBlock];
  return line != 0 && (broken & (1u << block)) == 0;
}

// The C library's stream, not a file stream: reading a folder, which opens
// on some systems, must fail rather than throw.
bool ReadReportFile(const std::string& path, std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes.clear();
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

}  // namespace vexaEnvReader
