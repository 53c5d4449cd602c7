// The PCI name database read once for many lookups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/internal/HostHardware.h"
#include "platform/posix/testing/HostTesting.h"

namespace platform::posix {
namespace {

using testkit::CFakeSysfs;
using testkit::kPciIds;

// Counts what is read through it.
class CCountingFiles final : public IFileAccess {
 public:
  explicit CCountingFiles(const IFileAccess& files) : files_(files) {}
  bool Read(const std::string& path, std::uint64_t offset, std::size_t limit,
            std::string& bytes) const override {
    ++reads;
    return files_.Read(path, offset, limit, bytes);
  }
  bool List(const std::string& path, std::size_t limit, std::vector<std::string>& names) const override {
    return files_.List(path, limit, names);
  }
  bool ReadLink(const std::string& path, std::string& target) const override {
    return files_.ReadLink(path, target);
  }
  mutable int reads = 0;

 private:
  const IFileAccess& files_;
};

// A reader of a thousand reports looks names up through one reading of the
// database, with the names as the database gives them.
TEST(PciNamesTest, PciNameBookReadsTheDatabaseOnce) {
  CFakeSysfs tree;
  tree.File("pci.ids", kPciIds);
  CCountingFiles files(tree.Memory());
  CPciNameBook book(files, {tree.Path("none.ids"), tree.Path("pci.ids")});
  const int reads = files.reads;
  for (int report = 0; report < 3; ++report) {
    const PciNames known = book.LookUp(0x10de, 0x1c03), device = book.LookUp(0x10de, 0x3710),
                   vendor = book.LookUp(0x1234, 0x1111);
    EXPECT_EQ("NVIDIA Corporation|GP106 [GeForce GTX 1060 6GB]", known.vendor + "|" + known.device);
    EXPECT_EQ("NVIDIA Corporation|", device.vendor + "|" + device.device);
    EXPECT_EQ("|", vendor.vendor + "|" + vendor.device);
  }
  EXPECT_EQ(reads, files.reads);
}

}  // namespace
}  // namespace platform::posix
