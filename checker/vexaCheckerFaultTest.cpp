// The whole run of the tool on the POSIX host (answers Yes, Yes; the stand-in
// dxdiag beside this test; a stub xdg-open) under every single failure the
// system and the Direct3D runtime can give it. A first run counts the calls of
// each kind; then each call is made to fail once, in a run of its own. Every
// run happens in a child process forked from this one, so that a crash, a
// leak (the sanitizers' check at exit) or a hang shows as that child's end
// and each run starts from a process that has never run the tool. The child
// reports what it saw in files; this process judges them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "checker/testing/vexaReportStructure.h"
#include "checker/testing/vexaRunHarness.h"
#include "checker/vexaCheckerRun.h"
#include "platform/D3D8Model.h"
#include "platform/testing/Testing.h"
#include "vexaSDK/Common/testing/vexaTestLog.h"
#include "vexaSDK/Common/vexaLog.h"
#include "vexaSDK/dx/dx8_3d/vexaD3D8.h"

namespace vexaEnvChecker {
namespace {

using platform::d3d8::Call;
using platform::d3d8::CRuntimeModel;
using platform::d3d8::Object;
using platform::testkit::FaultSite;
using testkit::CRunFolder;
using testkit::HostFileExists;
using testkit::ReadHostFile;
using testkit::WriteHostFile;

const std::size_t kCallCount = static_cast<std::size_t>(Call::kCount);
const std::size_t kSiteCount = platform::testkit::kFaultSiteCount;

// Names as the test list shows them, in the order of the enumerations.
const char* const kCallNames[kCallCount] = {
    "RegisterSoftwareDevice", "GetAdapterCount",     "GetAdapterIdentifier",
    "GetAdapterModeCount",    "EnumAdapterModes",    "GetAdapterDisplayMode",
    "CheckDeviceType",        "CheckDeviceFormat",   "CheckDeviceMultiSampleType",
    "CheckDepthStencilMatch", "GetDeviceCaps",       "GetAdapterMonitor",
    "CreateDevice",           "DeviceGetDeviceCaps", "GetDisplayMode",
    "GetCreationParameters",  "SetRenderState",      "BeginStateBlock",
    "EndStateBlock",          "ApplyStateBlock",     "DeleteStateBlock",
    "CreateVertexBuffer",     "SetStreamSource",     "SetIndices"};
const char* const kSiteNames[kSiteCount] = {"CoInitializeEx",      "Direct3DCreate8", "CreateProcessA",
                                            "WaitForSingleObject", "ReportOpen",      "ReportWrite",
                                            "ReportClose"};

// The failure texts of the run, as the error box shows them.
const char kComFailure[] = u8"COMの初期化に失敗";
const char kDirect3DFailure[] = u8"Direct3Dの初期化に失敗";
const char kDxdiagFailure[] = u8"dxdiagのログ出力に失敗しました。";
const char kOpenFailure[] = u8"ログファイルのオープンに失敗しました。";
const char kWriteFailure[] = u8"ログファイルの書き込みに失敗しました。";

const char kReportName[] = "envInfo.txt";
const auto kRunBound = std::chrono::seconds(60);

// One kind of call: a call of the runtime model, or a system call of the
// stand-in.
struct CallKind {
  bool direct3D;
  std::size_t kind;  // a Call or a FaultSite
  std::string Name() const { return direct3D ? kCallNames[kind] : kSiteNames[kind]; }
  bool Is(Call call) const { return direct3D && kind == static_cast<std::size_t>(call); }
};

void PrintTo(const CallKind& call, std::ostream* out) { *out << call.Name(); }

// Which call fails; none when `index` is kNoFault.
struct Fault {
  CallKind call;
  unsigned long index;
};
const unsigned long kNoFault = ~0ul;

// What the child leaves for the judge, beside the run's own files.
struct CChildRun {
  bool finished = false;  // false: killed at the bound
  int status = 0;
  std::string boxes;
  std::string expectedSection;  // the same runtime's report, written directly
  std::array<unsigned long, kCallCount> calls = {};
  std::array<unsigned long, kSiteCount> sites = {};
  std::string leftOver;  // objects of the runtime still alive after the run
  std::string errorOutput;
  bool failed = false;  // the planned call was made, and failed
};

// Without the desktop's mode, which the device is made for, without a device
// or without its capabilities, Direct3D does not come up; every other call of
// the runtime only leaves its item out of the report.
bool EndsTheRun(const CallKind& call) {
  return call.Is(Call::kGetAdapterDisplayMode) || call.Is(Call::kCreateDevice) ||
         call.Is(Call::kDeviceGetDeviceCaps);
}

// The runtime's calls the run never makes; failing them tests nothing.
bool NotMadeByTheRun(const CallKind& call) {
  return call.Is(Call::kRegisterSoftwareDevice) || call.Is(Call::kGetAdapterMonitor);
}

// The runtime of the run: the default model, whose device comes up, with the
// fault if it is one of its calls. The n-th call of a kind is the one the
// model has counted n + 1 times when it asks. `failed` learns whether it did.
std::shared_ptr<CRuntimeModel> MakeModel(const Fault& fault, const std::shared_ptr<bool>& failed) {
  std::shared_ptr<CRuntimeModel> model = platform::d3d8::MakeDefaultModel();
  model->createDevice = &platform::d3d8::CreateModelDevice;
  if (fault.index != kNoFault && fault.call.direct3D) {
    CRuntimeModel* self = model.get();
    const Call failing = static_cast<Call>(fault.call.kind);
    const unsigned long number = fault.index + 1;
    model->fail = [self, failing, number, failed](Call call, UINT, UINT) {
      if (call != failing || self->Count(call) != number) return D3D_OK;
      *failed = true;
      return E_FAIL;
    };
  }
  return model;
}

std::string LeftOver(const CRuntimeModel& model) {
  static const char* const kObjects[] = {"Direct3D", "device", "vertex buffer", "state block"};
  std::string text;
  for (std::size_t i = 0; i < static_cast<std::size_t>(Object::kCount); ++i) {
    if (model.live[i] != 0) text += std::to_string(model.live[i]) + " " + kObjects[i] + "; ";
  }
  return text;
}

// In the child: the run, then what the judge needs. Returns the run's result.
int RunInChild(const Fault& fault, const CRunFolder& folder, const std::string& results) {
  // The run's and its dxdiag's standard error, for the judge.
  const int errorOutput = open((results + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (errorOutput < 0 || dup2(errorOutput, 2) < 0) return 126;
  close(errorOutput);
  vexaSDK::Common::testkit::UseOwnTestLog();
  clearenv();
  for (const std::string& entry : folder.Environment()) {
    const std::size_t equals = entry.find('=');
    setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
  if (chdir(folder.Work().c_str()) != 0) return 126;

  std::istringstream answers("y\ny\n");
  std::ostringstream boxes;
  platform::testkit::SetMessageBoxConsole(&answers, &boxes);
  const std::shared_ptr<bool> direct3DFailed = std::make_shared<bool>(false);
  std::shared_ptr<CRuntimeModel> model = MakeModel(fault, direct3DFailed);
  platform::testkit::SetDirect3DModel(model);
  const bool systemFault = fault.index != kNoFault && !fault.call.direct3D;
  platform::testkit::SetFaultPlan(systemFault ? static_cast<FaultSite>(fault.call.kind) : FaultSite::kNone,
                                  fault.index, kReportName);

  const int result = RunChecker();

  std::array<unsigned long, kSiteCount> sites;
  platform::testkit::GetFaultCounts(sites);
  platform::testkit::SetFaultPlan(FaultSite::kNone, 0, std::string());
  // A stop that failed keeps Direct3D up for a later one, which then
  // releases everything.
  vexaSDK::DX8::CD3D8& owner = vexaSDK::DX8::CD3D8::GetInstance();
  if (owner.IsInitialized()) owner.Terminate();
  // A diagnostic program the run gave up on ends before the judge looks.
  while (waitpid(-1, nullptr, 0) > 0) {
  }

  std::ostringstream counts;
  for (const unsigned long count : model->counts) counts << count << ' ';
  for (const unsigned long count : sites) counts << count << ' ';
  WriteHostFile(results + "/counts", counts.str());
  WriteHostFile(results + "/boxes", boxes.str());
  WriteHostFile(results + "/live", LeftOver(*model));
  // A site fails the call whose number is the index, so the count passes it.
  const bool failed = fault.index != kNoFault &&
                      (fault.call.direct3D ? *direct3DFailed : sites[fault.call.kind] > fault.index);
  WriteHostFile(results + "/failed", failed ? "1" : "0");
  // The enumeration a fresh runtime with the same fault gives: the run's own
  // is the first thing it asks of the runtime.
  std::shared_ptr<CRuntimeModel> again = MakeModel(fault, std::make_shared<bool>(false));
  IDirect3D8* direct3D = platform::d3d8::CreateDirect3D8(again);
  {
    const vexaSDK::DX8::CDGEnumMode enumeration(direct3D);
    WriteHostFile(results + "/expected", testkit::DeviceInfoFileText(enumeration));
  }
  direct3D->Release();

  platform::testkit::SetDirect3DModel(nullptr);
  platform::testkit::SetMessageBoxConsole(nullptr, nullptr);
  return result;
}

// The failure text a fault of this kind may end in.
const char* FailureText(const CallKind& call) {
  if (call.direct3D) return kDirect3DFailure;
  switch (static_cast<FaultSite>(call.kind)) {
    case FaultSite::kCoInitializeEx:
      return kComFailure;
    case FaultSite::kDirect3DCreate8:
      return kDirect3DFailure;
    case FaultSite::kCreateProcessA:
    case FaultSite::kWaitForSingleObject:
      return kDxdiagFailure;
    case FaultSite::kFileOpen:
      return kOpenFailure;
    default:
      return kWriteFailure;
  }
}

// Empty when the run ended as it must: exit code 0 and either a complete
// report or the error box with the fault's text and no report.
std::string Judge(const Fault& fault, const CChildRun& run, const CRunFolder& folder) {
  if (!run.finished) return "hung: still running after " + std::to_string(kRunBound.count()) + " s";
  if (WIFSIGNALED(run.status)) return "crashed with signal " + std::to_string(WTERMSIG(run.status));
  if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0) {
    return "exit code " + std::to_string(WEXITSTATUS(run.status)) +
           " (a sanitizer's report is above or in the reports' folder)\n" + run.errorOutput;
  }
  if (!run.leftOver.empty()) return "runtime objects alive after the run: " + run.leftOver;
  if (run.errorOutput.find(": runtime error: ") != std::string::npos)
    return "undefined behaviour:\n" + run.errorOutput;
  const bool planned = fault.index != kNoFault;
  if (planned && !run.failed) return "the planned failure never happened";
  const bool mustEnd = planned && (!fault.call.direct3D || EndsTheRun(fault.call));
  const bool reportThere = HostFileExists(folder.Report());
  const std::string report = reportThere ? ReadHostFile(folder.Report()) : std::string();
  if (run.boxes == testkit::kStartBox + testkit::kCompletionBox) {
    if (mustEnd) return "a failing call the run cannot do without went unnoticed";
    if (!reportThere) return "completed without a report";
    const std::string wrong = testkit::CheckReportStructure(report);
    if (!wrong.empty()) return "completed with a broken report: " + wrong;
    std::string section;
    testkit::FindDeviceInfoSection(report, section);
    if (section != run.expectedSection) return "the DeviceInfo section is not what the runtime answered";
    if (!folder.MailerRan()) return "the support mail was not offered to the mailer";
    return std::string();
  }
  if (run.boxes != testkit::kStartBox + testkit::FailureBox(FailureText(fault.call))) {
    return "unexpected boxes:\n" + run.boxes;
  }
  if (!mustEnd) return "the run gave up over a call whose item the report only leaves out";
  if (folder.MailerRan()) return "the mailer ran after a failure";
  if (!reportThere) return std::string();
  // A diagnostic program the run gave up waiting for may go on to write its
  // own text, as it is left running; the tool's section never follows it.
  const bool gaveUpWaiting =
      !fault.call.direct3D && fault.call.kind == static_cast<std::size_t>(FaultSite::kWaitForSingleObject);
  std::string section;
  if (gaveUpWaiting && !testkit::FindDeviceInfoSection(report, section)) return std::string();
  return "the failed run left envInfo.txt behind";
}

std::string Describe(const Fault& fault) {
  return fault.call.Name() +
         (fault.index == kNoFault ? std::string(" (counting)") : " call " + std::to_string(fault.index));
}

// One run in a folder of its own, from the fork to the verdict.
class CFaultRun {
 public:
  explicit CFaultRun(const Fault& fault) : fault_(fault), folder_("", "") {}
  CFaultRun(const CFaultRun&) = delete;
  CFaultRun& operator=(const CFaultRun&) = delete;
  // A run a failed test leaves behind does not outlive it.
  ~CFaultRun() {
    if (pid_ <= 0 || ended_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

  // The tool is this program, so the stand-in dxdiag beside it is the one it
  // starts; the diagnostic text is that of a machine without display
  // controllers.
  bool Start() {
    if (!folder_.ok() || mkdir(folder_.Path("sysfs").c_str(), 0755) != 0 ||
        mkdir(folder_.Path("results").c_str(), 0755) != 0) {
      return false;
    }
    folder_.SetEnvironment("SYSFS_PATH", folder_.Path("sysfs"));
    std::fflush(nullptr);  // nothing buffered here may be written twice
    pid_ = fork();
    if (pid_ == 0) std::exit(RunInChild(fault_, folder_, folder_.Path("results")));
    deadline_ = std::chrono::steady_clock::now() + kRunBound;
    return pid_ > 0;
  }

  // True once the child has ended or was killed at the time bound.
  bool Ended() {
    if (ended_) return true;
    if (waitpid(pid_, &run_.status, WNOHANG) == pid_) {
      run_.finished = true;
    } else if (std::chrono::steady_clock::now() > deadline_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &run_.status, 0);
    } else {
      return false;
    }
    ended_ = true;
    const std::string results = folder_.Path("results/");
    run_.boxes = ReadHostFile(results + "boxes");
    run_.expectedSection = ReadHostFile(results + "expected");
    run_.leftOver = ReadHostFile(results + "live");
    run_.errorOutput = ReadHostFile(results + "stderr");
    run_.failed = ReadHostFile(results + "failed") == "1";
    std::istringstream counts(ReadHostFile(results + "counts"));
    for (unsigned long& count : run_.calls) counts >> count;
    for (unsigned long& count : run_.sites) counts >> count;
    return true;
  }

  std::string Verdict() const { return Judge(fault_, run_, folder_); }
  std::string Name() const { return Describe(fault_); }
  const CChildRun& Result() const { return run_; }

 private:
  Fault fault_;
  CRunFolder folder_;
  pid_t pid_ = -1;
  std::chrono::steady_clock::time_point deadline_;
  bool ended_ = false;
  CChildRun run_;
};

// Runs are mostly waits for the diagnostic program, so a few go at once.
const std::size_t kRunsAtOnce = 4;

class FaultTest : public testing::TestWithParam<CallKind> {};

TEST_P(FaultTest, EveryCallFailsOnceAndTheRunStillEndsWell) {
  const CallKind call = GetParam();
  CFaultRun counting({call, kNoFault});
  ASSERT_TRUE(counting.Start());
  while (!counting.Ended()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ("", counting.Verdict()) << counting.Name();
  const unsigned long calls =
      call.direct3D ? counting.Result().calls[call.kind] : counting.Result().sites[call.kind];
  RecordProperty("injected_faults", static_cast<int>(calls));
  if (NotMadeByTheRun(call)) {
    ASSERT_EQ(0u, calls) << "now made by the run: take it off the list of calls it does not make";
    GTEST_SKIP() << "the run makes no call of this kind";
  }
  ASSERT_LT(0u, calls) << "the run no longer reaches this call";

  std::vector<std::unique_ptr<CFaultRun>> running;
  unsigned long next = 0;
  int wrong = 0;
  while ((next < calls && wrong < 5) || !running.empty()) {
    while (running.size() < kRunsAtOnce && next < calls && wrong < 5) {
      running.emplace_back(new CFaultRun({call, next}));
      ASSERT_TRUE(running.back()->Start()) << running.back()->Name();
      ++next;
    }
    for (std::size_t i = 0; i < running.size();) {
      if (!running[i]->Ended()) {
        ++i;
        continue;
      }
      const std::string verdict = running[i]->Verdict();
      if (!verdict.empty()) {
        ADD_FAILURE() << running[i]->Name() << ": " << verdict;
        ++wrong;
      }
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::printf("%s: %lu faults injected\n", call.Name().c_str(), calls);
}

std::vector<CallKind> AllKinds() {
  std::vector<CallKind> kinds;
  for (std::size_t i = 0; i < kCallCount; ++i) kinds.push_back({true, i});
  for (std::size_t i = 0; i < kSiteCount; ++i) kinds.push_back({false, i});
  return kinds;
}

INSTANTIATE_TEST_SUITE_P(Calls, FaultTest, testing::ValuesIn(AllKinds()),
                         [](const testing::TestParamInfo<CallKind>& info) { return info.param.Name(); });

}  // namespace
}  // namespace vexaEnvChecker
