// The one replaceable function through which every message box is shown.
#pragma once

#include <string>

#include "platform/Win32.h"

namespace vexaSDK {
namespace Common {

typedef int(WINAPI* MessageBoxFunction)(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

// The process-wide cell, made on first use holding MessageBoxA (on a system
// whose ANSI code page is not 932, the box that still shows the texts as
// Japanese) and deleted at process exit. Whoever knows better stores another
// function into it.
class MessageBoxEntry {
 public:
  MessageBoxEntry() : function(&platform::MessageBox932) {}

  // Null only when the cell cannot be allocated.
  static MessageBoxEntry* GetInstance();

  MessageBoxFunction function;
};

// Calls the entry's function; 0 (with the last error set) when there is no
// entry to call.
int ShowMessageBox(const std::string& text, const std::string& caption, UINT style, HWND owner);

}  // namespace Common
}  // namespace vexaSDK
