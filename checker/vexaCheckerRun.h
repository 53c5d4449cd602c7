// The whole life of the tool: the dialogue, the diagnostic program, the
// report and the support mail. WinMain only calls RunChecker.
#pragma once

#include <string>

namespace vexaEnvChecker {

// The maker's own mailbox, which every support mail goes to.
extern const char kSupportAddress[];

// Runs the tool once; the result is the process's exit code, always 0.
int RunChecker();

// Deletes the partial report, if one is there, and shows the error box with
// `reason` (never null) in it.
void ReportFailure(const char* reason);

// The mailto link the completion question offers, in code page 932.
std::string GetSupportMailLink();

}  // namespace vexaEnvChecker
