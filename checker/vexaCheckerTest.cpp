// The parts of the run that need no dialogue: the support mail link byte for
// byte, and the section the tool appends to the report file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "checker/vexaCheckerRun.h"
#include "checker/vexaReportFile.h"
#include "platform/TextFile.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaProcess.h"
#include "vexaSDK/dx/dx8_3d/testing/vexaTestEnumMode.h"

namespace vexaEnvChecker {
namespace {

using vexaSDK::DX8::testkit::CTestEnumMode;
using vexaSDK::DX8::testkit::CTestModeInfo;

TEST(CheckerTest, SupportMailLinkIsAddressSubjectAndTheWholeBody) {
  const std::string prefix = "mailto:support@qoru.example?subject=[Qoru] サポート From vexaEnvChecker&body=";
  const std::string body =
      "注：デスクトップに出力された envInfo.txt をこのメールに添付してください。%0d%0a"
      "\x81\x40\x81\x40必ずファイルが添付されている事を確認してから送信ボタンを押してください。%0d%0a%0d%0a"
      "・ゲームのタイトル%0d%0a (ここにゲームタイトルを記入してください)%0d%0a%0d%0a"
      "・起こった場面/どのような症状が発生したのか、等の気付いた点が有れば%0d%0a"
      " (ここに症状などを記入してください)%0d%0a";
  ASSERT_EQ(358u, body.size()) << "the body is 358 bytes in code page 932";
  EXPECT_EQ(prefix + body, GetSupportMailLink());
  EXPECT_STREQ("support@qoru.example", kSupportAddress);
}

class ReportFileTest : public testing::Test {
 protected:
  // A file of this test process's own, in the working folder.
  const std::string path_ =
      vexaSDK::System::FormatText("vexa_report_%lu.txt", static_cast<unsigned long>(GetCurrentProcessId()));
  void TearDown() override { DeleteFileA(path_.c_str()); }

  std::string Bytes() const {
    std::string bytes;
    platform::ReadFileBytes(path_.c_str(), bytes);
    return bytes;
  }
};

const char kHeader[] = "--------------------\r\nDeviceInfo\r\n--------------------\r\n\r\n";

TEST_F(ReportFileTest, HeaderFollowsTheDiagnosticTextDirectly) {
  {
    std::string dxdiag = "------------------\r\nSystem Information\r\n------------------\r\nlast line";
    platform::CTextFileStream(path_.c_str(), std::ios::out | std::ios::binary) << dxdiag;
  }
  WriteDeviceInfoSection(path_, CTestEnumMode());
  ASSERT_EQ(58u, std::strlen(kHeader));
  EXPECT_EQ(
      std::string("------------------\r\nSystem Information\r\n------------------\r\nlast line") + kHeader,
      Bytes());
}

TEST_F(ReportFileTest, MissingFileHoldsTheSectionAloneWithCrLfLines) {
  D3DADAPTER_IDENTIFIER8 id = {};
  std::strcpy(id.Description, "Adapter");
  CTestEnumMode enumeration;
  enumeration.Adapter(id, {CTestModeInfo(0, D3DDEVTYPE_HAL, FALSE, id)});
  WriteDeviceInfoSection(path_, enumeration);
  const std::string bytes = Bytes();
  ASSERT_EQ(0u, bytes.find(std::string(kHeader) + "< Device Info >\r\nDevice: Adapter\r\nDriver: \r\n"));
  std::size_t lineFeeds = 0, crLfs = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n') continue;
    ++lineFeeds;
    if (i > 0 && bytes[i - 1] == '\r') ++crLfs;
  }
  EXPECT_EQ(lineFeeds, crLfs) << "every line ends in CR LF";
  EXPECT_EQ("\r\n\r\n", bytes.substr(bytes.size() - 4)) << "the last block is closed by an empty line";
}

TEST_F(ReportFileTest, FolderInItsPlaceCannotBeOpened) {
  ASSERT_TRUE(CreateDirectoryA(path_.c_str(), nullptr));
  try {
    WriteDeviceInfoSection(path_, CTestEnumMode());
    ADD_FAILURE() << "no failure raised";
  } catch (const char* failure) {
    EXPECT_STREQ("ログファイルのオープンに失敗しました。", failure);
  }
  EXPECT_TRUE(RemoveDirectoryA(path_.c_str()));
}

TEST_F(ReportFileTest, FullDiskIsAFailureNotACompletedReport) {
  // Every write to this device fails as on a full disk.
  const char kFullDevice[] = "Z:\\dev\\full";
  if (!vexaSDK::System::FileExists(kFullDevice)) GTEST_SKIP() << "no full device on this system";
  try {
    WriteDeviceInfoSection(kFullDevice, CTestEnumMode());
    ADD_FAILURE() << "no failure raised";
  } catch (const char* failure) {
    EXPECT_STREQ("ログファイルの書き込みに失敗しました。", failure);
  }
}

}  // namespace
}  // namespace vexaEnvChecker
