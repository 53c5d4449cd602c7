// What the Windows program carries besides its code, read back from the
// built program the way Windows reads it: the version in its file
// properties, its manifest and its icon.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Win32.h"
// Left out by the lean Win32 header.
#include <winver.h>
// For the version of the common controls an activation context gives.
#include <shlwapi.h>

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

class VersionInfoTest : public testing::Test {
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

// The manifest as the loader reads it: an activation context made from the
// program's resource 1.
class ManifestTest : public testing::Test {
 protected:
  void SetUp() override {
    ACTCTXA description = {};
    description.cbSize = sizeof description;
    description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.lpSource = path_.c_str();
    description.lpResourceName = MAKEINTRESOURCEA(1);
    context_ = CreateActCtxA(&description);
    ASSERT_NE(INVALID_HANDLE_VALUE, context_) << path_ << ": error " << GetLastError();
  }
  void TearDown() override {
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
  }

  std::wstring Setting(const wchar_t* space, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context_, space, name, value, 64, &written)) return L"<missing>";
    return value;
  }

  const std::string path_ = ProgramPath();
  HANDLE context_ = INVALID_HANDLE_VALUE;
};

TEST_F(ManifestTest, RunsWithTheUsersOwnRights) {
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
  level.RunLevel = ACTCTX_RUN_LEVEL_REQUIRE_ADMIN;
  level.UiAccess = TRUE;
  SIZE_T written = 0;
  ASSERT_TRUE(QueryActCtxW(0, context_, nullptr, RunlevelInformationInActivationContext, &level, sizeof level,
                           &written));
  EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
  EXPECT_FALSE(level.UiAccess);
}

TEST_F(ManifestTest, NamesEverySystemFromVistaTo11) {
  std::vector<BYTE> data(512, 0xCC);
  SIZE_T written = 0;
  ASSERT_TRUE(QueryActCtxW(0, context_, nullptr, CompatibilityInformationInActivationContext, data.data(),
                           data.size(), &written));
  DWORD count = 0;
  std::memcpy(&count, data.data(), sizeof count);
  // Newer systems add a 64-bit field to each element (GUID, type, padding,
  // the field), which puts the list on an 8-byte boundary.
  size_t first = 4, stride = sizeof(GUID) + 4;
  if (count != 0 && written == 8 + count * (sizeof(GUID) + 16)) first = 8, stride = sizeof(GUID) + 16;
  ASSERT_EQ(first + count * stride, written);
  std::vector<std::string> systems;
  for (DWORD i = 0; i < count; ++i) {
    GUID id;
    std::memcpy(&id, data.data() + first + i * stride, sizeof id);
    char text[40];
    snprintf(text, sizeof text, "%08lx-%04x-%04x", static_cast<unsigned long>(id.Data1), id.Data2, id.Data3);
    systems.push_back(text);
  }
  const std::vector<std::string> expected = {"e2011457-1546-43c5", "35138b9a-5d96-4fbd", "4a2f28e3-53b9-4441",
                                             "1f676c76-80e1-4239", "8e0f7a12-bfb3-4fe8"};
  EXPECT_EQ(expected, systems) << "Vista, 7, 8, 8.1, 10 and 11";
}

TEST_F(ManifestTest, IsDpiAwarePerMonitor) {
  EXPECT_EQ(L"true/pm", Setting(nullptr, L"dpiAware"));
  EXPECT_EQ(L"PerMonitorV2, PerMonitor",
            Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"));
}

// The one assembly the program depends on, as the loader resolved it: the
// common controls of version 6, whichever build of them the system has.
TEST_F(ManifestTest, BringsCommonControls6) {
  DWORD index = 2;  // 1 is the program itself
  SIZE_T size = 0;
  QueryActCtxW(0, context_, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &size);
  ASSERT_LT(0u, size) << "the program depends on no assembly";
  std::vector<BYTE> data(size);
  ASSERT_TRUE(QueryActCtxW(0, context_, &index, AssemblyDetailedInformationInActivationContext, data.data(),
                           size, &size));
  const auto* assembly =
      reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(data.data());
  ASSERT_NE(nullptr, assembly->lpAssemblyEncodedAssemblyIdentity);
  const std::wstring identity = assembly->lpAssemblyEncodedAssemblyIdentity;
  EXPECT_EQ(0u, identity.find(L"Microsoft.Windows.Common-Controls,"))
      << std::string(identity.begin(), identity.end());
  EXPECT_NE(std::wstring::npos, identity.find(L"version=\"6."))
      << std::string(identity.begin(), identity.end());
}

// The icon Explorer shows: the first icon group, at every size Explorer asks
// for, and at 32 x 32 the picture of the SVG: transparent round it, the
// screen light blue, the check mark's circle green (up to the blending of
// the scaled-down edges).
TEST(IconTest, IsTheProjectsOwnAtEverySize) {
  const std::string path = ProgramPath();
  const HMODULE program = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program) << path << ": error " << GetLastError();
  const HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_NE(nullptr, group);
  const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(program, group)));
  ASSERT_NE(nullptr, directory);
  WORD count = 0;
  std::memcpy(&count, directory + 4, sizeof count);
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* entry = directory + 6 + 14 * i;  // width, height, colours, 0, planes, bits, bytes, id
    WORD bits = 0;
    std::memcpy(&bits, entry + 6, sizeof bits);
    EXPECT_EQ(32, bits) << "entry " << i;
    sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
  }
  EXPECT_EQ((std::vector<int>{256, 48, 32, 24, 16}), sizes);

  const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(directory), TRUE, 32, 32, LR_DEFAULTCOLOR);
  const HRSRC image = FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
  ASSERT_NE(nullptr, image);
  const HICON icon =
      CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(program, image))),
                               SizeofResource(program, image), TRUE, 0x00030000, 32, 32, LR_DEFAULTCOLOR);
  ASSERT_NE(nullptr, icon);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = 32;
  format.bmiHeader.biHeight = -32;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(32 * 32);
  const HDC screen = GetDC(nullptr);
  EXPECT_EQ(32, GetDIBits(screen, info.hbmColor, 0, 32, pixels.data(), &format, DIB_RGB_COLORS));
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
  FreeLibrary(program);
  // Alpha and colour (0xAARRGGBB) at a corner, on the screen, in the circle.
  const auto looksLike = [&pixels](int x, int y, DWORD colour) {
    for (int shift = 0; shift < 32; shift += 8) {
      const int channel = (pixels[y * 32 + x] >> shift) & 0xFF, expected = (colour >> shift) & 0xFF;
      if (channel < expected - 8 || channel > expected + 8) return false;
    }
    return true;
  };
  EXPECT_EQ(0u, pixels[0] >> 24) << "transparent corner";
  EXPECT_TRUE(looksLike(5, 20, 0xFF4FC3F7)) << "the screen: " << std::hex << pixels[20 * 32 + 5];
  EXPECT_TRUE(looksLike(22, 18, 0xFF43A047))
      << "the check mark's circle: " << std::hex << pixels[18 * 32 + 22];
}

}  // namespace
