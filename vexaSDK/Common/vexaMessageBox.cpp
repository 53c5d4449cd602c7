// The message-box cell follows the singleton rule.
#include "vexaSDK/Common/vexaMessageBox.h"

#include "vexaSDK/Thread/vexaSingleton.h"

namespace vexaSDK {
namespace Common {

MessageBoxEntry* MessageBoxEntry::GetInstance() { return Thread::singleton<MessageBoxEntry>::GetInstance(); }

int ShowMessageBox(const std::string& text, const std::string& caption, UINT style, HWND owner) {
  MessageBoxEntry* entry = MessageBoxEntry::GetInstance();
  if (entry == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return entry->function(owner, text.c_str(), caption.c_str(), style);
}

}  // namespace Common
}  // namespace vexaSDK
