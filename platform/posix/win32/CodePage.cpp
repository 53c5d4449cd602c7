// Code page 932 at the boundary with a UTF-8 host, and its lead bytes. On
// Windows the ANSI code page is the user's own, so every name the user's
// system shows can be written in it; here it is fixed, so a host character
// that code page 932 lacks, or would not give back unchanged, takes a code of
// its user-defined area (0xF040 to 0xF9FC) for the life of the process and
// turns back into itself at every crossing of the boundary.
#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/posix/internal/Posix.h"

namespace platform::posix {
namespace {

bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

const unsigned kFirstUserLead = 0xF0;
const unsigned kLastUserLead = 0xF9;
// The host's own characters of the user-defined area, U+E000 to U+E757, as
// code page 932 reads those codes.
const char32_t kFirstUserCharacter = 0xE000;
const char32_t kLastUserCharacter = 0xE757;

bool IsUserDefinedCode(unsigned code) {
  return (code >> 8) >= kFirstUserLead && (code >> 8) <= kLastUserLead && IsTrailByte(code & 0xFF);
}

// The codes given out so far, both ways. New codes take trail bytes from 0x80
// up only, so that no byte of such a name looks like ASCII ('\' above all)
// to code that does not know lead bytes.
class CUserDefinedCodes {
 public:
  bool CodeOf(char32_t character, unsigned& code) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto known = codes_.find(character);
    if (known != codes_.end()) {
      code = known->second;
      return true;
    }
    while (next_ <= (kLastUserLead << 8 | 0xFC) && characters_.count(next_) != 0) Advance();
    if (next_ > (kLastUserLead << 8 | 0xFC)) return false;
    code = next_;
    codes_[character] = code;
    characters_[code] = character;
    return true;
  }
  // The character of a code given out, or the host's own character of the
  // area, which keeps that code from now on.
  char32_t CharacterOf(unsigned code) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto known = characters_.find(code);
    if (known != characters_.end()) return known->second;
    const unsigned row = ((code >> 8) - kFirstUserLead) * 188;
    const unsigned trail = code & 0xFF;
    const char32_t own = kFirstUserCharacter + row + (trail < 0x80 ? trail - 0x40 : trail - 0x41);
    if (codes_.count(own) == 0) {
      codes_[own] = code;
      characters_[code] = own;
    }
    return own;
  }

 private:
  void Advance() {
    if ((next_ & 0xFF) < 0xFC) {
      ++next_;
    } else {
      next_ = (((next_ >> 8) + 1) << 8) | 0x80;
    }
  }

  std::mutex mutex_;
  std::map<char32_t, unsigned> codes_;
  std::map<unsigned, char32_t> characters_;
  unsigned next_ = kFirstUserLead << 8 | 0x80;
};

CUserDefinedCodes& UserDefinedCodes() {
  // Never destroyed: names are converted by exit handlers too.
  static CUserDefinedCodes* codes = new CUserDefinedCodes;
  return *codes;
}

class CIconv {
 public:
  CIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~CIconv() {
    if (ok()) iconv_close(cd_);
  }
  CIconv(const CIconv&) = delete;
  CIconv& operator=(const CIconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // One character's bytes converted whole, or false.
  bool Convert(std::string_view input, std::string& output) {
    if (!ok()) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[16];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    if (iconv(cd_, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
    output.assign(buffer, out);
    return true;
  }

 private:
  iconv_t cd_;
};

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  if (IsAscii(ansi)) return std::string(ansi);
  CIconv toUtf8("UTF-8", "CP932");
  std::string output;
  output.reserve(ansi.size() * 3 / 2 + 4);
  std::string converted;
  for (std::size_t i = 0; i < ansi.size();) {
    const unsigned char lead = static_cast<unsigned char>(ansi[i]);
    if (lead < 0x80) {
      output += static_cast<char>(lead);
      ++i;
      continue;
    }
    // A lead byte takes the next byte with it only when that can be its
    // trail byte: a blank, quote or colon after a stray lead byte stays.
    const std::size_t length =
        IsDBCSLeadByte(lead) && i + 1 < ansi.size() && IsTrailByte(static_cast<unsigned char>(ansi[i + 1]))
            ? 2
            : 1;
    const unsigned code = length == 2 ? lead << 8 | static_cast<unsigned char>(ansi[i + 1]) : lead;
    if (length == 2 && IsUserDefinedCode(code)) {
      platform::AppendUtf8(UserDefinedCodes().CharacterOf(code), output);
    } else if (toUtf8.Convert(ansi.substr(i, length), converted)) {
      output += converted;
    } else {
      output += '?';
    }
    i += length;
  }
  return output;
}

namespace {

// With `keep`, what code page 932 lacks takes a code of the process's own;
// without, it becomes '?'.
std::string ToAnsi(std::string_view utf8, bool keep) {
  if (IsAscii(utf8)) return std::string(utf8);
  CIconv toAnsi("CP932", "UTF-8");
  CIconv back("UTF-8", "CP932");
  std::string output;
  output.reserve(utf8.size());
  std::string converted, again;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      output += static_cast<char>(lead);
      ++i;
      continue;
    }
    char32_t character = 0;
    const std::size_t length = platform::DecodeUtf8(utf8.substr(i), character);
    if (length == 0) {
      // Not UTF-8: one '?' for the lead byte and the continuation bytes after it.
      output += '?';
      ++i;
      if (lead >= 0xC0) {
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
      }
      continue;
    }
    const std::string_view bytes = utf8.substr(i, length);
    i += length;
    // The host's own characters of the area go through the table too, so that
    // they never meet a code given to another character.
    const bool own = keep && character >= kFirstUserCharacter && character <= kLastUserCharacter;
    if (!own && toAnsi.Convert(bytes, converted) && back.Convert(converted, again) && again == bytes) {
      output += converted;
      continue;
    }
    unsigned code = 0;
    if (!keep || !UserDefinedCodes().CodeOf(character, code)) {
      output += '?';  // not to be kept, or the area is full
      continue;
    }
    output += static_cast<char>(code >> 8);
    output += static_cast<char>(code & 0xFF);
  }
  return output;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) { return ToAnsi(utf8, true); }

std::string Utf8ToAnsiLossy(std::string_view utf8) { return ToAnsi(utf8, false); }

}  // namespace platform::posix

BOOL WINAPI IsDBCSLeadByte(BYTE testChar) {
  return (testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC);
}
