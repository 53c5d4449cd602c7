// The answer a message box reads on the terminal, from any typed input: the
// first byte picks the buttons, the rest is what was typed. The box answers
// with the button that the first line naming one of its buttons names; at
// the end of input, with the one that lets nothing go ahead.
#include <algorithm>
#include <cctype>
#include <sstream>

#include "fuzz/FuzzCheck.h"
#include "platform/posix/testing/StandIn.h"

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

// A box's buttons: the words that name each, and the answer at the end of
// input. An OK box takes any line as OK.
struct Choice {
  const char* words[3];
  int answer;
};
struct Box {
  UINT buttons;
  Choice choices[2];
  int atEnd;
};
const Box kBoxes[] = {
    {MB_OK, {}, IDOK},
    {MB_OKCANCEL, {{{"o", "ok"}, IDOK}, {{"c", "cancel", u8"キャンセル"}, IDCANCEL}}, IDCANCEL},
    {MB_YESNO, {{{"y", "yes", u8"はい"}, IDYES}, {{"n", "no", u8"いいえ"}, IDNO}}, IDNO},
};

int ExpectedAnswer(const Box& box, const std::string& typed) {
  std::istringstream lines(typed);
  for (std::string line; std::getline(lines, line);) {
    const std::string said = Answer(line);
    for (const Choice& choice : box.choices) {
      for (const char* word : choice.words) {
        if (word != nullptr && said == word) return choice.answer;
      }
    }
  }
  return box.atEnd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Box& box = kBoxes[data[0] % 3];
  const std::string typed = vexaFuzz::Text(data + 1, size - 1);
  std::istringstream in(typed);
  std::ostringstream out;
  platform::posix::SetConsoleStreams(&in, &out);
  const int answer = MessageBoxA(nullptr, "Go on?", "vexaEnvChecker", box.buttons | MB_ICONQUESTION);
  platform::posix::SetConsoleStreams(nullptr, nullptr);
  VEXA_FUZZ_CHECK(answer == ExpectedAnswer(box, typed));
  return 0;
}
