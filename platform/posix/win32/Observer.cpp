// The test programs' door into the stand-in, closed in the shipped programs.
#include "platform/posix/internal/Observer.h"

namespace platform::posix {

IObserver* observer = nullptr;

}  // namespace platform::posix
