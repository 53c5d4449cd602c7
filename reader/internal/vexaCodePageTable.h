// The generated tables of the Windows ANSI code pages (built from
// reader/codepages/vexaCodePageTables.py): what each byte, and each pair of a
// double-byte code page, stands for.
#pragma once

#include <cstddef>

namespace vexaEnvReader {
namespace internal {

struct CodePageTable {
  unsigned codePage;
  // The character of each byte 0x80..0xFF; 0 marks a lead byte.
  const char16_t* single;
  // Double-byte code pages: the character of lead 0x81..0xFE and trail
  // 0x40..0xFE, row by row; 0 where the pair is none. Null otherwise.
  const char16_t* pairs;
};

const unsigned kFirstLead = 0x81, kFirstTrail = 0x40, kTrailCount = 0xFF - 0x40;

extern const CodePageTable kCodePageTables[];
extern const std::size_t kCodePageTableCount;

}  // namespace internal
}  // namespace vexaEnvReader
