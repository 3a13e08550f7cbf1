// The message box: a table over button sets and keys (Enter, Escape, Tab, mnemonics with and
// without Alt) giving the result, and the box owned, centred over its owner and sized from its text.
#include "ControlTest.h"

using namespace testing_controls;

namespace {

struct Key {
  UINT key;
  UINT modifier = 0;
};

// What the timer does while a box is up: presses the keys once the box shows, and gives up (ending
// the box with -2) if the keys did not end it.
struct Session {
  HWND owner = nullptr;
  std::vector<Key> keys;
  bool pressed = false;
  int ticks = 0;
  HWND box = nullptr;
  RECT boxRect{};
  bool ownerEnabled = true;
  std::string text;
};
Session g_session;

void Tick(HWND owner, UINT, UINT_PTR id, DWORD) {
  HWND box = GetActiveWindow();
  if (!box || box == owner || !IsWindowVisible(box)) return;
  if (!g_session.pressed) {
    g_session.pressed = true;
    g_session.box = box;
    GetWindowRect(box, &g_session.boxRect);
    g_session.ownerEnabled = IsWindowEnabled(owner);
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    g_session.text = text;
    for (const Key& key : g_session.keys) {
      if (key.modifier) tolvar::user::InjectKey(key.modifier, true);
      tolvar::user::InjectKey(key.key, true);
      tolvar::user::InjectKey(key.key, false);
      if (key.modifier) tolvar::user::InjectKey(key.modifier, false);
    }
    return;
  }
  if (++g_session.ticks > 300) {
    KillTimer(owner, id);
    EndDialog(box, -2);
  }
}

class MessageBoxes : public ControlTest {
protected:
  int Run(UINT type, std::vector<Key> keys, const char* text = "Save the changes?") {
    g_session = {};
    g_session.owner = m_parent;
    g_session.keys = std::move(keys);
    SetTimer(m_parent, 7, 10, Tick);
    int result = MessageBoxA(m_parent, text, "Tolvar", type);
    KillTimer(m_parent, 7);
    return result;
  }
};

struct Case {
  const char* name;
  UINT type;
  std::vector<Key> keys;
  int result;
};

const Case kCases[] = {
    {"OkEnter", MB_OK, {{VK_RETURN}}, IDOK},
    {"OkEscape", MB_OK | MB_ICONINFORMATION, {{VK_ESCAPE}}, IDOK},
    {"OkCancelEnter", MB_OKCANCEL, {{VK_RETURN}}, IDOK},
    {"OkCancelEscape", MB_OKCANCEL, {{VK_ESCAPE}}, IDCANCEL},
    {"OkCancelSecondDefault", MB_OKCANCEL | MB_DEFBUTTON2, {{VK_RETURN}}, IDCANCEL},
    {"YesNoEnter", MB_YESNO | MB_ICONQUESTION, {{VK_RETURN}}, IDYES},
    {"YesNoEscapeIsIgnored", MB_YESNO, {{VK_ESCAPE}, {'N'}}, IDNO},
    {"YesNoLetter", MB_YESNO, {{'N'}}, IDNO},
    {"YesNoAltLetter", MB_YESNO | MB_DEFBUTTON2, {{'Y', VK_MENU}}, IDYES},
    {"YesNoTabEnter", MB_YESNO, {{VK_TAB}, {VK_RETURN}}, IDNO},
    {"YesNoCancelEscape", MB_YESNOCANCEL | MB_ICONEXCLAMATION, {{VK_ESCAPE}}, IDCANCEL},
    {"YesNoCancelThirdDefault", MB_YESNOCANCEL | MB_DEFBUTTON3, {{VK_RETURN}}, IDCANCEL},
    {"AbortRetryIgnoreEscapeIsIgnored", MB_ABORTRETRYIGNORE | MB_ICONHAND, {{VK_ESCAPE}, {'I'}}, IDIGNORE},
    {"AbortRetryIgnoreLetter", MB_ABORTRETRYIGNORE, {{'R'}}, IDRETRY},
    {"AbortRetryIgnoreEnter", MB_ABORTRETRYIGNORE, {{VK_RETURN}}, IDABORT},
    {"RetryCancelEscape", MB_RETRYCANCEL, {{VK_ESCAPE}}, IDCANCEL},
    {"RetryCancelEnter", MB_RETRYCANCEL, {{VK_RETURN}}, IDRETRY},
    {"CancelTryContinueLetter", MB_CANCELTRYCONTINUE, {{'T'}}, IDTRYAGAIN},
    {"CancelTryContinueAltLetter", MB_CANCELTRYCONTINUE, {{'C', VK_MENU}}, IDCONTINUE},
    {"CancelTryContinueEscape", MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, {{VK_ESCAPE}}, IDCANCEL},
};

class MessageBoxKeys : public MessageBoxes, public ::testing::WithParamInterface<Case> {};

TEST_P(MessageBoxKeys, GiveTheButtonsId) {
  EXPECT_EQ(Run(GetParam().type, GetParam().keys), GetParam().result);
  EXPECT_FALSE(IsWindow(g_session.box)) << "the box is gone";
  EXPECT_TRUE(IsWindowEnabled(m_parent)) << "the owner is enabled again";
}

INSTANTIATE_TEST_SUITE_P(, MessageBoxKeys, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageBoxes, TheBoxIsOwnedCentredAndSizedFromItsText) {
  EXPECT_EQ(Run(MB_OK, {{VK_RETURN}}, "Short."), IDOK);
  EXPECT_FALSE(g_session.ownerEnabled) << "modal: the owner is disabled while the box is up";
  EXPECT_EQ(g_session.text, "Short.");
  RECT owner;
  GetWindowRect(m_parent, &owner);
  const RECT small = g_session.boxRect;
  EXPECT_NEAR((small.left + small.right) / 2, (owner.left + owner.right) / 2, 1);
  EXPECT_NEAR((small.top + small.bottom) / 2, (owner.top + owner.bottom) / 2, 1);

  const std::string longer(40, 'W');
  EXPECT_EQ(Run(MB_OK, {{VK_RETURN}}, (longer + "\n" + longer + "\n" + longer).c_str()), IDOK);
  EXPECT_GT(g_session.boxRect.right - g_session.boxRect.left, small.right - small.left);
  EXPECT_GT(g_session.boxRect.bottom - g_session.boxRect.top, small.bottom - small.top);
}

TEST_F(MessageBoxes, AWrongStyleOrStructureMakesNoBox) {
  EXPECT_EQ(MessageBoxA(m_parent, "x", "y", 0x0000000F), 0);
  MSGBOXPARAMSA params{};
  params.cbSize = 4;
  EXPECT_EQ(MessageBoxIndirectA(&params), 0);
  EXPECT_EQ(MessageBoxIndirectA(nullptr), 0);
}

}  // namespace
