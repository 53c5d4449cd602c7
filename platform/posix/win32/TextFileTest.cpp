// Text files written with CR LF line ends, every byte kept across the
// buffer, and a stream that failed never passing for one that wrote.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextFile.h"
#include "platform/posix/testing/HostTesting.h"

namespace platform::posix {
namespace {

const char kHyouUtf8[] = u8"表";
const char kHyouAnsi[] = "\x95\x5C";  // trail byte 0x5C

using testkit::ReadHostFile;
using TempFolderTest = testkit::CTempFolderTest;

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

// A file that failed (a full disk) leaves nothing behind in the buffer: the
// next file opened with it writes and says so.
TEST_F(TempFolderTest, AFailedFileDoesNotFailTheNextOne) {
  platform::CCrLfFileBuf file;
  const std::string moreThanTheBuffer(5000, 'x');
  ASSERT_TRUE(file.open("Z:\\dev\\full", std::ios::out));
  file.sputn(moreThanTheBuffer.data(), static_cast<std::streamsize>(moreThanTheBuffer.size()));
  EXPECT_FALSE(file.close()) << "the disk is full";
  ASSERT_TRUE(file.open((windows_ + "\\after.txt").c_str(), std::ios::out));
  file.sputn("a\n", 2);
  EXPECT_TRUE(file.close());
  EXPECT_EQ("a\r\n", ReadHostFile(host_ + "/after.txt"));
}

}  // namespace
}  // namespace platform::posix
