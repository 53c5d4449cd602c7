// Bounded reads of the host's files and of in-memory trees, and the line
// reader that streams large data files through a fixed-size window.
#include "platform/posix/internal/FileAccess.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <set>

namespace platform::posix {
namespace {

const std::size_t kChunkBytes = 64 * 1024;

class CDescriptor {
 public:
  explicit CDescriptor(int fd) : fd_(fd) {}
  CDescriptor(const CDescriptor&) = delete;
  CDescriptor& operator=(const CDescriptor&) = delete;
  ~CDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool CHostFiles::Read(const std::string& path, std::uint64_t offset, std::size_t limit,
                      std::string& bytes) const {
  // Non-blocking, so that a pipe planted in the tree cannot hold the open;
  // it is then refused as not being a regular file.
  const CDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct stat info;
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (offset > static_cast<std::uint64_t>(LLONG_MAX)) return true;
  const std::size_t start = bytes.size();
  std::size_t got = 0;
  bytes.resize(start + limit);
  while (got < limit) {
    const ssize_t n = pread(fd.get(), &bytes[start + got], limit - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes.resize(start);
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(start + got);
  return true;
}

bool CHostFiles::List(const std::string& path, std::size_t limit, std::vector<std::string>& names) const {
  names.clear();
  DIR* folder = opendir(path.c_str());
  if (folder == nullptr) return false;
  while (names.size() < limit) {
    const dirent* entry = readdir(folder);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(folder);
  return true;
}

bool CHostFiles::ReadLink(const std::string& path, std::string& target) const {
  char buffer[PATH_MAX];
  const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
  // A target that fills the buffer may have been cut off.
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return false;
  target.assign(buffer, static_cast<std::size_t>(length));
  return true;
}

CMemoryFiles& CMemoryFiles::File(const std::string& path, std::string bytes) {
  files_[path] = std::move(bytes);
  return *this;
}

CMemoryFiles& CMemoryFiles::Link(const std::string& path, std::string target) {
  links_[path] = std::move(target);
  return *this;
}

bool CMemoryFiles::Read(const std::string& path, std::uint64_t offset, std::size_t limit,
                        std::string& bytes) const {
  const auto found = files_.find(path);
  if (found == files_.end()) return false;
  if (offset < found->second.size()) bytes.append(found->second, static_cast<std::size_t>(offset), limit);
  return true;
}

bool CMemoryFiles::List(const std::string& path, std::size_t limit, std::vector<std::string>& names) const {
  names.clear();
  const std::string prefix = path + "/";
  std::set<std::string> children;
  for (const auto* table : {&files_, &links_}) {
    for (auto it = table->lower_bound(prefix);
         it != table->end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
      const std::string rest = it->first.substr(prefix.size());
      children.insert(rest.substr(0, rest.find('/')));
    }
  }
  if (children.empty()) return false;
  for (const std::string& child : children) {
    if (names.size() >= limit) break;
    names.push_back(child);
  }
  return true;
}

bool CMemoryFiles::ReadLink(const std::string& path, std::string& target) const {
  const auto found = links_.find(path);
  if (found == links_.end()) return false;
  target = found->second;
  return true;
}

bool ReadSmallFile(const IFileAccess& files, const std::string& path, std::size_t limit, std::string& text) {
  text.clear();
  return files.Read(path, 0, limit, text);
}

bool ForEachLine(const IFileAccess& files, const std::string& path, std::size_t maxBytes, std::size_t maxLine,
                 const std::function<bool(std::string_view line)>& line) {
  std::string pending;    // the start of a line that the last chunk cut
  bool overlong = false;  // the pending line has outgrown maxLine: skip to its end
  std::uint64_t offset = 0;
  std::string chunk;
  while (offset < maxBytes) {
    chunk.clear();
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, maxBytes - offset));
    if (!files.Read(path, offset, want, chunk)) return offset != 0;
    offset += chunk.size();
    const bool atEnd = chunk.size() < want;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = chunk.find('\n', start);
      const std::size_t stop = end == std::string::npos ? chunk.size() : end;
      if (!overlong) {
        if (pending.size() + (stop - start) > maxLine + 1) {  // room for a '\r' before the '\n'
          overlong = true;
          pending.clear();
        } else {
          pending.append(chunk, start, stop - start);
        }
      }
      if (end == std::string::npos) break;
      if (!overlong) {
        std::string_view text(pending);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.size() <= maxLine && !line(text)) return true;
      }
      pending.clear();
      overlong = false;
      start = end + 1;
    }
    if (atEnd) break;
  }
  // The last line of a file without a final line end; at the limit only
  // when the file ends there too.
  std::string_view last(pending);
  if (!last.empty() && last.back() == '\r') last.remove_suffix(1);
  std::string probe;
  if (!overlong && !last.empty() && last.size() <= maxLine &&
      (offset < maxBytes || (files.Read(path, offset, 1, probe) && probe.empty()))) {
    line(last);
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return std::string_view();
  return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

std::string PrintableText(std::string_view text) {
  std::string printable(text);
  for (char& c : printable) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return printable;
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
         name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string_view LastComponent(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace platform::posix
