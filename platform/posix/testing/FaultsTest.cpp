// The stand-in's fault sites: each fails its planned call the way the system
// would and no other, counts every call, and a file site counts only the
// file the plan names.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/D3D8.h"
#include "platform/TextFile.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/testing/HostTesting.h"
#include "platform/testing/Testing.h"

namespace platform::posix {
namespace {

using platform::testkit::FaultSite;

unsigned long Calls(FaultSite site) {
  std::array<unsigned long, platform::testkit::kFaultSiteCount> counts;
  platform::testkit::GetFaultCounts(counts);
  return counts[static_cast<std::size_t>(site)];
}

class FaultsTest : public testkit::CTempFolderTest {
 protected:
  void TearDown() override {
    platform::testkit::SetFaultPlan(FaultSite::kNone, 0, std::string());
    CTempFolderTest::TearDown();
  }
  std::string Windows(const std::string& name) const { return windows_ + "\\" + name; }
  std::string Read(const std::string& name) const { return testkit::ReadHostFile(host_ + "/" + name); }
};

TEST_F(FaultsTest, OnlyThePlannedCallFails) {
  ASSERT_TRUE(platform::testkit::SetFaultPlan(FaultSite::kCoInitializeEx, 1, std::string()));
  EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  EXPECT_EQ(E_OUTOFMEMORY, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) << "planned, before any check";
  EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_MULTITHREADED)) << "the failed start changed nothing";
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(3u, Calls(FaultSite::kCoInitializeEx));

  platform::testkit::SetFaultPlan(FaultSite::kDirect3DCreate8, 0, std::string());
  EXPECT_EQ(nullptr, Direct3DCreate8(D3D_SDK_VERSION));
  IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, direct3D);
  direct3D->Release();
  EXPECT_EQ(0u, Calls(FaultSite::kCoInitializeEx)) << "a new plan counts afresh";
}

TEST_F(FaultsTest, FailedStartAndWaitLeaveTheProcessAlone) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char commandLine[] = "true";
  platform::testkit::SetFaultPlan(FaultSite::kCreateProcessA, 0, std::string());
  EXPECT_FALSE(
      CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
  EXPECT_EQ(nullptr, process.hProcess);

  platform::testkit::SetFaultPlan(FaultSite::kWaitForSingleObject, 0, std::string());
  ASSERT_TRUE(
      CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(process.hProcess, 10000));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000)) << "the process is still there";
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
  EXPECT_EQ(0u, exitCode);
  EXPECT_TRUE(CloseHandle(process.hThread));
  EXPECT_TRUE(CloseHandle(process.hProcess));
}

TEST_F(FaultsTest, FileSitesFailOnlyTheNamedFile) {
  struct Case {
    FaultSite site;
    unsigned long index;
    const char* report;    // what the planned file holds afterwards; null: no file
    bool closes;           // whether closing reports success
    unsigned long writes;  // write calls of the planned file
  } const cases[] = {
      {FaultSite::kFileOpen, 0, nullptr, false, 0},
      {FaultSite::kFileWrite, 0, "", false, 1},
      {FaultSite::kFileWrite, 1, "one\r\n", false, 2},  // what was written stays; nothing more is tried
      {FaultSite::kFileWrite, 3, "one\r\ntwo\r\nend", true, 3},
      {FaultSite::kFileClose, 0, "one\r\ntwo\r\nend", false, 3},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(platform::testkit::SetFaultPlan(c.site, c.index, "report.txt"));
    platform::CTextFileStream report(Windows("report.txt").c_str());
    platform::CTextFileStream log(Windows("report.log").c_str());
    for (std::ostream* out : {static_cast<std::ostream*>(&report), static_cast<std::ostream*>(&log)}) {
      *out << "one" << std::endl << "two" << std::endl << "end";
    }
    report.close();
    log.close();
    const std::string name = std::to_string(static_cast<int>(c.site)) + "/" + std::to_string(c.index);
    EXPECT_EQ(c.closes, !report.fail()) << name;
    EXPECT_TRUE(log.good()) << name;
    EXPECT_EQ("one\r\ntwo\r\nend", Read("report.log")) << name;
    EXPECT_EQ(c.report != nullptr ? c.report : "", Read("report.txt")) << name;
    EXPECT_EQ(c.report != nullptr, access((host_ + "/report.txt").c_str(), F_OK) == 0) << name;
    EXPECT_EQ(1u, Calls(FaultSite::kFileOpen)) << name;
    EXPECT_EQ(c.writes, Calls(FaultSite::kFileWrite)) << name;
    EXPECT_EQ(c.report != nullptr ? 1u : 0u, Calls(FaultSite::kFileClose)) << name;
    unlink((host_ + "/report.txt").c_str());
  }
}

}  // namespace
}  // namespace platform::posix
