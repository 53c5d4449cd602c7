// The x87 control word through the instructions themselves. These functions
// stay out of line: the unit is reset in between, so no caller may keep a
// value on the x87 register stack across them.
#include "platform/Fpu.h"

namespace platform {

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))

WORD GetFpuControlWord() {
  unsigned short word;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

void ResetFpu(WORD word) {
  const unsigned short value = word;
  __asm__ __volatile__("fnclex\n\tfninit\n\tfldcw %0"
                       :
                       : "m"(value)
                       : "memory", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");
}

#else

namespace {
// The word an x87 unit holds after initialisation.
WORD recordedWord = 0x037F;
}  // namespace

WORD GetFpuControlWord() { return recordedWord; }

void ResetFpu(WORD word) { recordedWord = word; }

#endif

}  // namespace platform
