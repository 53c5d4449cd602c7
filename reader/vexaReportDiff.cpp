#include "reader/vexaReportDiff.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "reader/vexaReportSummary.h"
#include "reader/vexaTerminalText.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

namespace vexaEnvReader {
namespace {

using vexaSDK::DX8::CapsFieldKind;
using vexaSDK::DX8::CModeInfo;
using vexaSDK::DX8::GetFormatName;
using vexaSDK::DX8::kCapsFields;
using vexaSDK::DX8::ReadCapsDword;

// Every text of a report or a file name reaches the terminal escaped.

// A record seen as named values and as sets of items per group.
struct Facts {
  std::vector<std::pair<std::string, std::string>> values;  // in report order
  std::vector<std::pair<std::string, std::string>> items;   // (group, item), in report order
};

std::string Hex8(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

// A field not read compares as not read, not as the zero it was left at.
Facts IdentifierFacts(const EnvReport& report, const D3DADAPTER_IDENTIFIER8& id, const AdapterLines& at) {
  Facts facts;
  facts.values = {{"Device", IdentifierText(report, id.Description, sizeof id.Description)},
                  {"Driver", IdentifierText(report, id.Driver, sizeof id.Driver)},
                  {"Version", DriverVersionText(id.DriverVersion)},
                  {"VendorId", Hex8(id.VendorId)},
                  {"DeviceId", Hex8(id.DeviceId)},
                  {"SubSysId", Hex8(id.SubSysId)},
                  {"Revision", std::to_string(id.Revision)},
                  {"DeviceIdentifier", GuidText(id.DeviceIdentifier)},
                  {"WHQLLevel", std::to_string(id.WHQLLevel)}};
  for (std::size_t field = 0; field < facts.values.size(); ++field) {
    if (!at.Read(static_cast<IdentifierField>(field))) facts.values[field].second = kNotRead;
  }
  return facts;
}

void AddFormats(Facts& facts, const std::string& group, const std::vector<D3DFORMAT>& formats) {
  for (const D3DFORMAT format : formats) facts.items.emplace_back(group, GetFormatName(format));
}

Facts RecordFacts(const CModeInfo& info) {
  Facts facts;
  const D3DCAPS8& caps = info.Caps();
  for (const auto& field : kCapsFields) {
    if (field.kind != CapsFieldKind::kFlags) {
      facts.values.emplace_back(field.label, CapsValueText(field, caps));
      continue;
    }
    const DWORD value = ReadCapsDword(caps, field.offset);
    for (std::size_t i = 0; i < field.count; ++i) {
      if ((value & field.table[i].flag) == field.table[i].flag)
        facts.items.emplace_back(field.label, field.table[i].name);
    }
  }
  for (const auto& entry : info.MultiSamples()) {
    const std::string group = std::string("MultiSampleType ") + GetFormatName(entry.first.DisplayFormat) +
                              " - " + GetFormatName(entry.first.BackBufferFormat);
    for (const auto type : entry.second)
      facts.items.emplace_back(group, vexaSDK::DX8::GetMultiSampleName(type));
  }
  for (const auto& entry : info.DepthStencils()) {
    AddFormats(facts,
               std::string("DepthStencilFormat ") + GetFormatName(entry.first.DisplayFormat) + " - " +
                   GetFormatName(entry.first.BackBufferFormat),
               entry.second);
  }
  for (int kind = 0; kind < vexaSDK::DX8::kFormatTableCount; ++kind) {
    for (const auto& entry : info.Formats(static_cast<vexaSDK::DX8::FormatTableKind>(kind))) {
      AddFormats(facts,
                 std::string(vexaSDK::DX8::kFormatTableInfo[kind].label) + " " + GetFormatName(entry.first),
                 entry.second);
    }
  }
  for (const auto& mode : info.DisplayModes()) {
    facts.items.emplace_back("DisplayMode", std::to_string(mode.Width) + " x " + std::to_string(mode.Height) +
                                                " (" + GetFormatName(mode.Format) + " - " +
                                                GetFormatName(mode.BackBufferFormat) + ") (" +
                                                std::to_string(mode.RefreshRate) + "Hz)");
  }
  return facts;
}

void Compare(const Facts& a, const Facts& b, const std::string& indent, std::string& out) {
  std::map<std::string, std::string> valuesB(b.values.begin(), b.values.end());
  for (const auto& value : a.values) {
    const auto other = valuesB.find(value.first);
    if (other != valuesB.end() && other->second != value.second) {
      out += indent + value.first + ": - " + TerminalText(value.second) + "\n" + indent + value.first +
             ": + " + TerminalText(other->second) + "\n";
    }
  }
  const std::set<std::pair<std::string, std::string>> setA(a.items.begin(), a.items.end());
  const std::set<std::pair<std::string, std::string>> setB(b.items.begin(), b.items.end());
  for (const auto& item : a.items) {
    if (setB.count(item) == 0) out += indent + item.first + ": - " + TerminalText(item.second) + "\n";
  }
  for (const auto& item : b.items) {
    if (setA.count(item) == 0) out += indent + item.first + ": + " + TerminalText(item.second) + "\n";
  }
}

std::string RecordName(const CModeInfo& info) {
  return std::string(vexaSDK::DX8::GetDevTypeName(info.DeviceType())) +
         (info.Windowed() ? " Window" : " FullScreen");
}

std::string AdapterName(const EnvReport& report, std::size_t a, const D3DADAPTER_IDENTIFIER8& id) {
  return "Adapter " + std::to_string(a + 1) + " (" +
         TerminalText(IdentifierText(report, id.Description, sizeof id.Description)) + ")";
}

// The records of one adapter, each with how many of the same name stand
// before it: the k-th record of a name pairs with the k-th of that name in
// the other report, should a report hold more than one.
struct NamedRecords {
  std::vector<const CModeInfo*> records;
  std::vector<std::size_t> rank;
  std::map<std::pair<std::string, std::size_t>, const CModeInfo*> byName;
};

NamedRecords RecordsOf(const EnvReport& report, const std::vector<std::size_t>& indexes) {
  NamedRecords named;
  std::map<std::string, std::size_t> seen;
  for (const std::size_t r : indexes) {
    const CModeInfo* info = &report.devices->ModeInfos()[r];
    const std::size_t k = seen[RecordName(*info)]++;
    named.records.push_back(info);
    named.rank.push_back(k);
    named.byName.emplace(std::make_pair(RecordName(*info), k), info);
  }
  return named;
}

const CModeInfo* PairOf(const NamedRecords& from, std::size_t index, const NamedRecords& in) {
  const auto found = in.byName.find({RecordName(*from.records[index]), from.rank[index]});
  return found != in.byName.end() ? found->second : nullptr;
}

}  // namespace

std::string DiffReports(const std::string& nameA, const EnvReport& a, const std::string& nameB,
                        const EnvReport& b) {
  std::string body;
  Facts machineA, machineB;
  for (const char* label : {"Operating System", "Processor", "Memory", "DirectX Version", "Language"}) {
    const DiagLine* lineA = a.FindEntry(label);
    const DiagLine* lineB = b.FindEntry(label);
    machineA.values.emplace_back(label, lineA ? lineA->value : "(not in the report)");
    machineB.values.emplace_back(label, lineB ? lineB->value : "(not in the report)");
  }
  std::string machine;
  Compare(machineA, machineB, "  ", machine);
  if (!machine.empty()) body += "Machine\n" + machine;

  const auto& idsA = a.devices->Identifiers();
  const auto& idsB = b.devices->Identifiers();
  const auto byAdapterA = RecordsByAdapter(a);
  const auto byAdapterB = RecordsByAdapter(b);
  for (std::size_t n = 0; n < std::max(idsA.size(), idsB.size()); ++n) {
    if (n >= idsB.size()) {
      body += "- " + AdapterName(a, n, idsA[n]) + "\n";
      continue;
    }
    if (n >= idsA.size()) {
      body += "+ " + AdapterName(b, n, idsB[n]) + "\n";
      continue;
    }
    std::string adapter;
    Compare(IdentifierFacts(a, idsA[n], a.adapterLines[n]), IdentifierFacts(b, idsB[n], b.adapterLines[n]),
            "  ", adapter);
    const NamedRecords recordsA = RecordsOf(a, byAdapterA[n]);
    const NamedRecords recordsB = RecordsOf(b, byAdapterB[n]);
    for (std::size_t r = 0; r < recordsA.records.size(); ++r) {
      const CModeInfo* recordB = PairOf(recordsA, r, recordsB);
      if (recordB == nullptr) {
        adapter += "  - " + RecordName(*recordsA.records[r]) + "\n";
        continue;
      }
      std::string record;
      Compare(RecordFacts(*recordsA.records[r]), RecordFacts(*recordB), "    ", record);
      if (!record.empty()) adapter += "  " + RecordName(*recordsA.records[r]) + "\n" + record;
    }
    for (std::size_t r = 0; r < recordsB.records.size(); ++r) {
      if (PairOf(recordsB, r, recordsA) == nullptr)
        adapter += "  + " + RecordName(*recordsB.records[r]) + "\n";
    }
    if (!adapter.empty()) body += AdapterName(a, n, idsA[n]) + "\n" + adapter;
  }
  // What a broken report could not give would read as lost or changed.
  std::string warnings;
  for (const auto& [name, report] : {std::pair<const std::string&, const EnvReport&>(nameA, a), {nameB, b}}) {
    if (report.problem) {
      warnings += "! " + TerminalText(name) + " was not read whole (line " +
                  std::to_string(report.problem->line) + ": " + TerminalText(report.problem->message) +
                  "); what it lacks may only be unread\n";
    }
  }
  return "--- " + TerminalText(nameA) + "\n+++ " + TerminalText(nameB) + "\n" + warnings +
         (body.empty() ? "No differences.\n" : body);
}

}  // namespace vexaEnvReader
