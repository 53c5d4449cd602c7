// An envInfo.txt as the support desk receives it, read back into data: the
// system's diagnostic text as sections of "label: value" entries, and the
// "DeviceInfo" section as the enumeration records its writers took. Reading
// never fails: it keeps what it could read and names the first problem with
// its line.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/vexaReportEncoding.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaEnvReader {

// Line numbers count from 1, as an editor shows them.
struct DiagLine {
  std::size_t line = 0;
  bool entry = false;  // a "label: value" entry; else text kept in `value`
  std::string label;   // UTF-8, without the alignment blanks
  std::string value;   // UTF-8; continuation lines joined with "\n"
  bool cut = false;    // a wrap cut the value where no rejoin is certain: not all of it
};

struct DiagSection {
  std::size_t line = 0;  // of the title; the text before any title has none
  std::string title;
  std::vector<DiagLine> lines;
};

// Where each part of an identifier block stands.
enum IdentifierField {
  kDeviceField,
  kDriverField,
  kVersionField,
  kVendorIdField,
  kDeviceIdField,
  kSubSysIdField,
  kRevisionField,
  kDeviceIdentifierField,
  kWHQLLevelField,
  kIdentifierFieldCount
};

struct AdapterLines {
  std::size_t block = 0;  // "< Device Info >"
  std::size_t fields[kIdentifierFieldCount] = {};
  unsigned broken = 0;      // a bit (1 << IdentifierField) per field whose value was not read
  std::size_t problem = 0;  // the first problem of the block or of its sections' number and order
  bool Read(IdentifierField field) const { return fields[field] != 0 && (broken & (1u << field)) == 0; }
};

// The blocks of a mode-info section, in writing order.
enum ModeInfoBlock {
  kMultiSampleBlock,
  kDepthStencilBlock,
  kFirstFormatBlock,  // the seven format tables, in table order
  kCapsBlock = kFirstFormatBlock + vexaSDK::DX8::kFormatTableCount,
  kDisplayModeBlock,
  kModeInfoBlockCount
};

// Where each block of a mode-info section stands; 0 for a block the report
// ended or broke before.
struct ModeInfoLines {
  std::size_t header = 0;
  std::size_t multiSamples = 0;
  std::size_t depthStencils = 0;
  std::size_t formats[vexaSDK::DX8::kFormatTableCount] = {};
  std::size_t caps = 0;
  std::size_t capsFields[vexaSDK::DX8::kCapsFieldCount] = {};
  std::size_t displayModes = 0;
  unsigned broken = 0;      // a bit (1 << ModeInfoBlock) per block with a problem
  std::size_t problem = 0;  // the first problem inside the section
  // The block was there and had no problem, so what it lacks is not in the report.
  bool ReadWhole(ModeInfoBlock block) const;
};

struct Problem {
  std::size_t line = 0;
  std::string message;
};

struct EnvReport {
  Encoding encoding = Encoding::kCp932;
  // The ANSI code page the text was read in; for a Unicode report, the one
  // its identifier texts were turned into for the records (65001 when no
  // ANSI code page has every character of them).
  unsigned codePage = kDefaultCodePage;
  bool encodingGiven = false;  // by the desk, rather than detected
  std::size_t lineCount = 0;
  std::vector<DiagSection> diagnostics;
  std::size_t deviceInfoLine = 0;  // the "DeviceInfo" title; 0 when there is none
  // The records as the writers took them: identifier texts in `codePage`,
  // as their bytes stand in an ANSI report. Never null.
  std::shared_ptr<const vexaSDK::DX8::CDGEnumMode> devices;
  std::vector<AdapterLines> adapterLines;    // one per identifier
  std::vector<ModeInfoLines> modeInfoLines;  // one per mode-info record
  std::optional<Problem> problem;            // the first one
  unsigned repairs = 0;                      // MailRepair bits: mail damage undone

  // Every record was read; the report may still have been repaired.
  bool Whole() const { return !problem; }
  // The first entry with this label in any section; null when there is none.
  const DiagLine* FindEntry(std::string_view label) const;
};

// Reads a report's bytes: an ANSI code page (detected over the whole file),
// UTF-8 (with or without a byte-order mark) or UTF-16 with its mark; CR LF,
// CR CR LF, LF or CR line ends; mail damage repaired where that is certain.
// `given` overrides the detection. Line numbers count in the report as
// received.
EnvReport ReadReport(std::string_view bytes, const GivenEncoding* given = nullptr);

// The indexes of each adapter's mode-info records, in report order, found
// in one pass: views that go adapter by adapter stay linear in the report.
std::vector<std::vector<std::size_t>> RecordsByAdapter(const EnvReport& report);

// The report's value texts read back, as the writers write them: a shader
// version "major.minor" (its kind marker stays 0), a GUID without braces, a
// driver version "a.b.c.d". False, the value untouched or partly set, for
// any other text.
bool ParseShaderVersion(std::string_view text, DWORD& version);
bool ParseGuid(std::string_view text, GUID& guid);
bool ParseDriverVersion(std::string_view text, LARGE_INTEGER& version);

// An identifier text of the records (up to its NUL) in UTF-8.
std::string IdentifierText(const EnvReport& report, const char* field, std::size_t capacity);

// The report's lines as they are read, without their ends: UTF-16 turned
// into UTF-8 in `converted`, which the lines point into; other texts as they
// are, without a byte-order mark.
std::vector<std::string_view> ReportLines(std::string_view bytes, std::string& converted);

// The report's bytes from a file; false when it cannot be read.
bool ReadReportFile(const std::string& path, std::string& bytes);

}  // namespace vexaEnvReader
