// Shows the tool's start question through MessageBoxA and prints the button
// code it returns, for the desktop test that answers the box on an X server.
#include <cstdio>

#include "platform/Win32.h"

int main() {
  const int answer = MessageBoxA(nullptr,
                                 "デスクトップに環境情報ファイル envInfo.txt を出力しようとしています。\r\n"
                                 "この操作はサポートに必要な情報を調査、出力するものです。\r\n"
                                 "続けてよろしいですか？\r\n"
                                 "(注意：この操作には時間が掛かる事があります。)",
                                 "vexaEnvChecker のお知らせ", MB_YESNO | MB_ICONQUESTION);
  std::printf("%d\n", answer);
  return 0;
}
