// The table of modules that LoadLibraryA can load on the host.
#pragma once

#include <cstddef>

#include "platform/Win32.h"

namespace platform::posix {

struct BuiltinExport {
  const char* name;
  FARPROC address;
};

struct BuiltinModule {
  const char* name;
  const BuiltinExport* exports;
  std::size_t exportCount;
};

}  // namespace platform::posix
