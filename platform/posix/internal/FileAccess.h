// Bounded access to trees of files the stand-in does not control (sysfs,
// procfs, data files of other packages): a small interface with the host's
// own files behind it, and an in-memory tree for tests and fuzzing. Readers
// built on it never ask for more than a fixed number of bytes, names or link
// characters, so a hostile tree can make their answer shorter, never longer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

class IFileAccess {
 public:
  virtual ~IFileAccess() = default;

  // Appends at most `limit` bytes of the regular file `path`, starting at
  // `offset`; fewer bytes mean the file ended. False for anything that is not
  // a readable regular file (folders, pipes and devices included).
  virtual bool Read(const std::string& path, std::uint64_t offset, std::size_t limit,
                    std::string& bytes) const = 0;
  // Replaces `names` with at most `limit` names of the folder's entries,
  // without "." and "..", in no particular order.
  virtual bool List(const std::string& path, std::size_t limit, std::vector<std::string>& names) const = 0;
  // The target text of the symbolic link `path`.
  virtual bool ReadLink(const std::string& path, std::string& target) const = 0;
};

// The host's files; paths are host paths.
class CHostFiles final : public IFileAccess {
 public:
  bool Read(const std::string& path, std::uint64_t offset, std::size_t limit,
            std::string& bytes) const override;
  bool List(const std::string& path, std::size_t limit, std::vector<std::string>& names) const override;
  bool ReadLink(const std::string& path, std::string& target) const override;
};

// A tree held in memory: files and links by their full path; folders are
// the paths above them.
class CMemoryFiles final : public IFileAccess {
 public:
  CMemoryFiles& File(const std::string& path, std::string bytes);
  CMemoryFiles& Link(const std::string& path, std::string target);

  bool Read(const std::string& path, std::uint64_t offset, std::size_t limit,
            std::string& bytes) const override;
  bool List(const std::string& path, std::size_t limit, std::vector<std::string>& names) const override;
  bool ReadLink(const std::string& path, std::string& target) const override;

 private:
  std::map<std::string, std::string> files_;
  std::map<std::string, std::string> links_;
};

// The first `limit` bytes of a small file, such as a sysfs attribute.
bool ReadSmallFile(const IFileAccess& files, const std::string& path, std::size_t limit, std::string& text);

// Calls `line` with each line (without "\n" or "\r\n") among the first
// `maxBytes` bytes of `path`; lines longer than `maxLine` are skipped whole,
// and a line cut off by `maxBytes` is not delivered. `line` returns false to
// stop early. False when the file cannot be read at all.
bool ForEachLine(const IFileAccess& files, const std::string& path, std::size_t maxBytes, std::size_t maxLine,
                 const std::function<bool(std::string_view line)>& line);

// `text` without blanks, tabs and line ends at either end.
std::string_view TrimBlanks(std::string_view text);

// `text` with every control character (a line end, an escape sequence)
// turned into '?', so that it cannot break the lines of a report.
std::string PrintableText(std::string_view text);

// True for a name that can stand as one path component: not empty, not "."
// or "..", no '/' or NUL, at most 255 bytes.
bool IsPlainName(std::string_view name);

// The last component of a link target or path.
std::string_view LastComponent(std::string_view path);

}  // namespace platform::posix
