// The run in this process, its boxes answered by a script: what the error box
// says for each way the start can fail, who owns each box, and that COM and
// Direct3D are down again whenever a box is shown after the start. POSIX host
// only: the desktop lies in a folder of this process's own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "checker/testing/vexaRunHarness.h"
#include "checker/vexaCheckerRun.h"
#include "platform/D3D8Model.h"
#include "platform/Win32.h"
#include "platform/testing/Testing.h"
#include "vexaSDK/dx/dx8_3d/testing/vexaTestRuntime.h"
#include "vexaSDK/dx/dx8_3d/vexaD3D8.h"

namespace vexaEnvChecker {
namespace {

using testkit::HostFileExists;
using testkit::ReadHostFile;
using testkit::WriteHostFile;
using vexaSDK::DX8::CD3D8;

struct ShownBox {
  HWND owner;
  UINT style;
  std::string text;  // as the terminal shows it: UTF-8, with caption and prompt
  bool direct3DUp;
  bool comUp;  // the calling thread is still in the multithreaded apartment
};

// The terminal's input: each time a box waits for its answer, notes what the
// box showed and what was up at that moment, then types the next answer.
class CScriptedAnswers : public std::streambuf {
 public:
  CScriptedAnswers(const std::ostringstream& screen, std::vector<const char*> answers)
      : screen_(screen), answers_(std::move(answers)) {}
  const std::vector<ShownBox>& Shown() const { return shown_; }

 protected:
  int_type underflow() override {
    ShownBox box = {};
    platform::testkit::GetLastMessageBox(box.owner, box.style);
    box.text = screen_.str().substr(seen_);
    seen_ = screen_.str().size();
    box.direct3DUp = CD3D8::GetInstance().IsInitialized();
    // A single-threaded start on a thread in the multithreaded apartment is refused.
    const HRESULT probe = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(probe)) CoUninitialize();
    box.comUp = probe == RPC_E_CHANGED_MODE;
    shown_.push_back(box);
    if (next_ == answers_.size()) return traits_type::eof();
    line_ = std::string(answers_[next_++]) + "\n";
    setg(&line_[0], &line_[0], &line_[0] + line_.size());
    return traits_type::to_int_type(line_[0]);
  }

 private:
  const std::ostringstream& screen_;
  std::vector<const char*> answers_;
  std::size_t next_ = 0;
  std::size_t seen_ = 0;
  std::string line_;
  std::vector<ShownBox> shown_;
};

class CheckerRunTest : public vexaSDK::DX8::testkit::D3D8TestBase {
 protected:
  void SetUp() override {
    D3D8TestBase::SetUp();
    ASSERT_TRUE(folder_.ok());
    setenv("HOME", folder_.Home().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder_.Home() + "/.config").c_str(), 1);
  }
  void TearDown() override {
    platform::testkit::SetMessageBoxConsole(nullptr, nullptr);
    D3D8TestBase::TearDown();
  }

  std::string Report() const { return folder_.Report(); }

  // The whole run on a thread of its own, so that COM starts fresh there;
  // `apartment` is the one the thread is in already, or ~0 for none.
  std::vector<ShownBox> Run(std::vector<const char*> answers, DWORD apartment = ~0u) {
    std::ostringstream screen;
    CScriptedAnswers typed(screen, std::move(answers));
    std::istream keyboard(&typed);
    platform::testkit::SetMessageBoxConsole(&keyboard, &screen);
    std::thread([&] {
      if (apartment != ~0u) {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, apartment)));
      }
      EXPECT_EQ(0, RunChecker());
      if (apartment != ~0u) CoUninitialize();
    }).join();
    platform::testkit::SetMessageBoxConsole(nullptr, nullptr);
    return typed.Shown();
  }

  // Only its home is used: the run happens in this process.
  const testkit::CRunFolder folder_{"", ""};
};

TEST_F(CheckerRunTest, EverythingIsDownBeforeTheCompletionQuestion) {
  const std::vector<ShownBox> shown = Run({"y", "n"});
  ASSERT_EQ(2u, shown.size());
  for (const ShownBox& box : shown) {
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), box.style);
    EXPECT_FALSE(box.direct3DUp);
    EXPECT_FALSE(box.comUp);
  }
  EXPECT_EQ(0u, shown[1].text.find(u8"==== vexaEnvChecker のお知らせ (Question) ====\n"
                                   u8"デスクトップへ envInfo.txt の出力が完了しました。\n"))
      << shown[1].text;
  EXPECT_NE(std::string::npos, ReadHostFile(Report()).find("\r\nDeviceInfo\r\n"));
  EXPECT_EQ(0, Live(platform::d3d8::Object::kDirect3D));
}

// dxdiag is found by the system's search for the first word of an unquoted
// command line with the report's Windows path, inherits our environment and
// folder, and has a minute.
TEST_F(CheckerRunTest, DxdiagIsStartedAsTheSystemExpects) {
  Run({"y", "n"});
  platform::testkit::ProcessStart start;
  ASSERT_TRUE(platform::testkit::GetLastProcessStart(start));
  std::string path = "Z:" + Report();
  for (char& c : path) c = c == '/' ? '\\' : c;
  EXPECT_EQ("dxdiag /t " + path, start.commandLine);
  EXPECT_EQ((std::vector<bool>{false, false, false, false, false}),
            (std::vector<bool>{start.applicationName, start.processAttributes, start.threadAttributes,
                               start.environment, start.currentDirectory}));
  EXPECT_EQ(FALSE, start.inheritHandles);
  EXPECT_EQ(0u, start.creationFlags);
  DWORD timeout = 0;
  ASSERT_TRUE(platform::testkit::GetLastWaitTimeout(timeout));
  EXPECT_EQ(60000u, timeout);
}

// Each failure of the start ends in one error box with its own text, shown
// only after COM and Direct3D are down again; an old report whose replacement
// was accepted is gone.
TEST_F(CheckerRunTest, FailedStartsAreReportedAfterEverythingIsDown) {
  struct Case {
    const char* name;
    DWORD apartment;  // the thread's own COM start, ~0 for none
    bool reference;   // the runtime has a reference rasteriser
    const char* reason;
  } const cases[] = {
      {"COM in the other apartment", COINIT_APARTMENTTHREADED, true, u8"COMの初期化に失敗"},
      {"no reference rasteriser", ~0u, false, u8"Direct3Dの初期化に失敗"},
  };
  for (const Case& c : cases) {
    Serve(vexaSDK::DX8::testkit::MakeDeviceModel());
    model->adapters[0].ref.available = c.reference;
    WriteHostFile(Report(), "old report\r\n");
    const std::vector<ShownBox> shown = Run({"y", "y", ""}, c.apartment);
    ASSERT_EQ(3u, shown.size()) << c.name;
    const ShownBox& error = shown[2];
    EXPECT_EQ(std::string(u8"==== vexaEnvChecker のエラー (Warning) ====\n"
                          u8"作業中にエラーが発生しました。\nエラー内容：") +
                  c.reason + "\n[OK] (Enter): ",
              error.text)
        << c.name;
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), error.style) << c.name;
    EXPECT_EQ(nullptr, error.owner) << c.name;
    EXPECT_FALSE(error.direct3DUp) << c.name;
    EXPECT_FALSE(error.comUp) << c.name;
    EXPECT_FALSE(HostFileExists(Report())) << c.name;
    EXPECT_EQ(0, Live(platform::d3d8::Object::kDirect3D)) << c.name;
    EXPECT_EQ(c.reference, model->Count(platform::d3d8::Call::kGetAdapterCount) == 0)
        << c.name << ": Direct3D is tried only once COM is up";
  }
}

}  // namespace
}  // namespace vexaEnvChecker
