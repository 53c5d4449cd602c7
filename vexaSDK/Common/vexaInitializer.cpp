// The initialiser's state table: idle, up, failed.
#include "vexaSDK/Common/vexaInitializer.h"

#include "vexaSDK/Common/vexaLog.h"

namespace vexaSDK {
namespace Common {

CInitializer::CInitializer(bool finalizeAfterFailure, const bool_callback& start, const void_callback& end,
                           const bool_callback& check)
    : finalizeAfterFailure_(finalizeAfterFailure),
      started_(false),
      result_(false),
      start_(start),
      end_(end),
      check_(check) {}

CInitializer::~CInitializer() {
  VEXA_GUARDED_REGION([&] { Finalize(); });
  check_.release();
  end_.release();
  start_.release();
}

bool CInitializer::Initialize() {
  const bool completed = VEXA_GUARDED_REGION([&] {
    started_ = true;
    if (start_.get() != nullptr) {
      start_->invoke();
      result_ = start_->result;
    } else {
      result_ = true;
    }
    if (check_.get() != nullptr) {
      check_->invoke();
      result_ = result_ && check_->result;
    }
  });
  if (!completed) result_ = false;
  return result_;
}

void CInitializer::Finalize() {
  if (!result_ && !(finalizeAfterFailure_ && started_)) return;
  if (end_.get() != nullptr) end_->invoke();
  started_ = false;
  result_ = false;
}

}  // namespace Common
}  // namespace vexaSDK
