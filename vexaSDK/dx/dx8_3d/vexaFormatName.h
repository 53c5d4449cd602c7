// Published constant names of Direct3D 8 formats, multisample types and device
// types, as the device report shows them. Every value has a name: values
// without one of their own get the fixed fallback of their lookup.
#pragma once

#include <string_view>

#include "platform/D3D8.h"

namespace vexaSDK {
namespace DX8 {

// "D3DFMT_UNKNOWN" for every value that is not one of the named formats.
const char* GetFormatName(D3DFORMAT format);

// "D3DMULTISAMPLE_NONE" for every value outside 2 to 16.
const char* GetMultiSampleName(D3DMULTISAMPLE_TYPE type);

// "D3DDEVTYPE_HAL" for every value other than the reference and software types.
const char* GetDevTypeName(D3DDEVTYPE type);

// The reverse of the lookups above, for readers of the report: the value a
// published name stands for. The fallback names give the value they stand for
// themselves (0, 0 and D3DDEVTYPE_HAL), so writing the value again gives the
// name back. False for a text that is no name of the lookup.
bool GetFormatByName(std::string_view name, D3DFORMAT& format);
bool GetMultiSampleByName(std::string_view name, D3DMULTISAMPLE_TYPE& type);
bool GetDevTypeByName(std::string_view name, D3DDEVTYPE& type);

namespace internal {
// The same names with their lengths, for writers that append them by the
// thousand; each view is NUL-terminated.
std::string_view FormatName(D3DFORMAT format);
std::string_view MultiSampleName(D3DMULTISAMPLE_TYPE type);
std::string_view DevTypeName(D3DDEVTYPE type);
}  // namespace internal

}  // namespace DX8
}  // namespace vexaSDK
