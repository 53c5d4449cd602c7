// The tool against a diagnostic program that never finishes: the run gives
// up after its minute, says so and removes what was written. Slow by nature,
// so it is labelled to be left out of quick local runs.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "checker/testing/vexaRunHarness.h"

namespace vexaEnvChecker {
namespace {

using testkit::CRunFolder;
using testkit::CRunResult;
using testkit::HostFileExists;
using testkit::ReadHostFile;

TEST(SlowEndToEndTest, DxdiagOutlivingAMinuteIsAFailure) {
  CRunFolder run(VEXA_ENV_CHECKER, "");
  ASSERT_TRUE(run.ok());
  run.SetDxdiag(std::string(testkit::kDxdiagReportPath) +
                "printf 'begun\\r\\n' > \"$p\"\n"
                "echo $$ > \"$0.pid\"\n"
                "exec sleep 90\n");
  const auto start = std::chrono::steady_clock::now();
  const CRunResult result = run.Run("y\n\n", std::chrono::seconds(120));
  const auto waited = std::chrono::steady_clock::now() - start;
  const std::string pid = ReadHostFile(run.App("dxdiag.pid"));
  if (!pid.empty()) kill(std::stoi(pid), SIGKILL);  // the tool leaves it running, as it should
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(0, result.exitCode);
  EXPECT_GE(waited, std::chrono::seconds(59));
  EXPECT_EQ(testkit::kStartBox + testkit::FailureBox(u8"dxdiagのログ出力に失敗しました。"), result.out);
  EXPECT_FALSE(HostFileExists(run.Report())) << "what dxdiag had written is deleted";
  EXPECT_FALSE(pid.empty()) << "the diagnostic program was started";
}

}  // namespace
}  // namespace vexaEnvChecker
