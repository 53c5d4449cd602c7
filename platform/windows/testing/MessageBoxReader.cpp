// Test-only, Windows: reads the message box that another program shows, for
// the end-to-end run under Wine, where a box's text cannot be read from the X
// window. Prints, in UTF-8, the caption, a line naming the buttons (Yes No,
// OK, ...) and the text as the box holds it (line ends unchanged). Exits with
// 1 when no box is on screen, 2 when there is more than one, 3 when the output
// cannot be written.
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The static control that carries a message box's text. Wine and Windows
// agree on it (the icon's control id differs between them, so it is not read).
const int kTextControl = 0xFFFF;

BOOL CALLBACK CollectBox(HWND window, LPARAM found) {
  wchar_t className[16];
  if (IsWindowVisible(window) && GetClassNameW(window, className, 16) > 0 &&
      lstrcmpW(className, L"#32770") == 0) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  }
  return TRUE;
}

std::string TextOf(HWND window) {
  if (window == nullptr) return std::string();
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size, nullptr,
                      nullptr);
  return utf8;
}

std::string Buttons(HWND box) {
  static const struct {
    int id;
    const char* name;
  } kButtons[] = {{IDYES, "Yes"}, {IDNO, "No"}, {IDOK, "OK"}, {IDCANCEL, "Cancel"}};
  std::string names;
  for (const auto& button : kButtons) {
    const HWND control = GetDlgItem(box, button.id);
    if (control == nullptr || !IsWindowVisible(control)) continue;
    if (!names.empty()) names += ' ';
    names += button.name;
  }
  return names;
}

}  // namespace

int main() {
  std::vector<HWND> boxes;
  EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&boxes));
  if (boxes.size() != 1) return boxes.empty() ? 1 : 2;
  const HWND box = boxes.front();
  const std::string out = TextOf(box) + "\n" + Buttons(box) + "\n" + TextOf(GetDlgItem(box, kTextControl));
  DWORD written = 0;
  return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
                   nullptr) &&
                 written == out.size()
             ? 0
             : 3;
}
