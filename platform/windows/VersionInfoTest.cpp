// The version the Windows program carries in its file properties, read back
// from the built program the way Explorer reads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Win32.h"
// Left out by the lean Win32 header.
#include <winver.h>

namespace {

// The host path of the built program as the Windows side sees it (drive Z:
// is the host root under Wine).
std::string ProgramPath() {
  std::string path = VEXA_ENV_CHECKER;
  if (!path.empty() && path[0] == '/') path.insert(0, "Z:");
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class VersionInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &ignored);
    ASSERT_NE(0u, size) << path_ << ": error " << GetLastError();
    data_.assign(size, 0);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, data_.data()));
  }

  std::string Text(const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(data_.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        value == nullptr) {
      return "<missing>";
    }
    return std::string(value, length > 0 ? length - 1 : 0);
  }

  const std::string path_ = ProgramPath();
  std::vector<char> data_;
};

TEST_F(VersionInfoTest, NumbersAreTheProjectVersion) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
  EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
  const DWORD high = MAKELONG(VEXA_VERSION_MINOR, VEXA_VERSION_MAJOR), low = MAKELONG(0, VEXA_VERSION_PATCH);
  EXPECT_EQ(high, fixed->dwFileVersionMS);
  EXPECT_EQ(low, fixed->dwFileVersionLS);
  EXPECT_EQ(high, fixed->dwProductVersionMS);
  EXPECT_EQ(low, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
}

TEST_F(VersionInfoTest, TextsSitUnderTheJapaneseTranslation) {
  struct Translation {
    WORD language, codePage;
  }* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(4u, length);
  EXPECT_EQ(0x0411, translation->language);
  EXPECT_EQ(932, translation->codePage);
  EXPECT_EQ(VEXA_VERSION, Text("FileVersion"));
  EXPECT_EQ(VEXA_VERSION, Text("ProductVersion"));
  EXPECT_EQ("vexaEnvChecker.exe", Text("OriginalFilename"));
  EXPECT_EQ("vexaEnvChecker", Text("ProductName"));
}

}  // namespace
