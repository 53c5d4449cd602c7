// Initialisers tie the start and end of a subsystem to one object's lifetime:
// a start that never throws and reports success, an end that runs only after
// a successful start (or after a failed one, when asked), and a check.
#pragma once

#include "vexaSDK/TTL/vexaCallback.h"
#include "vexaSDK/TTL/vexaSmartPtr.h"

namespace vexaSDK {
namespace Common {

class IInitializer {
 public:
  virtual ~IInitializer() = default;
  virtual bool IsInitialized() = 0;
  virtual bool Initialize() = 0;
  virtual void Finalize() = 0;
};

class CInitializer : public IInitializer {
 public:
  typedef TTL::smart_ptr<TTL::function_callback<bool>> bool_callback;
  typedef TTL::smart_ptr<TTL::function_callback<void>> void_callback;

  // Any callback may be empty.
  CInitializer(bool finalizeAfterFailure, const bool_callback& start, const void_callback& end,
               const bool_callback& check);
  // Finalizes; a failure of the end callback is logged here, since nothing
  // may leave a destructor.
  ~CInitializer() override;

  bool IsInitialized() override { return result_; }
  // Start, then check; whatever they throw is logged and reported as false.
  bool Initialize() override;
  // Runs the end callback after a successful start, or after a failed one
  // when finalizeAfterFailure is set. Exceptions of the end callback leave it.
  void Finalize() override;

 private:
  const bool finalizeAfterFailure_;
  bool started_;
  bool result_;
  bool_callback start_;
  void_callback end_;
  bool_callback check_;
};

}  // namespace Common
}  // namespace vexaSDK
