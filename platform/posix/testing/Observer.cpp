// The stand-in's observer in test programs: it records the processes started
// and the boxes shown, and serves what a test put in place of the host's
// terminal, modules and runtime model. It opens the door before main, so a
// test sees every call of its program.
#include "platform/posix/internal/Observer.h"

#include <mutex>

#include "platform/posix/testing/StandIn.h"

namespace platform::posix {
namespace {

class CTestObserver final : public IObserver {
 public:
  void ProcessStarting(const ProcessStartCall& call) override {
    std::lock_guard<std::mutex> lock(mutex_);
    start_.applicationName = call.applicationName != nullptr;
    start_.commandLine = call.commandLine != nullptr ? call.commandLine : "";
    start_.processAttributes = call.processAttributes != nullptr;
    start_.threadAttributes = call.threadAttributes != nullptr;
    start_.inheritHandles = call.inheritHandles;
    start_.creationFlags = call.creationFlags;
    start_.environment = call.environment != nullptr;
    start_.currentDirectory = call.currentDirectory != nullptr;
  }
  void Waiting(DWORD milliseconds) override {
    std::lock_guard<std::mutex> lock(mutex_);
    waitTimeout_ = milliseconds;
  }
  void BoxShowing(HWND owner, UINT style) override {
    std::lock_guard<std::mutex> lock(mutex_);
    boxOwner_ = owner;
    boxStyle_ = style;
  }
  std::istream* ConsoleIn() override { return in_; }
  std::ostream* ConsoleOut() override { return out_; }
  ModuleTable Modules() override { return modules_; }
  std::shared_ptr<platform::d3d8::CRuntimeModel> Model() override { return model_; }

  std::mutex mutex_;
  platform::testkit::ProcessStart start_;
  DWORD waitTimeout_ = 0;
  HWND boxOwner_ = nullptr;
  UINT boxStyle_ = 0;
  std::istream* in_ = nullptr;
  std::ostream* out_ = nullptr;
  ModuleTable modules_;
  std::shared_ptr<platform::d3d8::CRuntimeModel> model_;
};

CTestObserver& TestObserver() {
  // Never destroyed: exit handlers may still show boxes after static
  // destructors have run.
  static CTestObserver* const installed = [] {
    CTestObserver* created = new CTestObserver;
    observer = created;
    return created;
  }();
  return *installed;
}

[[maybe_unused]] const bool kOpenedBeforeMain = (TestObserver(), true);

}  // namespace

void SetConsoleStreams(std::istream* in, std::ostream* out) {
  TestObserver().in_ = in;
  TestObserver().out_ = out;
}

void GetLastBox(HWND& owner, UINT& style) {
  std::lock_guard<std::mutex> lock(TestObserver().mutex_);
  owner = TestObserver().boxOwner_;
  style = TestObserver().boxStyle_;
}

void SetBuiltinModules(const BuiltinModule* table, std::size_t count) {
  ModuleTable& modules = TestObserver().modules_;
  modules = {table, table != nullptr ? count : 0, modules.generation + 1};
}

void SetServedModel(const std::shared_ptr<platform::d3d8::CRuntimeModel>& model) {
  TestObserver().model_ = model;
}

platform::testkit::ProcessStart LastProcessStart() {
  std::lock_guard<std::mutex> lock(TestObserver().mutex_);
  return TestObserver().start_;
}

DWORD LastWaitTimeout() {
  std::lock_guard<std::mutex> lock(TestObserver().mutex_);
  return TestObserver().waitTimeout_;
}

}  // namespace platform::posix
