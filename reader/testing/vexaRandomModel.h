// Test support: runtime models drawn at random, the way the enumeration tests
// script theirs, and the enumeration the framework makes of one.
#pragma once

#include <memory>
#include <random>
#include <string>

#include "platform/D3D8Model.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaEnvReader {
namespace testkit {

// Up to `maxAdapters` adapters with identifiers (texts with code page 932
// Japanese among them), display modes of named formats, and device types
// that accept random pairs, multisample types, formats and depth-stencil
// matches, with random capability records (every bit pattern, floats too).
std::shared_ptr<platform::d3d8::CRuntimeModel> RandomModel(std::mt19937& random, int maxAdapters = 3);

// What WriteDeviceInfo writes for `enumeration`.
std::string WrittenDeviceInfo(const vexaSDK::DX8::CDGEnumMode& enumeration);

// A whole report as the tool leaves it: `diagnostic`, the section header and
// the text of `model`, with CR LF line ends.
std::string WrittenReport(const std::string& diagnostic,
                          const std::shared_ptr<platform::d3d8::CRuntimeModel>& model);

std::string WrittenReport(const std::string& diagnostic, const vexaSDK::DX8::CDGEnumMode& enumeration);

// "\n" to "\r\n", as the report file's text mode writes it.
std::string WithCrLf(const std::string& text);

}  // namespace testkit
}  // namespace vexaEnvReader

namespace vexaEnvReader {
namespace testkit {

// Two adapters a support desk tells apart at a glance: a WHQL-signed
// hardware adapter with compressed formats and shaders 1.1, and a driver
// without a hardware device, WHQL level, 32-bit mode, compressed format or
// shaders. `newer` gives the first adapter a later driver, larger textures,
// one more flag and one more display mode, and takes DXT5 away.
std::string SampleReport(bool newer = false);

}  // namespace testkit
}  // namespace vexaEnvReader
