// Behaviour of the POSIX stand-in at the host boundary: path mapping, code
// page conversion, real files with Japanese names, the desktop folder, the
// built-in modules and the command-line rules.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/D3D8.h"
#include "platform/TextFile.h"
#include "platform/posix/internal/Console.h"
#include "platform/posix/testing/HostTesting.h"
#include "platform/posix/internal/Posix.h"
#include "platform/posix/internal/Process.h"
#include "platform/posix/internal/Shell.h"

namespace platform::posix {
namespace {

const char kHyouUtf8[] = u8"表";
const char kHyouAnsi[] = "\x95\x5C";  // trail byte 0x5C
const char kDesktopUtf8[] = u8"デスクトップ";

using testing::ReadHostFile;
using TempFolderTest = testing::CTempFolderTest;

TEST(PosixPathTest, WindowsPathsMapToHostPaths) {
  struct Case {
    const char* windows;
    const char* host;
  } const cases[] = {
      {"Z:\\home\\u\\a.txt", "/home/u/a.txt"},
      {"z:/home/u", "/home/u"},
      {"Z:", "/"},
      {"Z:\\", "/"},
      {"\\home\\u", "/home/u"},
      {"log\\a.log", "log/a.log"},
      {"a", "a"},
  };
  for (const Case& c : cases) {
    std::string host;
    ASSERT_TRUE(ToHostPath(c.windows, host)) << c.windows;
    EXPECT_EQ(c.host, host) << c.windows;
  }
  std::string host = "unchanged";
  SetLastError(0);
  EXPECT_FALSE(ToHostPath("C:\\Windows", host));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_FALSE(ToHostPath("", host));

  EXPECT_EQ("Z:\\home\\u\\Desktop", ToWindowsPath("/home/u/Desktop"));
  EXPECT_EQ("a\\b", ToWindowsPath("a/b"));
  std::string mapped;
  ASSERT_TRUE(ToHostPath((std::string("Z:\\") + kHyouAnsi + "\\x").c_str(), mapped));
  EXPECT_EQ(std::string("/") + kHyouUtf8 + "/x", mapped) << "a trail byte 0x5C is no separator";
}

TEST(PosixPathTest, CodePage932RoundTripAndReplacement) {
  EXPECT_EQ(kHyouUtf8, AnsiToUtf8(kHyouAnsi));
  EXPECT_EQ(kHyouAnsi, Utf8ToAnsi(kHyouUtf8));
  EXPECT_EQ(std::string("a") + kHyouUtf8 + "b", AnsiToUtf8(std::string("a") + kHyouAnsi + "b"));
  EXPECT_EQ("\x83\x66\x83\x58\x83\x4E\x83\x67\x83\x62\x83\x76", Utf8ToAnsi(kDesktopUtf8));
  EXPECT_EQ("\\~", AnsiToUtf8("\\~")) << "0x5C and 0x7E stay ASCII";
  EXPECT_EQ("a?b", AnsiToUtf8("a\xA0"
                              "b"));
  EXPECT_EQ("a?b", AnsiToUtf8("a\x85\x40"
                              "b"))
      << "an unassigned double-byte code is one character";
  EXPECT_EQ("?\" ?:x", AnsiToUtf8("\x81\" \x81:x")) << "a stray lead byte leaves what cannot be its trail";
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_TRUE(IsDBCSLeadByte(0xFC));
  EXPECT_FALSE(IsDBCSLeadByte(0xA0));
  EXPECT_FALSE(IsDBCSLeadByte(0x5C));
}

// Host names that code page 932 lacks, or would turn into another character
// ('¥' into the separator '\\'), take codes of its user-defined area, whose
// bytes never look like ASCII, and come back unchanged; the area's own codes
// in the program's text keep their place too.
TEST(PosixPathTest, NamesOutsideCodePage932SurviveTheRoundTrip) {
  for (const char* name : {u8"Masaüstü", u8"Työpöytä", u8"Área de trabalho", u8"a¥b\u301C", u8"a😀b",
                           u8"\uE000 \uE757"}) {
    const std::string ansi = Utf8ToAnsi(name);
    EXPECT_EQ(std::string::npos, ansi.find_first_of("?\\")) << name;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
      const unsigned char byte = static_cast<unsigned char>(ansi[i]);
      if (byte < 0x80) continue;
      ASSERT_LT(i + 1, ansi.size()) << name;
      EXPECT_TRUE(byte >= 0xF0 && byte <= 0xF9) << name;
      EXPECT_GE(static_cast<unsigned char>(ansi[++i]), 0x80) << name;
    }
    EXPECT_EQ(name, AnsiToUtf8(ansi));
  }
  for (const char* code : {"\xF0\x41", "\xF5\x80"}) EXPECT_EQ(code, Utf8ToAnsi(AnsiToUtf8(code)));
  // Text for files keeps no code that only this process knows.
  const char* const forFile = u8"Masaüstü a¥b\u301C 表";
  EXPECT_EQ(std::string("Masa?st? a?b? ") + kHyouAnsi, Utf8ToAnsiLossy(forFile));
}

TEST_F(TempFolderTest, JapaneseNamesReachTheHostAsUtf8) {
  const std::string folder = windows_ + "\\" + kHyouAnsi;
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  struct stat info;
  EXPECT_EQ(0, stat((host_ + "/" + kHyouUtf8).c_str(), &info));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA(folder.c_str()));
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());

  const std::string file = folder + "\\a.txt";
  std::ofstream(host_ + "/" + kHyouUtf8 + "/a.txt") << "x";
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesA(file.c_str()));
  EXPECT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY),
            GetFileAttributesA(file.c_str()));
  EXPECT_FALSE(DeleteFileA(file.c_str())) << "read-only files are not deleted";
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA(file.c_str()));

  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "\\no\\a.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(TempFolderTest, ImagehlpCreatesFoldersWithoutSplittingCharacters) {
  HMODULE imagehlp = LoadLibraryA("imagehlp");  // case and ".dll" as Windows allows
  ASSERT_NE(nullptr, imagehlp);
  typedef BOOL(WINAPI * MakeSure)(PCSTR);
  const MakeSure makeSure = reinterpret_cast<MakeSure>(
      reinterpret_cast<void (*)()>(GetProcAddress(imagehlp, "MakeSureDirectoryPathExists")));
  ASSERT_NE(nullptr, makeSure);
  const std::string path = windows_ + "\\" + kHyouAnsi + "\\sub\\file";
  EXPECT_TRUE(makeSure(path.c_str()));
  struct stat info;
  EXPECT_EQ(0, stat((host_ + "/" + kHyouUtf8 + "/sub").c_str(), &info));
  EXPECT_NE(0, stat((host_ + "/" + kHyouUtf8 + "/sub/file").c_str(), &info));
  EXPECT_EQ(nullptr, GetProcAddress(imagehlp, "NoSuchExport"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
  EXPECT_TRUE(FreeLibrary(imagehlp));
  EXPECT_EQ(nullptr, LoadLibraryA("d3dx8.dll"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST_F(TempFolderTest, DesktopIsTheXdgDesktopFolder) {
  // Restored however the test ends, so no later test sees this home.
  const testing::CScopedVariable home("HOME", host_.c_str());
  const testing::CScopedVariable config("XDG_CONFIG_HOME", (host_ + "/config").c_str());
  ASSERT_EQ(0, mkdir((host_ + "/config").c_str(), 0700));

  auto desktop = [](std::string& path) {
    LPITEMIDLIST list = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list);
    if (FAILED(hr)) return hr;
    char buffer[MAX_PATH];
    EXPECT_TRUE(SHGetPathFromIDListA(list, buffer));
    path = buffer;
    IMalloc* allocator = nullptr;
    EXPECT_EQ(S_OK, SHGetMalloc(&allocator));
    allocator->Free(list);
    allocator->Release();
    return hr;
  };
  std::string path;
  EXPECT_TRUE(FAILED(desktop(path))) << "no Desktop folder yet";
  ASSERT_EQ(0, mkdir((host_ + "/Desktop").c_str(), 0700));
  EXPECT_EQ(S_OK, desktop(path));
  EXPECT_EQ(windows_ + "\\Desktop", path);

  std::ofstream(host_ + "/config/user-dirs.dirs")
      << "# comment\nXDG_DESKTOP_DIR=\"$HOME/" << kDesktopUtf8 << "\"\n";
  ASSERT_EQ(0, mkdir((host_ + "/" + kDesktopUtf8).c_str(), 0700));
  EXPECT_EQ(S_OK, desktop(path));
  EXPECT_EQ(windows_ + "\\" + Utf8ToAnsi(kDesktopUtf8), path);
}

// user-dirs.dirs read as the desktop's xdg-user-dir reads it, which sources
// it with the shell; compared with that tool itself where it is installed.
TEST_F(TempFolderTest, DesktopFolderIsReadAsXdgUserDirReadsIt) {
  const testing::CScopedVariable home("HOME", host_.c_str());
  const testing::CScopedVariable config("XDG_CONFIG_HOME", (host_ + "/config").c_str());
  ASSERT_EQ(0, mkdir((host_ + "/config").c_str(), 0700));
  char folder[PATH_MAX];
  ASSERT_NE(nullptr, getcwd(folder, sizeof folder));
  const std::string here = folder;
  struct stat info;
  const bool haveTool = stat("/usr/bin/xdg-user-dir", &info) == 0;
  struct Case {
    const char* file;
    std::string expected;
  } const cases[] = {
      {"XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=\"$HOME/B\"\n", host_ + "/B"},
      {u8"XDG_DESKTOP_DIR=\"${HOME}/Työpöytä\"\n", host_ + u8"/Työpöytä"},
      {"X=$HOME/sub\nXDG_DESKTOP_DIR=\"$X/d\"\n", host_ + "/sub/d"},
      {"  export XDG_DESKTOP_DIR=$HOME/a\\ b # note\n", host_ + "/a b"},
      {"XDG_DESKTOP_DIR=~/D\n", host_ + "/D"},
      {"XDG_DESKTOP_DIR=\"$HOME/My  Desk\"\n", host_ + "/My Desk"},
      {"XDG_DESKTOP_DIR='$HOME/x'\n", here + "/$HOME/x"},
      {"XDG_DESKTOP_DIR=Desk\n", here + "/Desk"},
      {"XDG_DESKTOP_DIR=\"\"\n", host_ + "/Desktop"},
      {"XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=$HOME/B /bin/true\n", host_ + "/A"},
      {"XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=\"$HOME/open\n", ""},
  };
  for (const Case& c : cases) {
    std::ofstream(host_ + "/config/user-dirs.dirs", std::ios::binary) << c.file;
    EXPECT_EQ(c.expected, DesktopDirectory()) << c.file;
    if (!haveTool) continue;
    const std::string out = host_ + "/xdg-user-dir.out";
    ASSERT_NE(-1, std::system(("xdg-user-dir DESKTOP >'" + out + "' 2>/dev/null").c_str()));
    std::string printed = ReadHostFile(out);
    if (!printed.empty() && printed.back() == '\n') printed.pop_back();
    if (!printed.empty() && printed[0] != '/') printed = here + "/" + printed;
    EXPECT_EQ(printed, DesktopDirectory()) << "as xdg-user-dir reads " << c.file;
  }
}

TEST_F(TempFolderTest, TextFilesWriteCrLf) {
  const std::string path = windows_ + "\\" + kHyouAnsi + ".txt";
  {
    platform::CTextFileStream out(path.c_str());
    ASSERT_TRUE(out.is_open());
    out << "a\nb\r\n" << '\n';
  }
  {
    platform::CTextFileStream out(path.c_str(), std::ios::app);
    out << "c\n";
  }
  EXPECT_EQ("a\r\nb\r\r\n\r\nc\r\n", ReadHostFile(host_ + "/" + kHyouUtf8 + ".txt"));
  platform::CTextFileStream missing((windows_ + "\\no\\x.txt").c_str());
  EXPECT_FALSE(missing.is_open());
  missing << "dropped";
  EXPECT_TRUE(missing.fail());
}

TEST_F(TempFolderTest, TextFilesKeepEveryByteAcrossTheirBuffer) {
  // Lines of every length up to past the buffer, so that a line end falls on
  // each side of every buffer boundary.
  std::string text, crlf;
  for (std::size_t length = 0; length < 5000; length += 7) {
    text += std::string(length, 'x') + "\n";
    crlf += std::string(length, 'x') + "\r\n";
  }
  for (const bool binary : {false, true}) {
    const std::string path = windows_ + (binary ? "\\binary.txt" : "\\text.txt");
    platform::CTextFileStream out(path.c_str(), binary ? std::ios::out | std::ios::binary : std::ios::out);
    out.write(text.data(), 3000) << std::flush;
    out << text.substr(3000);
    out.close();
    EXPECT_TRUE(out.good());
    std::string bytes;
    ASSERT_TRUE(platform::ReadFileBytes(path.c_str(), bytes));
    EXPECT_TRUE(bytes == (binary ? text : crlf))
        << (binary ? "binary" : "text") << ", " << bytes.size() << " bytes";
  }
}

TEST(PosixProcessTest, CommandLinesSplitByTheWindowsRules) {
  struct Case {
    const char* line;
    std::vector<std::string> arguments;
  } const cases[] = {
      {"dxdiag /t Z:\\d\\envInfo.txt", {"dxdiag", "/t", "Z:\\d\\envInfo.txt"}},
      {"\"C:\\Program Files\\a.exe\" x", {"C:\\Program Files\\a.exe", "x"}},
      {"p \"a b\" c", {"p", "a b", "c"}},
      {"p a\\\\\\\"b", {"p", "a\\\"b"}},
      {"p \"a\\\\\" b", {"p", "a\\", "b"}},
      {"p a\\b\\ c", {"p", "a\\b\\", "c"}},
      {"p \"\"", {"p", ""}},
      {"p \"a\"\"b\"", {"p", "a\"b"}},
      {"p   ", {"p"}},
      {"0\"x y", {"0x y"}},  // quotes anywhere in the program name
      {"a\"b c\"d e", {"ab cd", "e"}},
      {" x", {"", "x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.arguments, SplitCommandLine(c.line)) << c.line;
}

TEST(PosixProcessTest, ChildrenGetTheCommandLineAsItWasGiven) {
  struct Case {
    const char* handedOver;  // null: started from a host shell
    std::vector<std::string> argv;
    const char* commandLine;
    const char* arguments;
  } const cases[] = {
      {"dxdiag /t Z:\\a  b\\e.txt",
       {"dxdiag", "/t", "Z:\\a", "b\\e.txt"},
       "dxdiag /t Z:\\a  b\\e.txt",
       "/t Z:\\a  b\\e.txt"},
      {u8"p  Z:\\表", {"p", u8"Z:\\表"}, "p  Z:\\\x95\x5C", "Z:\\\x95\x5C"},
      {"dxdiag /t other", {"dxdiag", "/t", "mine"}, "dxdiag /t mine", "/t mine"},  // an ancestor's line
      {"p a", {"p", "a", "b"}, "p a b", "a b"},
      {nullptr,
       {"p", "a b", "q\"r", "c\\", "", "d\\\\"},
       "p \"a b\" \"q\\\"r\" c\\ \"\" d\\\\",
       "\"a b\" \"q\\\"r\" c\\ \"\" d\\\\"},
      {nullptr, {"/opt/my app/p"}, "\"/opt/my app/p\"", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = c.argv;
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(&argument[0]);
    const std::string line = ProcessCommandLine(c.handedOver, static_cast<int>(argv.size()), pointers.data());
    EXPECT_EQ(c.commandLine, line) << c.commandLine;
    EXPECT_EQ(c.arguments, CommandLineArguments(line)) << c.commandLine;
    std::vector<std::string> split;
    for (const std::string& argument : SplitCommandLine(line)) split.push_back(AnsiToUtf8(argument));
    EXPECT_EQ(c.argv, split) << "the Windows rules give the same arguments back";
  }
}

TEST(PosixModuleTest, ModuleFileNameTruncatesLikeWindows) {
  char full[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, full, MAX_PATH);
  ASSERT_GT(length, 4u);
  EXPECT_EQ(0, std::strncmp(full, "Z:\\", 3));
  char small[5];
  SetLastError(0);
  EXPECT_EQ(5u, GetModuleFileNameA(nullptr, small, sizeof small));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(std::string(full, 4), small);
}

TEST(PosixMessageTest, SystemTextsEndInCrLf) {
  LPSTR buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  ASSERT_NE(0u, FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, 1024, reinterpret_cast<LPSTR>(&buffer),
                               0, nullptr));
  EXPECT_STREQ("The system cannot find the file specified.\r\n", buffer);
  LocalFree(buffer);
  EXPECT_EQ(0u, FormatMessageA(flags, nullptr, 0x12345, 1024, reinterpret_cast<LPSTR>(&buffer), 0, nullptr));
  EXPECT_EQ(317u, GetLastError());
}

}  // namespace
}  // namespace platform::posix

namespace platform::posix {
namespace {

struct BoxCase {
  const char* input;
  UINT type;
  int answer;
};

TEST(PosixMessageTest, MessageBoxesAskOnTheTerminal) {
  const BoxCase cases[] = {
      {"y\n", MB_YESNO | MB_ICONQUESTION, IDYES},
      {" YES \r\n", MB_YESNO, IDYES},
      {u8"はい\n", MB_YESNO, IDYES},
      {"No\n", MB_YESNO, IDNO},
      {u8"いいえ\n", MB_YESNO, IDNO},
      {"maybe\n\ny\n", MB_YESNO, IDYES},  // anything else asks again
      {"", MB_YESNO, IDNO},               // no answer is no consent
      {"maybe\n", MB_YESNO, IDNO},
      {"whatever\n", MB_OK | MB_ICONINFORMATION, IDOK},
      {"", MB_OK, IDOK},
      {"c\n", MB_OKCANCEL, IDCANCEL},
  };
  for (const BoxCase& c : cases) {
    // The answers arrive in UTF-8, as a terminal sends them.
    std::istringstream in(c.input);
    std::ostringstream out;
    SetConsoleStreams(&in, &out);
    const int answer =
        MessageBoxA(nullptr, "作業を中断しました。\r\n次の行", "vexaEnvChecker のお知らせ", c.type);
    SetConsoleStreams(nullptr, nullptr);
    EXPECT_EQ(c.answer, answer) << c.input;
    EXPECT_EQ(0u, out.str().find(u8"==== vexaEnvChecker のお知らせ"));
    EXPECT_NE(std::string::npos, out.str().find(u8"作業を中断しました。\n次の行\n"));
  }
}

}  // namespace
}  // namespace platform::posix

namespace platform::posix {
namespace {

class PosixDirect3DTest : public TempFolderTest {};

TEST_F(PosixDirect3DTest, DefaultRuntimeServesAReferenceDevice) {
  EXPECT_EQ(nullptr, Direct3DCreate8(D3D_SDK_VERSION + 1));
  IDirect3D8* d3d = nullptr;
  {
    // An empty sysfs: no display controller, whatever this machine has.
    const testing::CScopedVariable sysfs("SYSFS_PATH", host_.c_str());
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
  }
  ASSERT_NE(nullptr, d3d);
  ASSERT_EQ(1u, d3d->GetAdapterCount());
  D3DCAPS8 caps;
  EXPECT_EQ(D3DERR_NOTAVAILABLE, d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps)) << "no hardware here";
  EXPECT_EQ(D3DERR_INVALIDCALL, d3d->GetDeviceCaps(1, D3DDEVTYPE_REF, &caps));

  D3DPRESENT_PARAMETERS parameters = {};
  parameters.Windowed = TRUE;
  parameters.SwapEffect = D3DSWAPEFFECT_COPY;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  const HWND window = GetDesktopWindow();
  IDirect3DDevice8* device = nullptr;
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                              &device));
  EXPECT_EQ(nullptr, device);
  EXPECT_EQ(D3DERR_INVALIDCALL, d3d->CreateDevice(0, D3DDEVTYPE_REF, window, 0, &parameters, &device));
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &parameters, &device));
  EXPECT_EQ(1u, d3d->Release()) << "the device holds its own reference";

  EXPECT_EQ(D3D_OK, device->GetDeviceCaps(&caps));
  EXPECT_EQ(D3DDEVTYPE_REF, caps.DeviceType);
  D3DDISPLAYMODE mode;
  EXPECT_EQ(D3D_OK, device->GetDisplayMode(&mode));
  EXPECT_EQ(1024u, mode.Width);
  DWORD token = 0, value = 0;
  EXPECT_EQ(D3D_OK, device->BeginStateBlock());
  EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE));
  EXPECT_EQ(D3D_OK, device->EndStateBlock(&token));
  EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE));
  EXPECT_EQ(D3D_OK, device->ApplyStateBlock(token));
  EXPECT_EQ(D3D_OK, device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value));
  EXPECT_EQ(static_cast<DWORD>(TRUE), value);
  EXPECT_EQ(D3D_OK, device->DeleteStateBlock(token));
  EXPECT_EQ(D3DERR_INVALIDCALL, device->ApplyStateBlock(token));
  EXPECT_EQ(0u, device->Release());
}

}  // namespace
}  // namespace platform::posix
