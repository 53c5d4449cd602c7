// The checker run: ask, prepare COM and Direct3D, run the diagnostic program,
// append the device report, release everything, offer the support mail. Any
// failure after the first answer ends in one error box, after every object of
// the run is gone and the partial report is deleted.
#include "checker/vexaCheckerRun.h"

#include <exception>

#include "checker/vexaReportFile.h"
#include "platform/Win32.h"
#include "vexaSDK/Common/vexaInitializer.h"
#include "vexaSDK/Common/vexaMessageBox.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaProcess.h"
#include "vexaSDK/TTL/vexaSmartPtr.h"
#include "vexaSDK/dx/dx8_3d/vexaD3D8.h"
#include "vexaSDK/dx/dx8_3d/vexaDeviceBuilder.h"

namespace vexaEnvChecker {

const char kSupportAddress[] = "support@qoru.example";

namespace {

using vexaSDK::Common::IInitializer;
using vexaSDK::Common::MessageBoxEntry;
using vexaSDK::TTL::smart_ptr;

const char kNoticeCaption[] = "vexaEnvChecker のお知らせ";
const char kErrorCaption[] = "vexaEnvChecker のエラー";
const UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION;  // 0x24
const UINT kNoticeStyle = MB_OK | MB_ICONINFORMATION;    // 0x40
const UINT kErrorStyle = MB_OK | MB_ICONEXCLAMATION;     // 0x30

const char kStartQuestion[] =
    "デスクトップに環境情報ファイル envInfo.txt を出力しようとしています。\r\n"
    "この操作はサポートに必要な情報を調査、出力するものです。\r\n"
    "続けてよろしいですか？\r\n"
    "(注意：この操作には時間が掛かる事があります。)";
const char kOverwriteQuestion[] =
    "既にデスクトップに envInfo.txt が存在します。\r\n"
    "このまま作業を続けるとファイルは上書きされます。\r\n"
    "\r\n"
    "続けてよろしいですか？";
const char kCancelledNotice[] = "作業を中断しました。";
const char kCompletionQuestion[] =
    "デスクトップへ envInfo.txt の出力が完了しました。\r\n"
    "続けてQoruサポートへメールを送信する準備を行いますか？";
const char kMailerFailure[] =
    "標準のメーラーの起動に失敗しました。\r\n"
    "申し訳ございませんが、手動でメールの送信手順を行ってください。";
const char kErrorReport[] = "作業中にエラーが発生しました。\r\nエラー内容：%s";

const char kComFailure[] = "COMの初期化に失敗";
const char kDirect3DFailure[] = "Direct3Dの初期化に失敗";
const char kDxdiagFailure[] = "dxdiagのログ出力に失敗しました。";
const char kUnknownFailure[] = "原因不明";

// "%0d%0a" stands in the text as six characters: the mail program reads them
// as a line break.
const char kMailBody[] =
    "注：デスクトップに出力された envInfo.txt をこのメールに添付してください。%0d%0a"
    "　　必ずファイルが添付されている事を確認してから送信ボタンを押してください。%0d%0a"
    "%0d%0a"
    "・ゲームのタイトル%0d%0a"
    " (ここにゲームタイトルを記入してください)%0d%0a"
    "%0d%0a"
    "・起こった場面/どのような症状が発生したのか、等の気付いた点が有れば%0d%0a"
    " (ここに症状などを記入してください)%0d%0a";

const DWORD kDxdiagTimeout = 60000;

// The boxes of the run go straight to the function the entry holds; none is
// shown while Direct3D is up.
int Ask(const char* text, const char* caption, UINT style) {
  MessageBoxEntry* entry = MessageBoxEntry::GetInstance();
  if (entry == nullptr) return IDNO;  // no box can be shown: nothing goes ahead without consent
  return entry->function(nullptr, text, caption, style);
}

// The handles of a started process belong to the run; they are closed with it.
struct CProcessHandles {
  PROCESS_INFORMATION info = {};
  ~CProcessHandles() {
    if (info.hThread != nullptr) CloseHandle(info.hThread);
    if (info.hProcess != nullptr) CloseHandle(info.hProcess);
  }
};

// Everything that needs COM and Direct3D up. The objects live in
// this scope and go, in reverse order, when it is left, also by a failure.
void CollectReport(const std::string& reportPath) {
  smart_ptr<IInitializer> com = vexaSDK::DX8::CreateCOMInitializer();
  if (!com->Initialize()) throw std::string(kComFailure);

  smart_ptr<vexaSDK::DX8::ID3DDeviceBuilder> builder(new (std::nothrow)
                                                         vexaSDK::DX8::CDeviceBuilder(GetDesktopWindow()));
  smart_ptr<IInitializer> direct3D =
      vexaSDK::DX8::CD3D8::CreateD3D8Initializer(builder, std::string(), D3D_SDK_VERSION);
  if (!direct3D->Initialize()) throw kDirect3DFailure;

  const std::string commandLine = vexaSDK::System::FormatText("dxdiag /t %s", reportPath.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  CProcessHandles process;
  if (!vexaSDK::System::LaunchProcess(std::string(), commandLine, startup, process.info, nullptr, nullptr,
                                      FALSE, 0, nullptr, nullptr)) {
    throw kDxdiagFailure;
  }
  if (WaitForSingleObject(process.info.hProcess, kDxdiagTimeout) != WAIT_OBJECT_0) throw kDxdiagFailure;
  WriteDeviceInfoSection(reportPath, vexaSDK::DX8::CD3D8::GetInstance().GetEnumMode());
}

// The run after the user's consent; returns early when the user cancels at
// the overwrite question.
void Work() {
  const std::string reportPath = GetReportPath();
  if (vexaSDK::System::FileExists(reportPath) &&
      Ask(kOverwriteQuestion, kNoticeCaption, kQuestionStyle) == IDNO) {
    Ask(kCancelledNotice, kNoticeCaption, kNoticeStyle);
    return;
  }
  CollectReport(reportPath);
  if (Ask(kCompletionQuestion, kNoticeCaption, kQuestionStyle) != IDYES) return;
  const std::string link = GetSupportMailLink();
  const HINSTANCE mailer =
      platform::ShellExecute932(nullptr, "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<UINT_PTR>(mailer) <= 32) Ask(kMailerFailure, kErrorCaption, kErrorStyle);
}

}  // namespace

std::string GetSupportMailLink() {
  return vexaSDK::System::FormatText("mailto:%s?subject=[Qoru] サポート From vexaEnvChecker&body=%s",
                                     kSupportAddress, kMailBody);
}

void ReportFailure(const char* reason) {
  const std::string reportPath = GetReportPath();
  if (vexaSDK::System::FileExists(reportPath)) DeleteFileA(reportPath.c_str());
  vexaSDK::Common::ShowMessageBox(vexaSDK::System::FormatText(kErrorReport, reason), kErrorCaption,
                                  kErrorStyle, nullptr);
}

int RunChecker() {
  if (Ask(kStartQuestion, kNoticeCaption, kQuestionStyle) == IDNO) return 0;
  try {
    Work();
  } catch (const std::exception& failure) {
    ReportFailure(failure.what());
  } catch (const std::string& failure) {
    ReportFailure(failure.c_str());
  } catch (const char* failure) {
    ReportFailure(failure != nullptr ? failure : kUnknownFailure);
  } catch (...) {
    ReportFailure(kUnknownFailure);
  }
  return 0;
}

}  // namespace vexaEnvChecker
