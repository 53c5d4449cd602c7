// The one door to the Win32 API. Portable code includes this header and calls
// Win32 names exactly as on Windows; on other hosts the declarations come from
// the POSIX personality in internal/posix.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The shell and COM calls the framework makes.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#else
#include "platform/posix/Win32Api.h"
#endif
