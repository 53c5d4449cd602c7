// The naive device report: every piece through the stream's own operator<<.
#include "vexaNaiveReport.h"

#include <iomanip>

#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaBench {
namespace {

using namespace vexaSDK::DX8;

void NaiveWriteDisplayMode(std::ostream& out, const CDisplayMode& mode) {
  out << ' ' << mode.Width << " x " << mode.Height << " (" << GetFormatName(mode.Format) << " - "
      << GetFormatName(mode.BackBufferFormat) << ") (" << mode.RefreshRate << "Hz)" << std::endl;
}

template <typename Table, typename NameOf>
void NaiveWritePairTable(std::ostream& out, const char* header, const Table& table, NameOf nameOf) {
  out << header << '\n';
  for (const auto& entry : table) {
    out << "Mode: " << GetFormatName(entry.first.DisplayFormat) << " - "
        << GetFormatName(entry.first.BackBufferFormat) << '\n';
    for (const auto item : entry.second) out << ' ' << nameOf(item) << '\n';
    out << std::endl;
  }
}

void NaiveWriteFormatList(std::ostream& out, const FormatTable& table, const char* label) {
  out << "< " << label << " >\n";
  for (const auto& entry : table) {
    out << "Mode: " << GetFormatName(entry.first) << '\n';
    for (const D3DFORMAT format : entry.second) out << ' ' << GetFormatName(format) << '\n';
    out << std::endl;
  }
}

void NaiveWriteDeviceCaps(std::ostream& out, const D3DCAPS8& caps) {
  out << "< DeviceCaps >\n";
  for (const CapsField& field : kCapsFields) {
    const DWORD value = ReadCapsDword(caps, field.offset);
    switch (field.kind) {
      case CapsFieldKind::kDevType:
        out << "DeviceType: " << GetDevTypeName(caps.DeviceType) << '\n';
        break;
      case CapsFieldKind::kDecimal:
        out << field.label << ": " << value << '\n';
        break;
      case CapsFieldKind::kFloat:
        out << field.label << ": " << ReadCapsFloat(caps, field.offset) << '\n';
        break;
      case CapsFieldKind::kShaderVersion:
        out << field.label << ": " << ((value >> 8) & 0xFF) << '.' << (value & 0xFF) << '\n';
        break;
      case CapsFieldKind::kFlags:
        out << field.label << " {\n";
        for (std::size_t i = 0; i < field.count; ++i) {
          if ((value & field.table[i].flag) == field.table[i].flag)
            out << '\t' << field.table[i].name << '\n';
        }
        out << "}\n";
        break;
    }
  }
  out << std::endl;
}

void NaiveWriteModeInfo(std::ostream& out, const CModeInfo& record) {
  out << "***** " << GetDevTypeName(record.DeviceType()) << (record.Windowed() ? " Window" : " FullScreen")
      << " Mode Info *****\n\n";
  NaiveWritePairTable(out, "< MultiSampleType Info >", record.MultiSamples(), GetMultiSampleName);
  NaiveWritePairTable(out, "< DepthStencilFormat Info >", record.DepthStencils(), GetFormatName);
  for (int kind = 0; kind < kFormatTableCount; ++kind) {
    NaiveWriteFormatList(out, record.Formats(static_cast<FormatTableKind>(kind)),
                         kFormatTableInfo[kind].label);
  }
  NaiveWriteDeviceCaps(out, record.Caps());
  out << "< DisplayMode Info >\n";
  for (const CDisplayMode& mode : record.DisplayModes()) NaiveWriteDisplayMode(out, mode);
  out << std::endl;
}

void NaiveWriteIdentifier(std::ostream& out, const D3DADAPTER_IDENTIFIER8& id) {
  const std::ios_base::fmtflags flags = out.flags();
  const DWORD high = static_cast<DWORD>(id.DriverVersion.HighPart);
  const DWORD low = id.DriverVersion.LowPart;
  out << "< Device Info >\n"
      << "Device: " << id.Description << '\n'
      << "Driver: " << id.Driver << '\n'
      << "Version: " << (high >> 16) << '.' << (high & 0xFFFF) << '.' << (low >> 16) << '.' << (low & 0xFFFF)
      << '\n';
  out << std::hex << std::uppercase << std::setfill('0');
  out << "VendorId: 0x" << std::setw(8) << id.VendorId << '\n'
      << "DeviceId: 0x" << std::setw(8) << id.DeviceId << '\n'
      << "SubSysId: 0x" << std::setw(8) << id.SubSysId << '\n';
  out.flags(flags);
  out << "Revision: " << id.Revision << '\n';
  const GUID& guid = id.DeviceIdentifier;
  out << "DeviceIdentifier: " << std::hex << std::uppercase << std::setw(8) << guid.Data1 << '-'
      << std::setw(4) << guid.Data2 << '-' << std::setw(4) << guid.Data3 << '-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) out << '-';
    out << std::setw(2) << static_cast<unsigned>(guid.Data4[i]);
  }
  out.flags(flags);
  out << "\nWHQLLevel: " << id.WHQLLevel << '\n' << std::endl;
}

}  // namespace

void NaiveWriteDeviceInfo(std::ostream& out, const CDGEnumMode& enumeration) {
  const std::vector<CModeInfo>& records = enumeration.ModeInfos();
  for (std::size_t i = 0; i < enumeration.Identifiers().size(); ++i) {
    NaiveWriteIdentifier(out, enumeration.Identifiers()[i]);
    for (std::size_t r = 4 * i; r < 4 * i + 4 && r < records.size(); ++r) NaiveWriteModeInfo(out, records[r]);
  }
}

}  // namespace vexaBench
