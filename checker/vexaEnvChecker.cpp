// Entry point of the support tool; the run itself is in vexaCheckerRun.
#include "checker/vexaCheckerRun.h"
#include "platform/Win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vexaEnvChecker::RunChecker(); }
