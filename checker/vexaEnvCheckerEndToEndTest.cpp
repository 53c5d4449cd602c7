// The real tool on the POSIX host, as a user runs it: answers typed on
// standard input, the boxes read on standard output (in UTF-8, one line end
// per CR LF), the report on the desktop, the mail link handed to xdg-open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker/testing/vexaReportStructure.h"
#include "checker/testing/vexaRunHarness.h"
#include "platform/D3D8.h"
#include "vexaSDK/dx/dx8_3d/vexaDGEnumMode.h"

namespace vexaEnvChecker {
namespace {

using testkit::CRunFolder;
using testkit::CRunResult;
using testkit::HostFileExists;
using testkit::ReadHostFile;
using testkit::WriteHostFile;

const std::string& kStart = testkit::kStartBox;
const std::string kOverwrite = testkit::NoticeBox("Question",
                                                  u8"既にデスクトップに envInfo.txt が存在します。\n"
                                                  u8"このまま作業を続けるとファイルは上書きされます。\n\n"
                                                  u8"続けてよろしいですか？",
                                                  testkit::kYesNoPrompt);
const std::string kCancelled =
    testkit::NoticeBox("Information", u8"作業を中断しました。", testkit::kOkPrompt);
const std::string& kCompletion = testkit::kCompletionBox;
const std::string kMailerFailure = testkit::ErrorBox(
    u8"標準のメーラーの起動に失敗しました。\n"
    u8"申し訳ございませんが、手動でメールの送信手順を行ってください。");
std::string Failure(const std::string& reason) { return testkit::FailureBox(reason); }

const char* const kHeader = testkit::kDeviceInfoHeader;

// A stand-in for dxdiag that writes one line to the host path of its report.
const std::string kQuickDxdiag =
    std::string(testkit::kDxdiagReportPath) + "printf 'quick diagnostic report\\r\\n' > \"$p\"\n";

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run_.ok());
    // A machine without display controllers, the same for the tool and for us.
    sysfs_ = run_.Home() + "/sysfs";
    mkdir(sysfs_.c_str(), 0755);
    run_.SetEnvironment("SYSFS_PATH", sysfs_);
  }

  // The section the tool must append for this machine, as the file holds it.
  std::string ExpectedSection() const {
    setenv("SYSFS_PATH", sysfs_.c_str(), 1);
    IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    const vexaSDK::DX8::CDGEnumMode enumeration(direct3D);
    if (direct3D != nullptr) direct3D->Release();
    unsetenv("SYSFS_PATH");
    return testkit::DeviceInfoFileText(enumeration);
  }

  CRunFolder run_{VEXA_ENV_CHECKER, VEXA_DXDIAG};
  std::string sysfs_;
};

TEST_F(EndToEndTest, NoAtTheStartDoesNothing) {
  run_.SetDxdiag("touch \"$0.ran\"\n");
  const CRunResult result = run_.Run("n\n");
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart, result.out);
  EXPECT_FALSE(HostFileExists(run_.Report()));
  EXPECT_FALSE(HostFileExists(run_.App("dxdiag.ran"))) << "no diagnostic program started";
  EXPECT_FALSE(HostFileExists(run_.App("log"))) << "nothing logged, so no log folder";
}

TEST_F(EndToEndTest, NoOneReadingTheQuestionIsNo) {
  run_.SetDxdiag("touch \"$0.ran\"\n");
  run_.CloseOutput();
  const CRunResult result = run_.Run("y\ny\n");
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(0, result.exitCode) << "not ended by SIGPIPE";
  EXPECT_FALSE(HostFileExists(run_.Report()));
  EXPECT_FALSE(HostFileExists(run_.App("dxdiag.ran"))) << "an unseen question was answered";
}

TEST_F(EndToEndTest, YesYesWritesTheReportAndHandsTheLinkOn) {
  const CRunResult result = run_.Run("y\ny\n");
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + kCompletion, result.out);

  const std::string report = ReadHostFile(run_.Report());
  EXPECT_EQ("", testkit::CheckReportStructure(report));
  const std::size_t header = report.find(kHeader);
  ASSERT_NE(std::string::npos, header) << report.substr(0, 400);
  EXPECT_EQ(ExpectedSection(), report.substr(header + 58));
  const std::string diagnostic = report.substr(0, header);
  EXPECT_EQ(0u, diagnostic.find("------------------\r\nSystem Information\r\n------------------\r\n"));
  EXPECT_NE(std::string::npos, diagnostic.find("\r\nDisplay Devices\r\n"));
  EXPECT_NE(std::string::npos, diagnostic.find("\r\nSound Devices\r\n"));
  EXPECT_EQ("\r\n", diagnostic.substr(diagnostic.size() - 2)) << "the header follows dxdiag's last line";
  for (std::size_t at = report.find('\n'); at != std::string::npos; at = report.find('\n', at + 1)) {
    ASSERT_EQ('\r', report[at - 1]) << "bare line feed at byte " << at;
  }

  const std::string body =
      u8"注：デスクトップに出力された envInfo.txt をこのメールに添付してください。%0d%0a"
      u8"\u3000\u3000必ずファイルが添付されている事を確認してから送信ボタンを押してください。%0d%0a%0d%0a"
      u8"・ゲームのタイトル%0d%0a (ここにゲームタイトルを記入してください)%0d%0a%0d%0a"
      u8"・起こった場面/どのような症状が発生したのか、等の気付いた点が有れば%0d%0a"
      u8" (ここに症状などを記入してください)%0d%0a";
  EXPECT_EQ(u8"mailto:support@qoru.example?subject=[Qoru] サポート From vexaEnvChecker&body=" + body,
            run_.MailLink());
}

TEST_F(EndToEndTest, NoAtTheOverwriteQuestionLeavesTheOldReport) {
  run_.SetDxdiag("touch \"$0.ran\"\n");
  WriteHostFile(run_.Report(), "old report\r\n");
  const CRunResult result = run_.Run("y\nn\n\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + kOverwrite + kCancelled, result.out);
  EXPECT_EQ("old report\r\n", ReadHostFile(run_.Report()));
  EXPECT_FALSE(HostFileExists(run_.App("dxdiag.ran")));
}

TEST_F(EndToEndTest, NoAtTheCompletionQuestionKeepsTheReportAndSendsNoMail) {
  run_.SetDxdiag(kQuickDxdiag);
  const CRunResult result = run_.Run("y\nn\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + kCompletion, result.out);
  EXPECT_EQ("quick diagnostic report\r\n" + std::string(kHeader) + ExpectedSection(),
            ReadHostFile(run_.Report()));
  EXPECT_FALSE(run_.MailerRan());
}

TEST_F(EndToEndTest, ReportLocationThatIsAFolderCannotBeOpened) {
  run_.SetDxdiag(kQuickDxdiag);
  ASSERT_EQ(0, mkdir(run_.Report().c_str(), 0755));
  const CRunResult result = run_.Run("y\n\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + Failure(u8"ログファイルのオープンに失敗しました。"), result.out)
      << "a folder is no existing report: no overwrite question";
  struct stat info;
  EXPECT_TRUE(stat(run_.Report().c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

TEST_F(EndToEndTest, WithoutADesktopTheReportIsInTheCurrentFolder) {
  run_.SetDxdiag(kQuickDxdiag);
  ASSERT_EQ(0, rmdir(run_.Desktop().c_str()));
  const CRunResult result = run_.Run("y\nn\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + kCompletion, result.out);
  EXPECT_EQ("quick diagnostic report\r\n" + std::string(kHeader) + ExpectedSection(),
            ReadHostFile(run_.Work() + "/envInfo.txt"));
}

// A desktop whose name code page 932 cannot write: the report lands there,
// begun by the packaged dxdiag, which was handed the real path.
TEST_F(EndToEndTest, DesktopNamedOutsideCodePage932GetsTheReport) {
  const std::string desktop = run_.Home() + u8"/Masaüstü";
  ASSERT_EQ(0, mkdir(desktop.c_str(), 0755));
  ASSERT_EQ(0, mkdir((run_.Home() + "/.config").c_str(), 0755));
  WriteHostFile(run_.Home() + "/.config/user-dirs.dirs", u8"XDG_DESKTOP_DIR=\"$HOME/Masaüstü\"\n");
  const CRunResult result = run_.Run("y\nn\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + kCompletion, result.out);
  const std::string report = ReadHostFile(desktop + "/envInfo.txt");
  EXPECT_EQ(0u, report.find("------------------\r\nSystem Information\r\n")) << report.substr(0, 200);
  EXPECT_NE(std::string::npos, report.find(kHeader));
  EXPECT_FALSE(HostFileExists(run_.Report()));
}

TEST_F(EndToEndTest, MissingDxdiagFailsAndRemovesTheAcceptedOldReport) {
  run_.RemoveDxdiag();
  WriteHostFile(run_.Report(), "old report\r\n");
  const CRunResult result = run_.Run("y\ny\n\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + kOverwrite + Failure(u8"dxdiagのログ出力に失敗しました。"), result.out);
  EXPECT_FALSE(HostFileExists(run_.Report()));
}

TEST_F(EndToEndTest, FailingMailerKeepsTheReport) {
  run_.SetDxdiag(kQuickDxdiag);
  run_.SetMailerExit(3);
  const CRunResult result = run_.Run("y\ny\n\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + kCompletion + kMailerFailure, result.out);
  EXPECT_TRUE(run_.MailerRan());
  EXPECT_EQ("quick diagnostic report\r\n" + std::string(kHeader) + ExpectedSection(),
            ReadHostFile(run_.Report()));
}

TEST_F(EndToEndTest, FullDiskLeavesNoTruncatedReport) {
  run_.SetDxdiag(kQuickDxdiag);
  // Room for the diagnostic text and the header, not for the whole section.
  run_.SetFileSizeLimit(4096);
  const CRunResult result = run_.Run("y\n\n");
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(kStart + Failure(u8"ログファイルの書き込みに失敗しました。"), result.out);
  EXPECT_FALSE(HostFileExists(run_.Report())) << "the partial report is deleted";
}

// A Linux user asks a program on PATH for its version and help; the tool
// answers those and refuses anything else, before it asks or starts anything.
TEST_F(EndToEndTest, CommandLineOptionsAnswerWithoutARun) {
  const std::string refused = u8"Try 'vexaEnvChecker --help'.\n";
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string out, err;  // "Usage..." stands for the help text, checked below
  } cases[] = {
      {{"--version"}, 0, u8"vexaEnvChecker " VEXA_VERSION "\n", ""},
      {{"--help"}, 0, "Usage...", ""},
      {{"-h"}, 0, "Usage...", ""},
      {{"--verbose"}, 2, "", u8"vexaEnvChecker: unrecognised argument '--verbose'\n" + refused},
      {{u8"レポート.txt"}, 2, "", u8"vexaEnvChecker: unrecognised argument 'レポート.txt'\n" + refused},
      {{"--version", "now"}, 2, "", u8"vexaEnvChecker: unrecognised argument 'now'\n" + refused},
      {{"--version", "--help"}, 2, "", u8"vexaEnvChecker: one option at a time\n" + refused},
      {{""}, 2, "", u8"vexaEnvChecker: unrecognised argument ''\n" + refused},
  };
  run_.SetDxdiag("touch \"$0.ran\"\n");
  std::string help;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0] + (c.arguments.size() > 1 ? " " + c.arguments[1] : ""));
    run_.SetArguments(c.arguments);
    const CRunResult result = run_.Run("y\ny\n");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(c.exitCode, result.exitCode);
    EXPECT_EQ(c.err, result.err);
    if (c.out == "Usage...") {
      EXPECT_EQ(0u, result.out.find(u8"Usage: vexaEnvChecker\n       vexaEnvChecker --version | --help\n\n"))
          << result.out;
      if (help.empty()) help = result.out;
      EXPECT_EQ(help, result.out) << "-h and --help say the same";
    } else {
      EXPECT_EQ(c.out, result.out);
    }
    EXPECT_FALSE(HostFileExists(run_.Report()));
    EXPECT_FALSE(HostFileExists(run_.App("dxdiag.ran")));
  }
}

}  // namespace
}  // namespace vexaEnvChecker
