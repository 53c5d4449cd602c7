// Bounded reading of trees the stand-in does not control, on disk and in
// memory alike.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/posix/internal/FileAccess.h"
#include "platform/posix/testing/HostTesting.h"

namespace platform::posix {
namespace {

using testkit::CFakeSysfs;

TEST(FileAccessTest, LinesAreBoundedOnDiskAndInMemory) {
  CFakeSysfs tree;
  tree.File("lines", "a\r\nbb\n" + std::string(40, 'c') + "\nd\r\n\neee")
      .File("cut", "a\nbb\ncc")
      .File("empty", "");
  struct Case {
    const char* file;
    std::size_t maxBytes;
    std::size_t stopAfter;
    const char* lines;
  } const cases[] = {
      {"lines", 1024, 99, "a|bb|d||eee|"},
      {"lines", 1024, 2, "a|bb|"},
      {"cut", 4, 99, "a|"},  // "bb" may go on
      {"cut", 6, 99, "a|bb|"},
      {"cut", 7, 99, "a|bb|cc|"},  // the file ends where the limit does
      {"empty", 1024, 99, ""},
  };
  const CHostFiles disk;
  for (const Case& c : cases) {
    for (const IFileAccess* files : std::initializer_list<const IFileAccess*>{&disk, &tree.Memory()}) {
      std::string seen;
      std::size_t count = 0;
      EXPECT_TRUE(ForEachLine(*files, tree.Path(c.file), c.maxBytes, 8, [&](std::string_view line) {
        seen += std::string(line) + "|";
        return ++count < c.stopAfter;
      }));
      EXPECT_EQ(c.lines, seen) << c.file << " " << c.maxBytes;
    }
  }
  EXPECT_FALSE(ForEachLine(disk, tree.Path("none"), 10, 10, [](std::string_view) { return true; }));
}

// A line of exactly the limit is one line, whether it ends in LF or CR LF;
// one byte more and it is skipped whole.
TEST(FileAccessTest, LinesOfTheLimitAreWhole) {
  CFakeSysfs tree;
  tree.File("limit", "12345678\r\nabcdefgh\n123456789\n12345678\r\r\nxy\r\n");
  const CHostFiles disk;
  for (const IFileAccess* files : std::initializer_list<const IFileAccess*>{&disk, &tree.Memory()}) {
    std::string seen;
    EXPECT_TRUE(ForEachLine(*files, tree.Path("limit"), 1024, 8, [&](std::string_view line) {
      seen += std::string(line) + "|";
      return true;
    }));
    EXPECT_EQ("12345678|abcdefgh|xy|", seen);
  }
}

TEST(FileAccessTest, HostFilesReadOnlyRegularFiles) {
  CFakeSysfs tree;
  tree.File("sub/file", "0123456789").Link("sub/link", "file");
  ASSERT_EQ(0, mkfifo(tree.Path("sub/fifo").c_str(), 0600));
  const CHostFiles disk;
  std::string bytes = "kept:";
  EXPECT_TRUE(disk.Read(tree.Path("sub/file"), 3, 4, bytes));
  EXPECT_EQ("kept:3456", bytes);
  bytes.clear();
  EXPECT_TRUE(disk.Read(tree.Path("sub/link"), 8, 100, bytes));
  EXPECT_EQ("89", bytes);
  for (const std::string& path :
       {tree.Path("sub/fifo"), tree.Path("sub"), tree.Path("none"), std::string("/dev/zero")}) {
    bytes.clear();
    EXPECT_FALSE(disk.Read(path, 0, 10, bytes)) << path;  // a pipe would otherwise block
    EXPECT_EQ("", bytes) << path;
  }
  std::vector<std::string> names;
  EXPECT_TRUE(disk.List(tree.Path("sub"), 2, names));
  EXPECT_EQ(2u, names.size());
  EXPECT_FALSE(disk.List(tree.Path("sub/file"), 10, names));
  std::string target;
  EXPECT_TRUE(disk.ReadLink(tree.Path("sub/link"), target));
  EXPECT_EQ("file", target);
  EXPECT_FALSE(disk.ReadLink(tree.Path("sub/file"), target));
}

}  // namespace
}  // namespace platform::posix
