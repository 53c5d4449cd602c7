// Test-only, Windows: a diagnostic program that writes no report. Placed as
// dxdiag.exe beside the tool, where the tool's CreateProcessA finds it before
// the system's own, it notes its command line in UTF-8 in "<its own path>.ran"
// and exits with 0 at once, so a test sees whether and how it was started.
// Like the system's dxdiag it is a GUI program: a console program would be
// given a console, and under Wine the tool's next message box then no longer
// takes the keyboard.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  const std::wstring record = std::wstring(self, length) + L".ran";
  const wchar_t* commandLine = GetCommandLineW();
  const int size = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, &utf8[0], size, nullptr, nullptr);
  utf8.resize(utf8.size() - 1);  // the terminating NUL
  const HANDLE file =
      CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == utf8.size() ? 0 : 1;
}
