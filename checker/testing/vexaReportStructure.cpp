// A line reader over the section and one small parser per block of the
// device report. Texts the machine supplies (names, numbers) are checked for
// their form only; everything the writers fix is checked to the letter.
#include "checker/testing/vexaReportStructure.h"

#include <cstring>
#include <sstream>
#include <string_view>
#include <vector>

#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/dx/dx8_3d/internal/vexaCapsFields.h"

namespace vexaEnvChecker {
namespace testing {

const char kDeviceInfoHeader[] = "--------------------\r\nDeviceInfo\r\n--------------------\r\n\r\n";

namespace {

using vexaSDK::DX8::internal::CapsFieldKind;
using vexaSDK::DX8::internal::kCapsFields;

// Thrown at the first thing found wrong; never leaves this file.
struct CWrong {
  std::string what;
};

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsUpperHex(std::string_view text, std::size_t digits) {
  return text.size() == digits && text.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

// A published constant: the prefix, then capitals, digits and underscores.
bool IsConstant(std::string_view text, std::string_view prefix) {
  return text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0 &&
         text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_", prefix.size()) ==
             std::string_view::npos;
}

// The C library's %g of a finite or infinite float.
bool IsGeneralNumber(std::string_view text) {
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  if (text == "inf" || text == "nan") return true;
  return !text.empty() && (text[0] >= '0' && text[0] <= '9') &&
         text.find_first_not_of("0123456789.e+-") == std::string_view::npos;
}

// Splits `text` at `separator` into exactly the pieces wanted.
bool SplitInto(std::string_view text, std::string_view separator, std::vector<std::string_view>& pieces,
               std::size_t count) {
  pieces.clear();
  for (;;) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) break;
    pieces.push_back(text.substr(0, at));
    text.remove_prefix(at + separator.size());
  }
  pieces.push_back(text);
  return pieces.size() == count;
}

class CLines {
 public:
  explicit CLines(std::string_view section) {
    std::size_t start = 0;
    while (start < section.size()) {
      const std::size_t end = section.find("\r\n", start);
      if (end == std::string_view::npos) {
        lines_.push_back(section.substr(start));
        unterminated_ = true;
        break;
      }
      lines_.push_back(section.substr(start, end - start));
      start = end + 2;
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].find_first_of("\r\n") != std::string_view::npos) {
        number_ = i;
        Fail("a line end other than CR LF");
      }
    }
    if (unterminated_) {
      number_ = lines_.size() - 1;
      Fail("the last line has no line end: the section is cut off");
    }
  }

  bool AtEnd() const { return number_ == lines_.size(); }
  bool PeekIs(std::string_view text) const { return !AtEnd() && lines_[number_] == text; }
  bool PeekStarts(std::string_view prefix) const {
    return !AtEnd() && lines_[number_].compare(0, prefix.size(), prefix) == 0;
  }

  std::string_view Next(const char* expected) {
    if (AtEnd()) Fail(std::string("the section ends where ") + expected + " should follow");
    return lines_[number_++];
  }
  void Expect(std::string_view line) {
    const std::string wanted = "\"" + std::string(line) + "\"";
    if (Next(wanted.c_str()) != line) Back("expected " + wanted);
  }
  // The rest of a line that must start with `prefix`.
  std::string_view After(std::string_view prefix) {
    const std::string wanted = "a line starting \"" + std::string(prefix) + "\"";
    const std::string_view line = Next(wanted.c_str());
    if (line.compare(0, prefix.size(), prefix) != 0) Back("expected " + wanted);
    return line.substr(prefix.size());
  }

  // Reports the line just read as wrong.
  [[noreturn]] void Back(const std::string& what) {
    --number_;
    Fail(what);
  }
  [[noreturn]] void Fail(const std::string& what) const {
    const std::string line = number_ < lines_.size() ? std::string(lines_[number_]) : std::string("(end)");
    throw CWrong{vexaSDK::System::FormatText(
        "line %lu: %s, found \"%s\"", static_cast<unsigned long>(number_ + 1), what.c_str(), line.c_str())};
  }

 private:
  std::vector<std::string_view> lines_;
  std::size_t number_ = 0;
  bool unterminated_ = false;
};

void IdentifierBlock(CLines& lines) {
  lines.Expect("< Device Info >");
  lines.After("Device: ");
  lines.After("Driver: ");
  std::vector<std::string_view> parts;
  const std::string_view version = lines.After("Version: ");
  if (!SplitInto(version, ".", parts, 4)) lines.Back("a version of four numbers");
  for (const std::string_view part : parts) {
    if (!IsDigits(part)) lines.Back("a version of four numbers");
  }
  for (const char* label : {"VendorId: 0x", "DeviceId: 0x", "SubSysId: 0x"}) {
    if (!IsUpperHex(lines.After(label), 8)) lines.Back("eight upper-case hexadecimal digits");
  }
  if (!IsDigits(lines.After("Revision: "))) lines.Back("a decimal revision");
  if (!SplitInto(lines.After("DeviceIdentifier: "), "-", parts, 5) || !IsUpperHex(parts[0], 8) ||
      !IsUpperHex(parts[1], 4) || !IsUpperHex(parts[2], 4) || !IsUpperHex(parts[3], 4) ||
      !IsUpperHex(parts[4], 12)) {
    lines.Back("a GUID of 8-4-4-4-12 upper-case hexadecimal digits");
  }
  if (!IsDigits(lines.After("WHQLLevel: "))) lines.Back("a decimal WHQL level");
  lines.Expect("");
}

// "< header >" and its entries: a "Mode: " line with `modeParts` format names
// joined by " - ", items of one blank and a name, an empty line.
void TableBlock(CLines& lines, const std::string& header, std::size_t modeParts,
                std::string_view itemPrefix) {
  lines.Expect(header);
  std::vector<std::string_view> parts;
  while (lines.PeekStarts("Mode: ")) {
    if (!SplitInto(lines.After("Mode: "), " - ", parts, modeParts)) lines.Back("a mode of format names");
    for (const std::string_view part : parts) {
      if (!IsConstant(part, "D3DFMT_")) lines.Back("a format name");
    }
    while (lines.PeekStarts(" ")) {
      if (!IsConstant(lines.After(" "), itemPrefix)) lines.Back("an item name");
    }
    lines.Expect("");
  }
}

void CapsBlock(CLines& lines) {
  lines.Expect("< DeviceCaps >");
  for (const auto& field : kCapsFields) {
    if (field.kind == CapsFieldKind::kDevType) {
      if (!IsConstant(lines.After("DeviceType: "), "D3DDEVTYPE_")) lines.Back("a device type name");
      continue;
    }
    const std::string label = field.label;
    if (field.kind == CapsFieldKind::kFlags) {
      lines.Expect(label + " {");
      // Names of the field's table, in table order, each at most once.
      std::size_t next = 0;
      while (lines.PeekStarts("\t")) {
        const std::string_view name = lines.After("\t");
        while (next < field.count && name != field.table[next].name) ++next;
        if (next == field.count) lines.Back("a flag of " + label + " in table order");
        ++next;
      }
      lines.Expect("}");
      continue;
    }
    const std::string_view value = lines.After(label + ": ");
    std::vector<std::string_view> parts;
    const bool good = field.kind == CapsFieldKind::kDecimal ? IsDigits(value)
                      : field.kind == CapsFieldKind::kFloat
                          ? IsGeneralNumber(value)
                          : SplitInto(value, ".", parts, 2) && IsDigits(parts[0]) && IsDigits(parts[1]);
    if (!good) lines.Back("a value of " + label);
  }
  lines.Expect("");
}

void DisplayModeBlock(CLines& lines) {
  lines.Expect("< DisplayMode Info >");
  std::vector<std::string_view> parts;
  while (lines.PeekStarts(" ")) {
    // " 1024 x 768 (D3DFMT_X8R8G8B8 - D3DFMT_A8R8G8B8) (75Hz)"
    const std::string_view mode = lines.After(" ");
    std::vector<std::string_view> size, formats;
    if (!SplitInto(mode, " (", parts, 3) || !SplitInto(parts[0], " x ", size, 2) || !IsDigits(size[0]) ||
        !IsDigits(size[1]) || parts[1].empty() || parts[1].back() != ')' ||
        !SplitInto(parts[1].substr(0, parts[1].size() - 1), " - ", formats, 2) ||
        !IsConstant(formats[0], "D3DFMT_") || !IsConstant(formats[1], "D3DFMT_") || parts[2].size() < 4 ||
        parts[2].substr(parts[2].size() - 3) != "Hz)" || !IsDigits(parts[2].substr(0, parts[2].size() - 3))) {
      lines.Back("a display mode");
    }
  }
  lines.Expect("");
}

// One record; `deviceType` and `windowed` are what its place in the series
// says it must be.
void ModeInfoSection(CLines& lines, const char* deviceType, bool windowed) {
  lines.Expect(std::string("***** ") + deviceType + (windowed ? " Window" : " FullScreen") +
               " Mode Info *****");
  lines.Expect("");
  TableBlock(lines, "< MultiSampleType Info >", 2, "D3DMULTISAMPLE_");
  TableBlock(lines, "< DepthStencilFormat Info >", 2, "D3DFMT_");
  for (const auto& table : vexaSDK::DX8::kFormatTableInfo) {
    TableBlock(lines, std::string("< ") + table.label + " >", 1, "D3DFMT_");
  }
  CapsBlock(lines);
  DisplayModeBlock(lines);
}

void Section(CLines& lines) {
  // Every adapter the enumeration could identify has four records, in this
  // order, written after its identifier block.
  static const struct {
    const char* deviceType;
    bool windowed;
  } kRecords[] = {{"D3DDEVTYPE_HAL", false},
                  {"D3DDEVTYPE_HAL", true},
                  {"D3DDEVTYPE_REF", false},
                  {"D3DDEVTYPE_REF", true}};
  while (!lines.AtEnd()) {
    IdentifierBlock(lines);
    for (const auto& record : kRecords) {
      if (!lines.PeekStarts("***** ")) lines.Fail("an adapter needs four mode-info sections");
      ModeInfoSection(lines, record.deviceType, record.windowed);
    }
    if (!lines.AtEnd() && !lines.PeekIs("< Device Info >"))
      lines.Fail("expected the next adapter or the end");
  }
}

}  // namespace

bool FindDeviceInfoSection(const std::string& report, std::string& section) {
  const std::size_t header = report.find(kDeviceInfoHeader);
  if (header == std::string::npos) return false;
  section = report.substr(header + std::strlen(kDeviceInfoHeader));
  return true;
}

std::string CheckReportStructure(const std::string& report) {
  std::string section;
  if (!FindDeviceInfoSection(report, section)) return "no \"DeviceInfo\" header";
  try {
    CLines lines(section);
    Section(lines);
  } catch (const CWrong& wrong) {
    return wrong.what;
  }
  return std::string();
}

std::string DeviceInfoFileText(const vexaSDK::DX8::CDGEnumMode& enumeration) {
  std::ostringstream text;
  enumeration.WriteDeviceInfo(text);
  return vexaSDK::System::ReplaceAll(text.str(), "\n", "\r\n");
}

}  // namespace testing
}  // namespace vexaEnvChecker
