#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/TextFile.h"
#include "platform/testing/Testing.h"
#include "vexaSDK/Common/testing/vexaTestLog.h"
#include "vexaSDK/System/vexaFormat.h"
#include "vexaSDK/System/vexaPath.h"
#include "vexaSDK/System/vexaProcess.h"

namespace vexaSDK {
namespace System {
namespace {

// Relative paths work alike on every platform: the test's folder is the
// working folder, with a folder of its own per test process.
const std::string kRoot =
    FormatText("vexa_process_test_%lu\\", static_cast<unsigned long>(GetCurrentProcessId()));

class ProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    Remove(kRoot);
    ASSERT_TRUE(CreateDirectoryA(kRoot.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  }
  void TearDown() override {
    platform::testkit::SetImagehlpState(platform::testkit::ModuleState::kPresent);
    Remove(kRoot);
  }
  static void Remove(const std::string& folder) {
    for (const char* file : {"file.txt", "go", "a\\b\\c", "a\\b", "a"}) {
      const std::string path = folder + file;
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(folder.c_str());
  }
};

TEST_F(ProcessTest, ExistenceTellsFilesFromFolders) {
  const std::string file = kRoot + "file.txt";
  platform::CTextFileStream(file.c_str()) << "x";
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_TRUE(DirectoryExists(kRoot));
  EXPECT_FALSE(FileExists(kRoot));
  EXPECT_FALSE(FileExists(kRoot + "missing"));
  EXPECT_FALSE(DirectoryExists(kRoot + "missing"));
  EXPECT_FALSE(FileExists(""));
}

TEST_F(ProcessTest, CreateDirectoryPathMakesEveryMissingFolder) {
  const std::string deep = kRoot + "a\\b\\c\\";
  EXPECT_TRUE(CreateDirectoryPath(deep, FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(CreateDirectoryPath(deep, FILE_ATTRIBUTE_NORMAL))
      << "an existing folder only gets its attributes";
  // A last part without a backslash is a file name and is not created.
  EXPECT_FALSE(CreateDirectoryPath(kRoot + "a\\b\\c\\d", FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(DirectoryExists(kRoot + "a\\b\\c\\d"));
}

TEST_F(ProcessTest, CreateDirectoryPathNeedsImagehlp) {
  using platform::testkit::ModuleState;
  const std::string folder = kRoot + "a\\";
  for (ModuleState state : {ModuleState::kMissing, ModuleState::kWithoutExport}) {
    if (!platform::testkit::SetImagehlpState(state))
      GTEST_SKIP() << "the system's own IMAGEHLP.dll is in use";
    EXPECT_FALSE(CreateDirectoryPath(folder, FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(DirectoryExists(folder));
  }
}

TEST_F(ProcessTest, LaunchFindsTheProgramFromTheCommandLine) {
  // The test program itself, asked to run no test: it ends at once with 0.
  const std::string command = "\"" + GetModuleFilePath(nullptr) + "\" --gtest_filter=NoSuchTest";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(LaunchProcess("", command, startup, process, nullptr, nullptr, FALSE, 0, nullptr, nullptr));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
  DWORD exitCode = 1;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
  EXPECT_EQ(0u, exitCode);
  EXPECT_TRUE(CloseHandle(process.hThread));
  EXPECT_TRUE(CloseHandle(process.hProcess));
  EXPECT_FALSE(CloseHandle(process.hProcess));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

// Run in a child process by WaitHonoursItsTimeOut: lives until the file "go"
// appears in its working folder (at most a minute).
TEST(ProcessChild, DISABLED_WaitsForGo) {
  for (int i = 0; i < 6000 && !FileExists("go"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST_F(ProcessTest, WaitHonoursItsTimeOut) {
  const std::string command = Common::testkit::ChildTestCommand("ProcessChild.DISABLED_WaitsForGo");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(
      LaunchProcess("", command, startup, process, nullptr, nullptr, FALSE, 0, nullptr, kRoot.c_str()));
  // The child cannot end before it is told to, so these waits must time out.
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(process.hProcess, 0));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(process.hProcess, 300));
  const auto waited = std::chrono::steady_clock::now() - start;
  // Windows may end a wait up to one clock tick (about 16 ms) early.
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  platform::CTextFileStream((kRoot + "go").c_str()) << "go";
  DWORD exitCode = 1;
  EXPECT_TRUE(platform::testkit::WaitForExit(process, exitCode));
  EXPECT_EQ(0u, exitCode);
  DeleteFileA((kRoot + "go").c_str());
}

TEST_F(ProcessTest, LaunchOfAMissingProgramFails) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  EXPECT_FALSE(LaunchProcess("", "vexa-no-such-program /t x", startup, process, nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(ProcessTest, LaunchIntoAMissingFolderFails) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const std::string missing = kRoot + "no such folder\\";
  EXPECT_FALSE(LaunchProcess("", Common::testkit::ChildTestCommand("NoSuchTest"), startup, process, nullptr,
                             nullptr, FALSE, 0, nullptr, missing.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIRECTORY), GetLastError());
}

}  // namespace
}  // namespace System
}  // namespace vexaSDK
