// The one door to the Direct3D 8 runtime. On Windows the published headers; on
// other hosts our own declarations with the same layouts and values, served by
// the in-process runtime in platform/posix.
#pragma once

#include "platform/Win32.h"

#ifdef _WIN32
#include <d3d8.h>
#else
#include "platform/posix/D3D8Api.h"
#endif

// The symbolic name of an HRESULT ("D3DERR_NOTAVAILABLE"), or "Unknown".
const char* WINAPI DXGetErrorString8(HRESULT hr);
