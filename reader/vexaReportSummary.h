// What a support desk checks first in a report: the machine, each adapter's
// key figures, and notes on the usual causes of trouble, each with the report
// line it comes from.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/PciNames.h"
#include "reader/vexaMailRepair.h"
#include "reader/vexaReportParser.h"

namespace vexaEnvReader {

struct AdapterSummary {
  std::size_t line = 0;               // "< Device Info >"
  std::string name, driver, version;  // UTF-8
  unsigned long vendorId = 0, deviceId = 0;
  platform::PciNames pciNames;
  unsigned long whqlLevel = 0;
  // A bit (1 << IdentifierField) per identifier field not read: its value
  // above is no fact.
  unsigned unread = 0;
  bool Read(IdentifierField field) const { return (unread & (1u << field)) == 0; }
  // Whether the hardware records have display modes; none when a record's
  // display-mode block was not read whole.
  std::optional<bool> hardwareFullScreen, hardwareWindowed;
  // The figures below are the hardware device's; none without one, as the
  // reference rasteriser's are no machine's.
  std::string figuresFrom;  // "D3DDEVTYPE_HAL" or ""
  unsigned long maxTextureWidth = 0, maxTextureHeight = 0;
  std::string vertexShader, pixelShader;
  std::size_t modeCount = 0;  // distinct size, rate and display format
  std::string largestMode;    // "1920 x 1080 (D3DFMT_X8R8G8B8, 60Hz)"; empty without modes
  std::vector<std::string> compressedFormats;
};

struct Note {
  std::size_t line = 0;
  std::string text;
};

// A display device of the diagnostic text's "Display Devices" section; its
// texts are empty when the report does not give them.
struct DisplayDevice {
  std::size_t line = 0;  // its "Card name" entry
  std::string name, manufacturer, chipType, displayMemory, dedicatedMemory, currentMode, driverVersion;
  std::optional<std::size_t> adapter;  // index of the Direct3D adapter it is, if any
};

struct Summary {
  std::string time, operatingSystem, processor, memory, directX;  // empty when not in the report
  // What the desk must know before anything else; empty when nothing is.
  std::string headline;
  std::vector<DisplayDevice> displayDevices;
  std::vector<AdapterSummary> adapters;
  std::vector<Note> notes;
};

using PciLookup = std::function<platform::PciNames(unsigned vendorId, unsigned deviceId)>;

Summary Summarize(const EnvReport& report, const PciLookup& lookUp);

// One screen of UTF-8 text; `name` heads it.
std::string FormatSummary(const std::string& name, const EnvReport& report, const Summary& summary);

// "cp1252 (detected)": how the report's text was read.
std::string EncodingText(const EnvReport& report);

// "full screen yes, windowed (not read)".
std::string HardwareText(const AdapterSummary& adapter);

// "trailing blanks, tabs turned into spaces" of MailRepair bits.
std::string RepairText(unsigned repairs);

extern const char kNoHardwareHeadline[];
extern const char kNotRead[];  // "(not read)"

// "D7B71E3E-4062-11CF-634E-A1051BC2DA35", as the report writes a GUID.
// "0x1002": a PCI id as the summary shows it.
std::string Hex4(unsigned long value);

std::string GuidText(const GUID& guid);

// A capability field other than a flag group as the report writes its value.
std::string CapsValueText(const vexaSDK::DX8::CapsField& field, const D3DCAPS8& caps);

// "a.b.c.d" of a driver version, as the report writes it.
std::string DriverVersionText(const LARGE_INTEGER& version);

}  // namespace vexaEnvReader
