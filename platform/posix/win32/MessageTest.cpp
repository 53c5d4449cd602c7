// System message texts, and message boxes asked on the terminal.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/Win32.h"
#include "platform/posix/testing/StandIn.h"

namespace platform::posix {
namespace {

TEST(PosixMessageTest, SystemTextsEndInCrLf) {
  LPSTR buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  ASSERT_NE(0u, FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, 1024, reinterpret_cast<LPSTR>(&buffer),
                               0, nullptr));
  EXPECT_STREQ("The system cannot find the file specified.\r\n", buffer);
  LocalFree(buffer);
  EXPECT_EQ(0u, FormatMessageA(flags, nullptr, 0x12345, 1024, reinterpret_cast<LPSTR>(&buffer), 0, nullptr));
  EXPECT_EQ(317u, GetLastError());
}

struct BoxCase {
  const char* input;
  UINT type;
  int answer;
};

TEST(PosixMessageTest, MessageBoxesAskOnTheTerminal) {
  const BoxCase cases[] = {
      {"y\n", MB_YESNO | MB_ICONQUESTION, IDYES},
      {" YES \r\n", MB_YESNO, IDYES},
      {u8"はい\n", MB_YESNO, IDYES},
      {"No\n", MB_YESNO, IDNO},
      {u8"いいえ\n", MB_YESNO, IDNO},
      {"maybe\n\ny\n", MB_YESNO, IDYES},  // anything else asks again
      {"", MB_YESNO, IDNO},               // no answer is no consent
      {"maybe\n", MB_YESNO, IDNO},
      {"whatever\n", MB_OK | MB_ICONINFORMATION, IDOK},
      {"", MB_OK, IDOK},
      {"c\n", MB_OKCANCEL, IDCANCEL},
  };
  for (const BoxCase& c : cases) {
    // The answers arrive in UTF-8, as a terminal sends them.
    std::istringstream in(c.input);
    std::ostringstream out;
    SetConsoleStreams(&in, &out);
    const int answer =
        MessageBoxA(nullptr, "作業を中断しました。\r\n次の行", "vexaEnvChecker のお知らせ", c.type);
    SetConsoleStreams(nullptr, nullptr);
    EXPECT_EQ(c.answer, answer) << c.input;
    EXPECT_EQ(0u, out.str().find(u8"==== vexaEnvChecker のお知らせ"));
    EXPECT_NE(std::string::npos, out.str().find(u8"作業を中断しました。\n次の行\n"));
  }
}

}  // namespace
}  // namespace platform::posix
