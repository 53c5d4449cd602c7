// The charset detector: Debian's detection library (on Windows built from
// its source, reader/CMakeLists.txt), fed the whole report.
#include <uchardet/uchardet.h>

#include "reader/vexaReportEncoding.h"

namespace vexaEnvReader {

std::string DetectCharset(std::string_view bytes) {
  uchardet_t detector = uchardet_new();
  if (detector == nullptr) return std::string();
  std::string charset;
  if (uchardet_handle_data(detector, bytes.data(), bytes.size()) == 0) {
    uchardet_data_end(detector);
    const char* name = uchardet_get_charset(detector);
    if (name != nullptr) charset = name;
  }
  uchardet_delete(detector);
  return charset;
}

}  // namespace vexaEnvReader
