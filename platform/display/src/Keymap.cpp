// X key symbols to virtual keys. Letters and digits are their upper-case ASCII codes, as on Windows;
// the rest is a table. The punctuation keys are those of a US layout (the OEM codes), which is what
// the window manager's own key-to-character table assumes when TranslateMessage makes WM_CHAR.
#include "Keymap.h"

#include <user/Input.h>

#include <X11/keysym.h>

namespace tolvar::display {
namespace {

struct KeyRow {
  KeySym symbol;
  unsigned virtualKey;
};

constexpr KeyRow kKeys[] = {
    {XK_BackSpace, VK_BACK},   {XK_Tab, VK_TAB},           {XK_ISO_Left_Tab, VK_TAB},   {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN},  {XK_Escape, VK_ESCAPE},     {XK_space, VK_SPACE},        {XK_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},        {XK_End, VK_END},           {XK_Home, VK_HOME},          {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},            {XK_Right, VK_RIGHT},       {XK_Down, VK_DOWN},          {XK_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},    {XK_Pause, VK_PAUSE},       {XK_Caps_Lock, VK_CAPITAL},  {XK_Num_Lock, VK_NUMLOCK},
    {XK_Scroll_Lock, VK_SCROLL}, {XK_Print, VK_SNAPSHOT},  {XK_Menu, VK_APPS},          {XK_Super_L, VK_LWIN},
    {XK_Super_R, VK_RWIN},     {XK_Shift_L, VK_SHIFT},     {XK_Shift_R, VK_SHIFT},      {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL}, {XK_Alt_L, VK_MENU},       {XK_Alt_R, VK_MENU},         {XK_ISO_Level3_Shift, VK_MENU},
    {XK_KP_Multiply, VK_MULTIPLY}, {XK_KP_Add, VK_ADD},    {XK_KP_Subtract, VK_SUBTRACT}, {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Divide, VK_DIVIDE}, {XK_KP_Separator, VK_SEPARATOR},
    {XK_semicolon, VK_OEM_1},  {XK_equal, VK_OEM_PLUS},    {XK_comma, VK_OEM_COMMA},    {XK_minus, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD}, {XK_slash, VK_OEM_2},      {XK_grave, VK_OEM_3},        {XK_bracketleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},  {XK_bracketright, VK_OEM_6}, {XK_apostrophe, VK_OEM_7},
};

}  // namespace

unsigned VirtualKeyOf(KeySym symbol) {
  if (symbol >= XK_a && symbol <= XK_z) return static_cast<unsigned>('A' + (symbol - XK_a));
  if (symbol >= XK_A && symbol <= XK_Z) return static_cast<unsigned>(symbol);
  if (symbol >= XK_0 && symbol <= XK_9) return static_cast<unsigned>(symbol);
  if (symbol >= XK_KP_0 && symbol <= XK_KP_9) return static_cast<unsigned>(VK_NUMPAD0 + (symbol - XK_KP_0));
  if (symbol >= XK_F1 && symbol <= XK_F24) return static_cast<unsigned>(VK_F1 + (symbol - XK_F1));
  for (const KeyRow& row : kKeys) {
    if (row.symbol == symbol) return row.virtualKey;
  }
  return 0;
}

}  // namespace tolvar::display
