// X key symbols reach programs as the virtual keys Windows gives the same keys: every function key
// up to F24, the keypad digits and the punctuation keys of the US layout. Needs no X server.
#include <gtest/gtest.h>

#include <user/Input.h>

#include <X11/keysym.h>

// The display's key table (src/Keymap.h), declared here without Xlib.h, whose None macro would
// break the test framework's header. A KeySym is an unsigned long.
namespace tolvar::display {
unsigned VirtualKeyOf(unsigned long symbol);
}

namespace {

using KeySym = unsigned long;

TEST(Keymap, KeysHaveTheVirtualKeysOfTheirNames) {
  struct Row {
    KeySym symbol;
    int key;
  };
  const Row rows[] = {
      {XK_F1, VK_F1},       {XK_F5, VK_F5},           {XK_F6, VK_F6},         {XK_F7, VK_F7},
      {XK_F11, VK_F11},     {XK_F12, VK_F12},         {XK_F13, VK_F13},       {XK_F24, VK_F24},
      {XK_KP_0, VK_NUMPAD0}, {XK_KP_7, VK_NUMPAD7},   {XK_KP_9, VK_NUMPAD9},  {XK_semicolon, VK_OEM_1},
      {XK_equal, VK_OEM_PLUS}, {XK_comma, VK_OEM_COMMA}, {XK_minus, VK_OEM_MINUS}, {XK_period, VK_OEM_PERIOD},
      {XK_slash, VK_OEM_2}, {XK_grave, VK_OEM_3},     {XK_bracketleft, VK_OEM_4}, {XK_backslash, VK_OEM_5},
      {XK_bracketright, VK_OEM_6}, {XK_apostrophe, VK_OEM_7}, {XK_a, 'A'},     {XK_Escape, VK_ESCAPE},
  };
  for (const Row& row : rows) EXPECT_EQ(tolvar::display::VirtualKeyOf(row.symbol), static_cast<unsigned>(row.key)) << row.symbol;
  EXPECT_EQ(tolvar::display::VirtualKeyOf(XK_F24 + 1), 0u) << "F25 has no virtual key";
}

}  // namespace
