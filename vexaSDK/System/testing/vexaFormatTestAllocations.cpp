// A global operator new that counts heap blocks, for the programs that check
// the formatter's allocations: its tests and its benchmark. It counts every
// block, and apart those of at least 256 bytes: the format buffer is the only
// thing the formatter allocates that large. Kept in a unit of its own so no
// call site sees it inlined.
#include <cstdlib>
#include <new>

namespace vexaSDK {
namespace System {
int largeAllocations = 0;
long allocations = 0;
}  // namespace System
}  // namespace vexaSDK

namespace {

void* Allocate(std::size_t size) {
  ++vexaSDK::System::allocations;
  if (size >= 256) ++vexaSDK::System::largeAllocations;
  return std::malloc(size ? size : 1);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
