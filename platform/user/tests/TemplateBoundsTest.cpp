// Dialog and menu templates read from a block of known size: every field, the padding before each
// dialog item included, is read within it, so a template cut short anywhere is refused instead of
// read past its end (the sanitizer build sees any byte read outside the block).
#include "../src/DialogTemplate.h"
#include "../src/MenuObject.h"

#include <user/Menu.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Bytes {
  std::vector<BYTE> b;
  Bytes& U16(unsigned v) {
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
    return *this;
  }
  Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Bytes& Text(const std::string& ascii) {
    for (char c : ascii) U16(static_cast<unsigned char>(c));
    return U16(0);
  }
  Bytes& Align() {
    while (b.size() % 4) b.push_back(0);
    return *this;
  }
};

// A dialog with a font, a button and an edit with two bytes of creation data.
std::vector<BYTE> Dialog() {
  Bytes t;
  t.U32(0x80C80040).U32(0).U16(2).U16(0).U16(0).U16(200).U16(100).U16(0).U16(0).Text("Find").U16(8).Text("MS Sans Serif");
  t.Align().U32(0x50010000).U32(0).U16(10).U16(10).U16(50).U16(14).U16(1).U16(0xFFFF).U16(0x80).Text("OK").U16(0);
  t.Align().U32(0x50810080).U32(0).U16(10).U16(30).U16(80).U16(12).U16(1001).U16(0xFFFF).U16(0x81).U16(0).U16(4);
  t.b.push_back('a');
  t.b.push_back('b');
  return t.b;
}

TEST(TemplateBounds, ADialogCutShortAnywhereIsRefused) {
  const std::vector<BYTE> whole = Dialog();
  const auto parsed = tolvar::user::ParseDialogTemplate(whole.data(), whole.size());
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->items.size(), 2u);
  EXPECT_EQ(parsed->items[0].className, "Button");
  EXPECT_EQ(parsed->items[1].creationData, (std::vector<BYTE>{'a', 'b'}));
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::vector<BYTE> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(tolvar::user::ParseDialogTemplate(cut.data(), cut.size())) << size << " bytes";
  }
}

TEST(TemplateBounds, AnItemWhosePaddingRunsPastTheEndIsRefused) {
  // 26 bytes announcing one item: the caption ends off a DWORD boundary, at the end of the block.
  Bytes t;
  t.U32(0).U32(0).U16(1).U16(0).U16(0).U16(10).U16(10).U16(0).U16(0).Text("A");
  ASSERT_EQ(t.b.size(), 26u);
  EXPECT_FALSE(tolvar::user::ParseDialogTemplate(t.b.data(), t.b.size()));
}

TEST(TemplateBounds, AMenuCutShortAnywhereIsRefused) {
  Bytes t;
  t.U16(0).U16(0).U16(MF_POPUP).Text("&File").U16(0).U16(100).Text("&Open").U16(MF_END).U16(101).Text("E&xit");
  t.U16(MF_END).U16(102).Text("&Help");
  HMENU menu = tolvar::user::MenuFromTemplate(t.b.data(), t.b.size());
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 2);
  DestroyMenu(menu);
  for (std::size_t size = 0; size < t.b.size(); ++size) {
    const std::vector<BYTE> cut(t.b.begin(), t.b.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(tolvar::user::MenuFromTemplate(cut.data(), cut.size()), nullptr) << size << " bytes";
  }
}

}  // namespace
