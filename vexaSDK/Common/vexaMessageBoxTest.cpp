#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vexaSDK/Common/vexaMessageBox.h"

namespace vexaSDK {
namespace Common {
namespace {

struct Shown {
  HWND owner;
  bool textIsNull, captionIsNull;
  std::string text, caption;
  UINT style;
};
std::vector<Shown> shown;

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  shown.push_back(
      {owner, text == nullptr, caption == nullptr, text ? text : "", caption ? caption : "", style});
  return IDYES;
}

TEST(MessageBoxTest, EveryBoxGoesThroughTheOneEntry) {
  MessageBoxEntry* entry = MessageBoxEntry::GetInstance();
  ASSERT_NE(nullptr, entry);
  EXPECT_EQ(&platform::MessageBox932, entry->function)
      << "made holding the default box (MessageBoxA on the host)";
  EXPECT_EQ(entry, MessageBoxEntry::GetInstance());

  shown.clear();
  entry->function = &RecordBox;
  EXPECT_EQ(IDYES, ShowMessageBox("作業を中断しました。", "", 0x40, nullptr));
  const HWND owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
  EXPECT_EQ(IDYES, ShowMessageBox("", "vexaEnvChecker のお知らせ", 0x24, owner));
  entry->function = &platform::MessageBox932;

  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("作業を中断しました。", shown[0].text);
  EXPECT_FALSE(shown[0].captionIsNull) << "an empty caption is an empty text";
  EXPECT_EQ("", shown[0].caption);
  EXPECT_EQ(0x40u, shown[0].style);
  EXPECT_FALSE(shown[1].textIsNull);
  EXPECT_EQ(owner, shown[1].owner);
  EXPECT_EQ(0x24u, shown[1].style);
}

}  // namespace
}  // namespace Common
}  // namespace vexaSDK
