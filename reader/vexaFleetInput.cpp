// The fleet's input: report files and the desk's JSON Lines files written by
// --json, one report at a time, each aggregated and released before the next
// is read; and the run of `vexaEnvReader --fleet`.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "platform/ReadFile.h"
#include "reader/internal/vexaReadEnumMode.h"
#include "reader/vexaFleet.h"
#include "reader/vexaTerminalText.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaEnvReader {
namespace {

using json = nlohmann::json;
using internal::CReadEnumMode;
using internal::CReadModeInfo;

// A JSON line longer than this is no report the reader wrote (the largest
// report of the benchmarks, 1.3 MB, makes a line of a few MB); the parse of
// a longer one could take ten times its size.
const std::size_t kMaxJsonLine = std::size_t(16) << 20;

const char* const kIdentifierKeys[kIdentifierFieldCount] = {
    "description", "driver",   "driverVersion",    "vendorId", "deviceId",
    "subSysId",    "revision", "deviceIdentifier", "whqlLevel"};

// The line's texts stay UTF-8 in the records: the report read back says so.
void CopyText(const std::string& text, char* field, std::size_t capacity) {
  std::memset(field, 0, capacity);
  // A text that fills the field has no NUL, as in the records the report was written from.
  std::memcpy(field, text.data(), std::min(text.size(), capacity));
}

DWORD ShaderVersion(const std::string& text) {
  DWORD version = 0;
  return ParseShaderVersion(text, version) ? version : 0;
}

// Names to formats; a name the tables do not know marks the block broken.
std::vector<D3DFORMAT> Formats(const json& names, bool& broken) {
  std::vector<D3DFORMAT> formats;
  for (const json& name : names) {
    D3DFORMAT format;
    if (vexaSDK::DX8::GetFormatByName(name.get<std::string>(), format))
      formats.push_back(format);
    else
      broken = true;
  }
  return formats;
}

D3DFORMAT Format(const json& name, bool& broken) {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  if (!vexaSDK::DX8::GetFormatByName(name.get<std::string>(), format)) broken = true;
  return format;
}

void Caps(const json& fields, D3DCAPS8& caps, bool& broken) {
  using namespace vexaSDK::DX8;
  caps = D3DCAPS8();
  for (const CapsField& field : kCapsFields) {
    const auto it = fields.find(field.label);
    if (it == fields.end()) {
      broken = true;
      continue;
    }
    DWORD value = 0;
    switch (field.kind) {
      case CapsFieldKind::kDevType: {
        D3DDEVTYPE type;
        if (vexaSDK::DX8::GetDevTypeByName(it->get<std::string>(), type)) value = static_cast<DWORD>(type);
        break;
      }
      case CapsFieldKind::kDecimal:
        value = it->get<DWORD>();
        break;
      case CapsFieldKind::kFloat: {
        const float number = it->is_null() ? 0.0f : it->get<float>();
        std::memcpy(&value, &number, sizeof value);
        break;
      }
      case CapsFieldKind::kShaderVersion:
        value = ShaderVersion(it->get<std::string>());
        break;
      case CapsFieldKind::kFlags:
        for (const json& name : *it) {
          const std::string text = name.get<std::string>();
          for (std::size_t i = 0; i < field.count; ++i) {
            if (text == field.table[i].name) value |= field.table[i].flag;
          }
        }
        break;
    }
    std::memcpy(reinterpret_cast<char*>(&caps) + field.offset, &value, sizeof value);
  }
}

// The block names of "notRead" in a mode-info record of the JSON.
int BlockOf(const std::string& name) {
  if (name == "multiSampleTypes") return kMultiSampleBlock;
  if (name == "depthStencilFormats") return kDepthStencilBlock;
  if (name == "caps") return kCapsBlock;
  if (name == "displayModes") return kDisplayModeBlock;
  for (int kind = 0; kind < vexaSDK::DX8::kFormatTableCount; ++kind) {
    if (name == vexaSDK::DX8::kFormatTableInfo[kind].label) return kFirstFormatBlock + kind;
  }
  return -1;
}

void ModeInfo(const json& object, std::size_t adapter, const D3DADAPTER_IDENTIFIER8& id,
              CReadEnumMode& records, std::vector<ModeInfoLines>& lines) {
  D3DDEVTYPE type = D3DDEVTYPE_HAL;
  vexaSDK::DX8::GetDevTypeByName(object.at("deviceType").get<std::string>(), type);
  CReadModeInfo record(static_cast<UINT>(adapter), id, type,
                       object.at("windowed").get<bool>() ? TRUE : FALSE);
  ModeInfoLines at;
  at.header = object.at("line").get<std::size_t>();
  const std::size_t line = at.header != 0 ? at.header : 1;
  at.multiSamples = at.depthStencils = at.caps = at.displayModes = line;
  for (std::size_t& format : at.formats) format = line;
  bool broken = false;
  for (const json& entry : object.at("multiSampleTypes")) {
    std::vector<D3DMULTISAMPLE_TYPE> types;
    for (const json& name : entry.at("types")) {
      D3DMULTISAMPLE_TYPE sampleType;
      if (vexaSDK::DX8::GetMultiSampleByName(name.get<std::string>(), sampleType))
        types.push_back(sampleType);
      else
        broken = true;
    }
    record.MultiSamples()[{Format(entry.at("displayFormat"), broken),
                           Format(entry.at("backBufferFormat"), broken)}] = types;
  }
  if (broken) at.broken |= 1u << kMultiSampleBlock;
  broken = false;
  for (const json& entry : object.at("depthStencilFormats")) {
    record.DepthStencils()[{Format(entry.at("displayFormat"), broken),
                            Format(entry.at("backBufferFormat"), broken)}] =
        Formats(entry.at("formats"), broken);
  }
  if (broken) at.broken |= 1u << kDepthStencilBlock;
  const json& tables = object.at("formats");
  for (int kind = 0; kind < vexaSDK::DX8::kFormatTableCount; ++kind) {
    broken = false;
    const auto table = tables.find(vexaSDK::DX8::kFormatTableInfo[kind].label);
    if (table == tables.end()) {
      broken = true;
    } else {
      for (const json& entry : *table)
        record.Formats(kind)[Format(entry.at("displayFormat"), broken)] =
            Formats(entry.at("formats"), broken);
    }
    if (broken) at.broken |= 1u << (kFirstFormatBlock + kind);
  }
  broken = false;
  Caps(object.at("caps"), record.Caps(), broken);
  if (broken) at.broken |= 1u << kCapsBlock;
  broken = false;
  for (const json& mode : object.at("displayModes")) {
    record.DisplayModes().emplace_back(mode.at("width").get<UINT>(), mode.at("height").get<UINT>(),
                                       mode.at("refreshRate").get<UINT>(), Format(mode.at("format"), broken),
                                       Format(mode.at("backBufferFormat"), broken));
  }
  if (broken) at.broken |= 1u << kDisplayModeBlock;
  const auto notRead = object.find("notRead");
  if (notRead != object.end()) {
    for (const json& name : *notRead) {
      const int block = BlockOf(name.get<std::string>());
      if (block >= 0) at.broken |= 1u << block;
    }
  }
  if (at.broken != 0) at.problem = line;
  records.Add(std::move(record));
  lines.push_back(at);
}

}  // namespace

bool ReportFromJson(const std::string& line, EnvReport& report, std::string& file) {
  try {
    const json object = json::parse(line);
    report = EnvReport();
    // The line's texts are UTF-8, whatever the report's own code page was.
    report.encoding = Encoding::kUtf8;
    report.codePage = kUtf8CodePage;
    file = object.at("file").get<std::string>();
    report.lineCount = object.at("lines").get<std::size_t>();
    const json& problem = object.at("problem");
    if (!problem.is_null())
      report.problem =
          Problem{problem.at("line").get<std::size_t>(), problem.at("message").get<std::string>()};
    for (const json& section : object.at("diagnostics")) {
      DiagSection read;
      read.line = section.at("line").get<std::size_t>();
      read.title = section.at("title").get<std::string>();
      for (const json& entry : section.at("lines")) {
        DiagLine diag;
        diag.line = entry.at("line").get<std::size_t>();
        diag.entry = entry.contains("label");
        if (diag.entry) diag.label = entry.at("label").get<std::string>();
        diag.value = entry.at(diag.entry ? "value" : "text").get<std::string>();
        diag.cut = entry.value("cut", false);
        read.lines.push_back(std::move(diag));
      }
      report.diagnostics.push_back(std::move(read));
    }
    report.deviceInfoLine = object.at("deviceInfoLine").get<std::size_t>();
    auto records = std::make_shared<CReadEnumMode>();
    const json& adapters = object.at("adapters");
    for (std::size_t a = 0; a < adapters.size(); ++a) {
      const json& adapter = adapters[a];
      D3DADAPTER_IDENTIFIER8 id = {};
      AdapterLines at;
      at.block = adapter.at("line").get<std::size_t>();
      for (std::size_t& field : at.fields) field = at.block != 0 ? at.block : 1;
      // A field the report did not give is null: it stays not read.
      const auto field = [&adapter, &at](const char* key, IdentifierField which) -> const json* {
        const json& value = adapter.at(key);
        if (!value.is_null()) return &value;
        at.broken |= 1u << which;
        return nullptr;
      };
      if (const json* text = field("description", kDeviceField)) {
        CopyText(text->get<std::string>(), id.Description, sizeof id.Description);
      }
      if (const json* text = field("driver", kDriverField))
        CopyText(text->get<std::string>(), id.Driver, sizeof id.Driver);
      if (const json* text = field("driverVersion", kVersionField)) {
        if (!ParseDriverVersion(text->get<std::string>(), id.DriverVersion)) at.broken |= 1u << kVersionField;
      }
      if (const json* value = field("vendorId", kVendorIdField)) id.VendorId = value->get<DWORD>();
      if (const json* value = field("deviceId", kDeviceIdField)) id.DeviceId = value->get<DWORD>();
      if (const json* value = field("subSysId", kSubSysIdField)) id.SubSysId = value->get<DWORD>();
      if (const json* value = field("revision", kRevisionField)) id.Revision = value->get<DWORD>();
      if (const json* value = field("whqlLevel", kWHQLLevelField)) id.WHQLLevel = value->get<DWORD>();
      if (const json* text = field("deviceIdentifier", kDeviceIdentifierField)) {
        if (!ParseGuid(text->get<std::string>(), id.DeviceIdentifier))
          at.broken |= 1u << kDeviceIdentifierField;
      }
      const auto notRead = adapter.find("notRead");
      if (notRead != adapter.end()) {
        for (const json& name : *notRead) {
          for (int f = 0; f < kIdentifierFieldCount; ++f) {
            if (name.get<std::string>() == kIdentifierKeys[f]) at.broken |= 1u << f;
          }
        }
      }
      records->Identifiers().push_back(id);
      report.adapterLines.push_back(at);
      for (const json& record : adapter.at("modeInfos"))
        ModeInfo(record, a, id, *records, report.modeInfoLines);
    }
    report.devices = std::move(records);
    // A report read with problems whose line says nothing of where: nothing
    // in it reads as whole.
    if (report.problem && object.at("whole").get<bool>() == false) {
      bool named = false;
      for (const AdapterLines& at : report.adapterLines) named = named || at.broken != 0;
      for (const ModeInfoLines& at : report.modeInfoLines) named = named || at.broken != 0;
      if (!named && !adapters.empty() && !adapters[0].contains("notRead")) {
        for (AdapterLines& at : report.adapterLines) at.broken = ~0u;
        for (ModeInfoLines& at : report.modeInfoLines) at.broken = ~0u;
      }
    }
    return true;
  } catch (const json::exception&) {
    return false;
  }
}

namespace {

class ReportFile {
 public:
  explicit ReportFile(const std::string& path) : file_(platform::OpenForReading(path.c_str())) {}
  ~ReportFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

// The lines of a file read in blocks; the first block may be given.
class LineReader {
 public:
  LineReader(std::FILE* file, std::string first, std::size_t at)
      : file_(file), buffer_(std::move(first)), at_(at) {}

  // The next line without its end; false at the end of the file. A line
  // longer than the limit is read on but given empty, with `tooLong` set.
  bool Next(std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    bool any = false;
    for (;;) {
      if (at_ == buffer_.size() && !Fill()) break;
      any = true;
      const char* begin = buffer_.data() + at_;
      const std::size_t left = buffer_.size() - at_;
      const char* end = static_cast<const char*>(std::memchr(begin, '\n', left));
      const std::size_t take = end != nullptr ? static_cast<std::size_t>(end - begin) : left;
      tooLong = tooLong || line.size() + take > kMaxJsonLine;
      if (tooLong)
        line.clear();
      else
        line.append(begin, take);
      at_ += take;
      if (end != nullptr) {
        ++at_;
        break;
      }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
  }

  bool Fill() {
    buffer_.resize(kBlock);
    buffer_.resize(std::fread(&buffer_[0], 1, kBlock, file_));
    at_ = 0;
    return !buffer_.empty();
  }

  std::string& Buffer() { return buffer_; }

 private:
  static const std::size_t kBlock = 1 << 16;
  std::FILE* file_;
  std::string buffer_;
  std::size_t at_;
};

struct Context {
  Fleet& fleet;
  const FleetRun& run;
  const TextSink& err;
  const Requirements* requirements;
  bool whole = true;
};

void Unreadable(Context& context, const std::string& why) {
  context.err("vexaEnvReader: " + TerminalText(why) + "\n");
  context.fleet.AddUnreadable();
  context.whole = false;
}

void Aggregate(Context& context, const std::string& name, const EnvReport& report) {
  if (report.problem) {
    context.err("vexaEnvReader: " + TerminalText(name) + ":" + std::to_string(report.problem->line) + ": " +
                TerminalText(report.problem->message) + "\n");
    context.whole = false;
  }
  context.fleet.Add(FactsOf(report, context.requirements));
}

void ReadJsonLines(Context& context, const std::string& path, std::FILE* file, LineReader& lines) {
  std::string line, name;
  bool tooLong = false;
  for (std::size_t number = 1; lines.Next(line, tooLong); ++number) {
    if (!tooLong && line.find_first_not_of(" \t") == std::string::npos) continue;
    EnvReport report;
    if (!tooLong && ReportFromJson(line, report, name)) {
      Aggregate(context, path + ":" + std::to_string(number) + " (" + name + ")", report);
    } else {
      Unreadable(context, path + ":" + std::to_string(number) + ": not a report line of --json");
    }
  }
  if (std::ferror(file)) {
    context.err("vexaEnvReader: cannot read " + TerminalText(path) + "\n");
    context.whole = false;
  }
}

void ReadPath(Context& context, const std::string& path) {
  const std::string shown = platform::PathToUtf8(path);
  ReportFile file(path);
  if (file.get() != nullptr) {
    // The first byte tells a JSON Lines file from a report.
    LineReader lines(file.get(), std::string(), 0);
    lines.Fill();
    std::string& bytes = lines.Buffer();
    const std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (!std::ferror(file.get()) && bytes.size() > start && bytes[start] == '{') {
      LineReader json(file.get(), bytes, start);
      ReadJsonLines(context, shown, file.get(), json);
      return;
    }
    // A report is read up to the limit and one byte more, so an endless
    // source ends the read.
    char buffer[65536];
    std::size_t got;
    while (!std::ferror(file.get()) && bytes.size() <= context.run.maxSize &&
           (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
      bytes.append(buffer, got);
    }
    if (bytes.size() > context.run.maxSize) {
      Unreadable(context,
                 shown + " is larger than " + context.run.maxSizeText + " (--max-size changes the limit)");
      return;
    }
    if (!std::ferror(file.get())) {
      Aggregate(context, shown, ReadReport(bytes, context.run.encoding));
      return;
    }
  }
  Unreadable(context, "cannot read " + shown);
}

}  // namespace

int RunFleet(const FleetRun& run, const TextSink& out, const TextSink& err) {
  Requirements requirements;
  Fleet fleet;
  if (!run.requirePath.empty()) {
    RequirementsError error;
    if (!ReadRequirementsFile(run.requirePath, requirements, error)) {
      err("vexaEnvReader: " + TerminalText(FormatRequirementsError(run.requirePath, error)) + "\n");
      return 2;
    }
    fleet.FixRows(kRequirementCategory, VerdictRows());
    std::vector<std::string> rows;
    for (const Requirement& requirement : requirements.requirements) rows.push_back(LeftOutRow(requirement));
    fleet.FixRows(kLeftOutCategory, std::move(rows));
  }
  Context context{fleet, run, err, run.requirePath.empty() ? nullptr : &requirements};
  for (const std::string& path : run.paths) ReadPath(context, path);
  const FleetResult result = fleet.Result();
  if (run.output == "json") {
    out(FleetToJson(result));
  } else if (run.output == "csv") {
    // The CSV's own CR LF, not a text mode's CR CR LF: an empty row after
    // each in a spreadsheet.
    platform::StandardOutputBinary();
    out(FleetToCsv(result));
  } else if (run.output == "html") {
    out(FleetToHtml(result));
  } else {
    out(FleetToText(result));
  }
  return context.whole ? 0 : 1;
}

}  // namespace vexaEnvReader
