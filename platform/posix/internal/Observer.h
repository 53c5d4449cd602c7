// The stand-in's one door for test programs: a pointer, null in the shipped
// programs, through which a test program watches the processes started and
// the boxes shown, and puts its own terminal, modules and runtime model in
// place of the host's. Its only implementation is test support
// (platform/posix/testing/Observer.cpp).
#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>

#include "platform/Win32.h"

namespace platform::d3d8 {
class CRuntimeModel;
}

namespace platform::posix {

struct BuiltinModule;

// CreateProcessA's arguments as it was called.
struct ProcessStartCall {
  LPCSTR applicationName;
  LPCSTR commandLine;
  LPSECURITY_ATTRIBUTES processAttributes;
  LPSECURITY_ATTRIBUTES threadAttributes;
  BOOL inheritHandles;
  DWORD creationFlags;
  LPVOID environment;
  LPCSTR currentDirectory;
};

// A table of loadable modules in place of the built-in one; a new
// `generation` unloads every module loaded before.
struct ModuleTable {
  const BuiltinModule* modules = nullptr;  // null: the built-in table
  std::size_t count = 0;
  unsigned long generation = 0;
};

class IObserver {
 public:
  virtual void ProcessStarting(const ProcessStartCall& call) = 0;
  virtual void Waiting(DWORD milliseconds) = 0;
  virtual void BoxShowing(HWND owner, UINT style) = 0;
  // What stands in for the host's own; null for the host's.
  virtual std::istream* ConsoleIn() = 0;
  virtual std::ostream* ConsoleOut() = 0;
  virtual ModuleTable Modules() = 0;
  virtual std::shared_ptr<platform::d3d8::CRuntimeModel> Model() = 0;

 protected:
  ~IObserver() = default;
};

extern IObserver* observer;

}  // namespace platform::posix
