// The answer a message box reads on the terminal, from any typed input: the
// first byte picks the buttons, the rest is what was typed. The box answers
// with one of its buttons; Yes only after a line that says yes and before any
// that says no; end of input lets nothing go ahead.
#include <algorithm>
#include <cctype>
#include <sstream>

#include "fuzz/FuzzCheck.h"
#include "platform/posix/internal/Console.h"

namespace {

// What a line says, as the box reads it: blanks around it and case do not
// count.
std::string Answer(std::string line) {
  const std::size_t start = line.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return std::string();
  line = line.substr(start, line.find_last_not_of(" \t\r\n") - start + 1);
  std::transform(line.begin(), line.end(), line.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const UINT kButtons[] = {MB_OK, MB_OKCANCEL, MB_YESNO};
  const UINT buttons = kButtons[data[0] % 3];
  const std::string typed = vexa_fuzz::Text(data + 1, size - 1);
  std::istringstream in(typed);
  std::ostringstream out;
  platform_posix::SetConsoleStreams(&in, &out);
  const int answer = MessageBoxA(nullptr, "Go on?", "vexaEnvChecker", buttons | MB_ICONQUESTION);
  platform_posix::SetConsoleStreams(nullptr, nullptr);

  if (buttons == MB_OK) {
    VEXA_FUZZ_CHECK(answer == IDOK);
    return 0;
  }
  if (buttons == MB_OKCANCEL) {
    VEXA_FUZZ_CHECK(answer == IDOK || answer == IDCANCEL);
    return 0;
  }
  int expected = IDNO;
  std::istringstream lines(typed);
  for (std::string line; std::getline(lines, line);) {
    const std::string said = Answer(line);
    if (said == "y" || said == "yes" || said == u8"はい") {
      expected = IDYES;
      break;
    }
    if (said == "n" || said == "no" || said == u8"いいえ") break;
  }
  VEXA_FUZZ_CHECK(answer == expected);
  return 0;
}
