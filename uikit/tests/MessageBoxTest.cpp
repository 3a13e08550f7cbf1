// The program message box, run as the programs run it (ShowMessageBox, modal): a thread timer acts
// on the box once it shows (keys to the focused button, or an inspection of its layout) and ends any
// box that is still open on the next tick with 99, so a key that does nothing shows as 99.
#include <MessageBoxDlg.h>

#include <controls/MessageBox.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testing_user;

namespace {

CWinApp theApp("uikit message box tests");

constexpr int kUntouched = 99;

std::function<void(HWND)> g_act;
const char* g_caption = nullptr;
bool g_acted = false;

void OnTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowA(nullptr, g_caption);
  if (!box || !IsWindowVisible(box)) return;
  if (!g_acted) {
    g_acted = true;
    if (g_act) g_act(box);
    return;
  }
  if (auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(box))) dialog->EndDialog(kUntouched);
}

int Show(const char* text, const char* caption, UINT type, std::function<void(HWND)> act) {
  g_act = std::move(act);
  g_caption = caption;
  g_acted = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, OnTick);
  const int result = ShowMessageBox(text, caption, type);
  KillTimer(nullptr, timer);
  g_act = nullptr;
  return result;
}

// Keys as a person presses them, to the window with the focus.
std::function<void(HWND)> Key(UINT key) {
  return [key](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 0); };
}
std::function<void(HWND)> Char(char c) {
  return [c](HWND) { PostMessageA(GetFocus(), WM_CHAR, static_cast<WPARAM>(c), 0); };
}
std::function<void(HWND)> AltChar(char c) {
  return [c](HWND) { PostMessageA(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(c), 1 << 29); };
}
// Tab to the next button, then Enter.
std::function<void(HWND)> TabEnter() {
  return [](HWND) {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  };
}
std::function<void(HWND)> Click(int id) {
  return [id](HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
}

TEST(MessageBoxKeys, EachButtonSetAnswersItsButtonsEnterEscapeAndMnemonics) {
  const struct {
    UINT type;
    const char* key;
    std::function<void(HWND)> act;
    int result;
  } cases[] = {
      {MB_OK, "Enter", Key(VK_RETURN), IDOK},
      {MB_OK, "Escape", Key(VK_ESCAPE), IDOK},
      {MB_OK, "o", Char('o'), kUntouched},
      {MB_OK, "click", Click(901), IDOK},
      {MB_OKCANCEL, "Enter", Key(VK_RETURN), IDOK},
      {MB_OKCANCEL, "Tab Enter", TabEnter(), IDCANCEL},
      {MB_OKCANCEL, "Escape", Key(VK_ESCAPE), IDCANCEL},
      {MB_OKCANCEL, "click second", Click(902), IDCANCEL},
      {MB_ABORTRETRYIGNORE, "Enter", Key(VK_RETURN), IDABORT},
      {MB_ABORTRETRYIGNORE, "Tab Enter", TabEnter(), IDRETRY},
      {MB_ABORTRETRYIGNORE, "Escape", Key(VK_ESCAPE), kUntouched},
      {MB_ABORTRETRYIGNORE, "a", Char('a'), IDABORT},
      {MB_ABORTRETRYIGNORE, "r", Char('r'), IDRETRY},
      {MB_ABORTRETRYIGNORE, "Alt+I", AltChar('i'), IDIGNORE},
      {MB_ABORTRETRYIGNORE, "click third", Click(903), IDIGNORE},
      {MB_YESNOCANCEL, "Enter", Key(VK_RETURN), IDYES},
      {MB_YESNOCANCEL, "Tab Enter", TabEnter(), IDNO},
      {MB_YESNOCANCEL, "Escape", Key(VK_ESCAPE), IDCANCEL},
      {MB_YESNOCANCEL, "y", Char('y'), IDYES},
      {MB_YESNOCANCEL, "n", Char('n'), IDNO},
      {MB_YESNOCANCEL, "click third", Click(903), IDCANCEL},
      {MB_YESNO, "Enter", Key(VK_RETURN), IDYES},
      {MB_YESNO, "Tab Enter", TabEnter(), IDNO},
      {MB_YESNO, "Escape", Key(VK_ESCAPE), kUntouched},  // never taken as an answer
      {MB_YESNO, "Alt+N", AltChar('n'), IDNO},
      {MB_YESNO, "Y", Char('Y'), IDYES},
      {MB_YESNO, "close", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }, kUntouched},
      {MB_YESNO, "a hidden button", Click(903), kUntouched},
      {MB_RETRYCANCEL, "Enter", Key(VK_RETURN), IDRETRY},
      {MB_RETRYCANCEL, "Escape", Key(VK_ESCAPE), IDCANCEL},
      {MB_RETRYCANCEL, "r", Char('r'), IDRETRY},
      {MB_RETRYCANCEL, "close", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }, IDCANCEL},
      {6, "Enter", Key(VK_RETURN), IDOK},  // no such set: OK alone
      {15, "Escape", Key(VK_ESCAPE), IDOK},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Show("Delete all contacts?", "Keys", c.type | MB_ICONQUESTION, c.act), c.result)
        << "set " << c.type << ", " << c.key;
  }
}

struct Layout {
  RECT window{}, client{}, text{}, icon{};
  bool iconShown = false;
  HICON iconHandle = nullptr;
  std::vector<RECT> buttons;  // the shown ones, 901 first, in client coordinates
  std::vector<std::string> captions;
  SIZE lines{};               // the text measured with the text control's font: widest line, one line's height
  int captionWidth = 0;
  HWND focus = nullptr;
  HWND firstButton = nullptr;
  int firstButtonWidth = 0;
  COLORREF lastButtonFace = 0;  // inside the last shown button, off its caption
};

RECT InClient(HWND box, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

Layout Inspect(const char* text, const char* caption, UINT type, const char* png = nullptr) {
  Layout layout;
  Show(text, caption, type, [&](HWND box) {
    GetWindowRect(box, &layout.window);
    GetClientRect(box, &layout.client);
    layout.text = InClient(box, GetDlgItem(box, 905));
    HWND icon = GetDlgItem(box, 904);
    layout.icon = InClient(box, icon);
    layout.iconShown = IsWindowVisible(icon);
    layout.iconHandle = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
    for (int id = 901; id <= 903; ++id) {
      HWND button = GetDlgItem(box, id);
      if (id == 901) {
        RECT r;
        GetClientRect(button, &r);
        layout.firstButtonWidth = r.right;
      }
      if (!IsWindowVisible(button)) continue;
      layout.buttons.push_back(InClient(box, button));
      char buffer[64] = {};
      GetWindowTextA(button, buffer, sizeof buffer);
      layout.captions.emplace_back(buffer);
    }
    HDC dc = GetDC(GetDlgItem(box, 905));
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendDlgItemMessageA(box, 905, WM_GETFONT, 0, 0)));
    std::string all = text;
    size_t start = 0;
    for (;;) {
      const size_t end = all.find('\n', start);
      std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start) + " ";
      SIZE size;
      GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
      layout.lines = {std::max(layout.lines.cx, size.cx), size.cy};
      if (end == std::string::npos) break;
      start = end + 1;
    }
    SelectObject(dc, old);
    ReleaseDC(GetDlgItem(box, 905), dc);
    HDC own = GetDC(box);
    SIZE cw;
    GetTextExtentPoint32A(own, caption, static_cast<int>(strlen(caption)), &cw);
    layout.captionWidth = cw.cx;
    ReleaseDC(box, own);
    layout.focus = GetFocus();
    layout.firstButton = GetDlgItem(box, 901);
    Pump();
    HBITMAP image = tolvar::user::RenderWindow(box);
    RECT frame;
    GetWindowRect(box, &frame);
    POINT inside{layout.buttons.back().left + 4, layout.buttons.back().top + 4};
    ClientToScreen(box, &inside);
    layout.lastButtonFace = PixelAt(image, inside.x - frame.left, inside.y - frame.top);
    if (png) SavePng(image, png);
    DeleteObject(image);
  });
  return layout;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

TEST(MessageBoxLayout, TheTextDecidesTheSizeWithinTheLimits) {
  const struct {
    const char* name;
    const char* text;
    const char* caption;
    UINT type;
    int lineCount;
  } cases[] = {
      {"msgbox-short", "Saved.", "Daybook", MB_OK, 1},
      {"msgbox-short-icon", "Saved.", "Daybook", MB_OK | MB_ICONINFORMATION, 1},
      {"msgbox-three-lines", "The phone did not answer.\nCheck the cable.\nThen try again.", "Linkwell",
       MB_RETRYCANCEL | MB_ICONEXCLAMATION, 3},
      {"msgbox-long-line",
       "The file C:\\Documents and Settings\\Owner\\My Documents\\Phone\\Pictures\\Holiday in the mountains.jpg "
       "could not be copied to the phone",
       "Mediary", MB_OK | MB_ICONHAND, 1},
      {"msgbox-long-caption", "Done.",
       "A caption much wider than its message, wider than three buttons side by side at least", MB_OK, 1},
      {"msgbox-question", "Save the changes to the contacts?", "Daybook", MB_YESNOCANCEL | MB_ICONQUESTION, 1},
      {"msgbox-odd-icon-bits", "Saved.", "Odd icon", MB_OK | 0x50, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Layout l = Inspect(c.text, c.caption, c.type, c.name);
    const bool icon = (c.type & MB_ICONMASK) != 0;
    // The text control: at least three buttons wide, wider for a long line; one line's height plus
    // 5 pixels for each line feed.
    const int threeButtons = 3 * l.firstButtonWidth;
    const int textWidth = l.lines.cx > threeButtons - 10 ? l.lines.cx + 20 : threeButtons;
    EXPECT_EQ(Width(l.text), textWidth);
    EXPECT_EQ(Height(l.text), c.lineCount * l.lines.cy + (c.lineCount - 1) * 5);
    EXPECT_EQ(l.text.left, icon ? 55 : 15);
    EXPECT_EQ(l.text.top, icon ? 30 : 35);
    // The box: 40 wider than the text (80 with an icon), never narrower than 200 or the caption.
    EXPECT_EQ(Width(l.window), std::max({textWidth + (icon ? 80 : 40), l.captionWidth + 20, 200}));
    EXPECT_EQ(Height(l.window), Height(l.text) + 120);
    if (icon) {
      EXPECT_EQ(l.icon.left, 10);
      EXPECT_EQ(l.icon.top, 20);
    }
    // The buttons side by side, 8 apart, centred, 15 above the bottom; the first has the focus.
    ASSERT_FALSE(l.buttons.empty());
    const int n = static_cast<int>(l.buttons.size()), bw = Width(l.buttons[0]);
    for (int i = 1; i <= n; ++i) {
      const RECT& b = l.buttons[static_cast<size_t>(i - 1)];
      EXPECT_EQ(b.left, (bw + 8) * (i - 1) - (bw * n) / 2 + l.client.right / 2 - 8 * n + 8) << "button " << i;
      EXPECT_EQ(b.bottom, l.client.bottom - 15) << "button " << i;
    }
    EXPECT_EQ(l.focus, l.firstButton);
  }
}

TEST(MessageBoxLayout, SetsShowTheirCaptionsAndIconsTheirPictures) {
  const struct {
    UINT type;
    std::vector<std::string> captions;
    LPCSTR icon;
  } cases[] = {
      {MB_OK | MB_ICONINFORMATION, {"Ok"}, IDI_ASTERISK},
      {MB_OKCANCEL | MB_ICONHAND, {"Ok", "Cancel"}, IDI_HAND},
      {MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION, {"&Abort", "&Retry", "&Ignore"}, IDI_EXCLAMATION},
      {MB_YESNOCANCEL | MB_ICONQUESTION, {"&Yes", "&No", "Cancel"}, IDI_QUESTION},
      {MB_YESNO, {"&Yes", "&No"}, nullptr},
      {MB_RETRYCANCEL | 0x70, {"&Retry", "Cancel"}, nullptr},
      {9, {"Ok"}, nullptr},
  };
  for (const auto& c : cases) {
    const Layout l = Inspect("Text", "Sets", c.type);
    EXPECT_EQ(l.captions, c.captions) << c.type;
    EXPECT_EQ(l.iconShown, c.icon != nullptr) << c.type;
    if (c.icon) {
      EXPECT_EQ(l.iconHandle, LoadIconA(nullptr, c.icon)) << c.type;
    }
  }
  // The buttons wear the kit's look: light blue faces.
  EXPECT_EQ(Inspect("Text", "Look", MB_YESNO).lastButtonFace, RGB(0xB0, 0xC9, 0xFF));
  // One button is centred.
  const Layout one = Inspect("Saved.", "Centred", MB_OK | MB_ICONINFORMATION);
  ASSERT_EQ(one.buttons.size(), 1u);
  EXPECT_LE(std::abs((one.buttons[0].left + one.buttons[0].right) / 2 - one.client.right / 2), 1);
}

// A program with its own caption ids names them once; every set then shows them, and each box
// puts itself at the top of the window order.
TEST(MessageBoxLayout, CaptionsComeFromTheProgramsOwnIdsWhenSet) {
  const MessageBoxSettings kitDefaults = GetMessageBoxSettings();
  MessageBoxSettings own;
  own.ok = 1037, own.cancel = 1038, own.no = 1039, own.yes = 1040, own.abort = 1041, own.retry = 1042,
  own.ignore = 1043, own.raiseToTop = true;
  SetMessageBoxSettings(own);
  const struct {
    UINT type;
    std::vector<std::string> captions;
  } cases[] = {
      {MB_OK, {"Own Ok"}},
      {MB_OKCANCEL, {"Own Ok", "Own Cancel"}},
      {MB_ABORTRETRYIGNORE, {"Own Abort", "Own Retry", "Own Ignore"}},
      {MB_YESNOCANCEL, {"Own Yes", "Own No", "Own Cancel"}},
      {MB_YESNO, {"Own Yes", "Own No"}},
      {MB_RETRYCANCEL, {"Own Retry", "Own Cancel"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Inspect("Text", "Own ids", c.type).captions, c.captions) << c.type;
  HWND top = nullptr, shown = nullptr;
  EXPECT_EQ(Show("Text", "On top", MB_YESNO, [&](HWND box) {
              shown = box;
              top = GetTopWindow(nullptr);
              PostMessageA(box, WM_COMMAND, MAKEWPARAM(902, BN_CLICKED), 0);
            }),
            IDNO);
  EXPECT_EQ(top, shown);
  SetMessageBoxSettings(kitDefaults);
  EXPECT_EQ(Inspect("Text", "Kit ids", MB_YESNO).captions, (std::vector<std::string>{"&Yes", "&No"}));
}

}  // namespace
