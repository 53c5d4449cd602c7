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
#include "reader/vexaReportParser.h"

namespace vexaEnvReader {

struct AdapterSummary {
  std::size_t line = 0;  // "< Device Info >"
  std::string name, driver, version;  // UTF-8
  unsigned long vendorId = 0, deviceId = 0;
  platform::PciNames pciNames;
  unsigned long whqlLevel = 0;
  // Whether the hardware records have display modes; none when a record's
  // display-mode block was not read whole.
  std::optional<bool> hardwareFullScreen, hardwareWindowed;
  // The figures below are the hardware device's, else the reference
  // rasteriser's; none when the report has neither.
  std::string figuresFrom;  // "D3DDEVTYPE_HAL", "D3DDEVTYPE_REF" or ""
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

struct Summary {
  std::string time, operatingSystem, processor, memory, directX;  // empty when not in the report
  std::vector<AdapterSummary> adapters;
  std::vector<Note> notes;
};

using PciLookup = std::function<platform::PciNames(unsigned vendorId, unsigned deviceId)>;

Summary Summarize(const EnvReport& report, const PciLookup& lookUp);

// One screen of UTF-8 text; `name` heads it.
std::string FormatSummary(const std::string& name, const EnvReport& report, const Summary& summary);

// An identifier text of the records (code page 932, up to its NUL) in UTF-8.
std::string IdentifierText(const char* field, std::size_t capacity);

// "full screen yes, windowed (not read)".
std::string HardwareText(const AdapterSummary& adapter);

// "D7B71E3E-4062-11CF-634E-A1051BC2DA35", as the report writes a GUID.
std::string GuidText(const GUID& guid);

// A capability field other than a flag group as the report writes its value.
std::string CapsValueText(const vexaSDK::DX8::CapsField& field, const D3DCAPS8& caps);

// "a.b.c.d" of a driver version, as the report writes it.
std::string DriverVersionText(const LARGE_INTEGER& version);

}  // namespace vexaEnvReader
