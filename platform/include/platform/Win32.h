// The one door to the Win32 API. Portable code includes this header and calls
// Win32 names exactly as on Windows; on other hosts the declarations come from
// the POSIX stand-in (platform/posix).
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

namespace platform {
// The program's own texts are code page 932. These show them as Japanese on
// any system: where the ANSI code page is 932 they are MessageBoxA and
// ShellExecuteA, byte for byte; elsewhere they read every text as code page
// 932 and call the wide functions. The host's stand-in reads code page 932
// itself, so there they are the ANSI functions.
#ifdef _WIN32
int WINAPI MessageBox932(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
HINSTANCE WINAPI ShellExecute932(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                 LPCSTR directory, INT showCommand);
#else
inline constexpr auto& MessageBox932 = MessageBoxA;
inline constexpr auto& ShellExecute932 = ShellExecuteA;
#endif
}  // namespace platform
