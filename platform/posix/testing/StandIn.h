// Test support of the POSIX stand-in: what a test program puts in place of
// the host's terminal, modules, runtime model and fault-free system, and what
// it reads back of the processes started and the boxes shown. Defined in the
// testing library only (Observer.cpp, Faults.cpp), never in a shipped program.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "platform/D3D8Model.h"
#include "platform/posix/internal/Modules.h"
#include "platform/testing/Testing.h"

namespace platform::posix {

// Where message boxes ask; null restores standard input and output.
void SetConsoleStreams(std::istream* in, std::ostream* out);

// The owner and style of the last box shown (null and 0 before the first).
void GetLastBox(HWND& owner, UINT& style);

// Replaces the loadable modules (null restores the defaults); unloads all.
void SetBuiltinModules(const BuiltinModule* table, std::size_t count);

// What Direct3DCreate8 serves; null restores the host's model.
void SetServedModel(const std::shared_ptr<platform::d3d8::CRuntimeModel>& model);

// What the last CreateProcessA and WaitForSingleObject were given.
platform::testkit::ProcessStart LastProcessStart();
DWORD LastWaitTimeout();

// The plan behind the fault sites, and the calls counted since it was set.
void SetFaultPlan(platform::FaultSite site, unsigned long index, const std::string& fileName);
std::array<unsigned long, platform::kFaultSiteCount> FaultCounts();

}  // namespace platform::posix
