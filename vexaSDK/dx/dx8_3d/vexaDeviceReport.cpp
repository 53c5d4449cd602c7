// The "DeviceInfo" text: identifier blocks and mode-info sections. Every block
// ends with an empty line that flushes the stream; nothing else flushes.
#include "vexaSDK/dx/dx8_3d/internal/vexaReportText.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceCaps.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaSDK {
namespace DX8 {
namespace {

using internal::CReportText;
using internal::DevTypeName;
using internal::FormatName;
using internal::MultiSampleName;

const std::size_t kModeInfosPerAdapter = 4;

void AppendDisplayMode(CReportText& text, const CDisplayMode& mode) {
  text << ' ';
  text.Dec(mode.Width) << " x ";
  text.Dec(mode.Height) << " (" << FormatName(mode.Format) << " - " << FormatName(mode.BackBufferFormat)
                        << ") (";
  text.Dec(mode.RefreshRate) << "Hz)";
  text.EndBlock();
}

// Blocks keyed by a format pair: the "Mode:" line, then one item per line.
template <typename Table, typename NameOf>
void AppendPairTable(CReportText& text, const char* header, const Table& table, NameOf nameOf) {
  text << header << '\n';
  for (const auto& entry : table) {
    text << "Mode: " << FormatName(entry.first.DisplayFormat) << " - "
         << FormatName(entry.first.BackBufferFormat) << '\n';
    for (const auto item : entry.second) text << ' ' << nameOf(item) << '\n';
    text.EndBlock();
  }
}

void AppendFormatList(CReportText& text, const FormatTable& table, const char* label) {
  text << "< " << label << " >\n";
  for (const auto& entry : table) {
    text << "Mode: " << FormatName(entry.first) << '\n';
    for (const D3DFORMAT format : entry.second) text << ' ' << FormatName(format) << '\n';
    text.EndBlock();
  }
}

void AppendMultiSampleInfo(CReportText& text, const MultiSampleTable& table) {
  AppendPairTable(text, "< MultiSampleType Info >", table, MultiSampleName);
}

void AppendDepthStencilInfo(CReportText& text, const DepthStencilTable& table) {
  AppendPairTable(text, "< DepthStencilFormat Info >", table, FormatName);
}

void AppendIdentifier(CReportText& text, const D3DADAPTER_IDENTIFIER8& id) {
  const DWORD high = static_cast<DWORD>(id.DriverVersion.HighPart);
  const DWORD low = id.DriverVersion.LowPart;
  text << kDeviceInfoHeader << '\n';
  // A driver may fill the whole field without a terminating NUL.
  text << "Device: ";
  text.Field(id.Description, sizeof id.Description) << '\n';
  text << "Driver: ";
  text.Field(id.Driver, sizeof id.Driver) << "\nVersion: ";
  text.Dec(high >> 16) << '.';
  text.Dec(high & 0xFFFF) << '.';
  text.Dec(low >> 16) << '.';
  text.Dec(low & 0xFFFF) << "\nVendorId: 0x";
  text.Hex(id.VendorId, 8) << "\nDeviceId: 0x";
  text.Hex(id.DeviceId, 8) << "\nSubSysId: 0x";
  text.Hex(id.SubSysId, 8) << "\nRevision: ";
  text.Dec(id.Revision) << "\nDeviceIdentifier: ";
  const GUID& guid = id.DeviceIdentifier;
  text.Hex(guid.Data1, 8) << '-';
  text.Hex(guid.Data2, 4) << '-';
  text.Hex(guid.Data3, 4) << '-';
  text.Hex(guid.Data4[0], 2).Hex(guid.Data4[1], 2) << '-';
  for (int i = 2; i < 8; ++i) text.Hex(guid.Data4[i], 2);
  text << "\nWHQLLevel: ";
  text.Dec(id.WHQLLevel) << '\n';
  text.EndBlock();
}

}  // namespace

void CDisplayMode::WriteDisplayMode(std::ostream& stream) const {
  CReportText text(stream);
  AppendDisplayMode(text, *this);
  text.Finish();
}

void WriteFormatList(std::ostream& stream, const FormatTable& table, const char* label) {
  CReportText text(stream);
  AppendFormatList(text, table, label);
  text.Finish();
}

void CModeInfo::WriteMultiSampleInfo(std::ostream& stream) const {
  CReportText text(stream);
  AppendMultiSampleInfo(text, multiSamples_);
  text.Finish();
}

void CModeInfo::WriteDepthStencilInfo(std::ostream& stream) const {
  CReportText text(stream);
  AppendDepthStencilInfo(text, depthStencils_);
  text.Finish();
}

void CModeInfo::WriteModeInfo(std::ostream& stream) const {
  CReportText text(stream);
  WriteModeInfo(text);
  text.Finish();
}

void CModeInfo::WriteModeInfo(CReportText& text) const {
  text << kModeInfoPrefix << DevTypeName(deviceType_) << ModeInfoPresentation(windowed_) << kModeInfoSuffix
       << "\n\n";
  AppendMultiSampleInfo(text, multiSamples_);
  AppendDepthStencilInfo(text, depthStencils_);
  for (int kind = 0; kind < kFormatTableCount; ++kind) {
    AppendFormatList(text, formats_[kind], kFormatTableInfo[kind].label);
  }
  internal::WriteDeviceCaps(text, caps_);
  text << "< DisplayMode Info >\n";
  for (const CDisplayMode& mode : displayModes_) AppendDisplayMode(text, mode);
  text.EndBlock();
}

void CDGEnumMode::WriteDeviceInfo(std::ostream& stream) const {
  CReportText text(stream);
  for (std::size_t i = 0; i < identifiers_.size(); ++i) {
    AppendIdentifier(text, identifiers_[i]);
    // The records of adapter i are 4i to 4i+3; each adapter gets only its own.
    const std::size_t first = i * kModeInfosPerAdapter;
    for (std::size_t r = first; r < first + kModeInfosPerAdapter && r < modeInfos_.size(); ++r) {
      modeInfos_[r].WriteModeInfo(text);
    }
  }
  text.Finish();
  // The report leaves the stream zero-filled, as its hexadecimal fields did.
  if (!identifiers_.empty()) stream.fill('0');
}

}  // namespace DX8
}  // namespace vexaSDK
