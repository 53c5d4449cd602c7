// The charset detector of builds without the system's detection library (the
// Windows builds): a few rules over how the bytes above ASCII stand, giving
// the same names as that library for the texts Windows machines write.
#include <cstddef>

#include "reader/vexaReportEncoding.h"

namespace vexaEnvReader {
namespace {

bool High(unsigned char c) { return c >= 0x80; }

// Every byte above ASCII a character of the double-byte code page whose
// leads and trails are given; `pairs` counts the characters of two bytes.
template <typename Lead, typename Trail>
bool ValidPairs(std::string_view bytes, Lead lead, Trail trail, bool kana, std::size_t& pairs) {
  pairs = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (!High(c) || (kana && c >= 0xA1 && c <= 0xDF)) continue;
    if (!lead(c) || i + 1 == bytes.size() || !trail(static_cast<unsigned char>(bytes[++i]))) return false;
    ++pairs;
  }
  return true;
}

// The sequences of two bytes when the text is well-formed UTF-8 with no
// longer ones; 0 otherwise.
std::size_t Utf8Pairs(std::string_view bytes) {
  std::size_t pairs = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (!High(c)) continue;
    if (c < 0xC2 || c > 0xDF || i + 1 == bytes.size() || (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) != 0x80) {
      return 0;
    }
    ++pairs;
    ++i;
  }
  return pairs;
}

}  // namespace

std::string DetectCharset(std::string_view bytes) {
  // One pair could be two half-width katakana as well; more are Western
  // letters re-saved.
  if (Utf8Pairs(bytes) >= 2) return "UTF-8";
  std::size_t high = 0, alone = 0, hiragana = 0, lowTrails = 0, korean = 0, chinese = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (!High(c)) continue;
    ++high;
    const bool before = i > 0 && High(static_cast<unsigned char>(bytes[i - 1]));
    const bool after = i + 1 < bytes.size() && High(static_cast<unsigned char>(bytes[i + 1]));
    if (!before && !after) ++alone;
  }
  if (high == 0) return "ASCII";
  // Letters of a single-byte code page stand alone among ASCII ones; the
  // characters of a double-byte one mostly come in runs.
  if (alone * 2 > high) return "WINDOWS-1252";
  std::size_t pairs = 0;
  const bool sjis = ValidPairs(
      bytes, [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); },
      [](unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }, true, pairs);
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]), t = static_cast<unsigned char>(bytes[i + 1]);
    if (!High(c)) continue;
    hiragana += (c == 0x82 && t >= 0x9F && t <= 0xF1) || (c == 0x83 && t >= 0x40 && t <= 0x96);
    lowTrails += c >= 0xA1 && t >= 0x40 && t <= 0x7E;
    korean += c >= 0xB0 && c <= 0xC8 && t >= 0xA1;
    chinese += c >= 0xC9 && c <= 0xF7 && t >= 0xA1;
    ++i;
  }
  if (sjis && hiragana * 5 >= pairs) return "SHIFT_JIS";
  if (lowTrails * 5 >= pairs) return "BIG5";
  if (chinese == 0 && korean > 0) return "UHC";
  return "GB18030";
}

}  // namespace vexaEnvReader
