// Window objects: the order in which message maps are searched, Default, the object attached before
// WM_CREATE, subclass chains, reflection and pre-translation.
#include <framework/Afx.h>

#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include "TestApp.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

using namespace testing_user;

namespace {

constexpr UINT kBoth = WM_USER + 1;      // handled by the base and the derived class
constexpr UINT kBaseOnly = WM_USER + 2;  // handled by the base class only
constexpr UINT kNobody = WM_USER + 3;
// What the handlers write into lParam of the entries they record, to tell them apart from the
// window procedure's own entries (which carry the message's lParam, 0).
constexpr LPARAM kByBase = 0xB;
constexpr LPARAM kByDerived = 0xD;

class CBaseWnd : public CWnd {
public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CWnd::GetMessageMap(),
                                {MapMessage(kBoth, &CBaseWnd::OnBoth), MapMessage(kBaseOnly, &CBaseWnd::OnBoth)}};
    return &map;
  }
  LRESULT OnBoth(WPARAM wParam, LPARAM) {
    Recorder::Get().Add(m_hWnd, GetCurrentMessage()->message, wParam, kByBase);
    return 1;
  }
};

class CDerivedWnd : public CBaseWnd {
public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CBaseWnd::GetMessageMap(), {MapMessage(kBoth, &CDerivedWnd::OnBoth)}};
    return &map;
  }
  // The derived handler, then the window's own procedure through Default.
  LRESULT OnBoth(WPARAM wParam, LPARAM) {
    Recorder::Get().Add(m_hWnd, kBoth, wParam, kByDerived);
    return Default() + 10;
  }
};

HWND RecordingWindow(HWND parent = nullptr, int id = 0) {
  DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW;
  return CreateWindowExA(0, RecordingClass(), "", style, 0, 0, 200, 100, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

TEST(MessageMap, TheDerivedClassIsAskedFirstAndDefaultReachesTheProcedureThatWasThereBefore) {
  HWND window = RecordingWindow();
  CDerivedWnd object;
  ASSERT_TRUE(object.SubclassWindow(window));
  Recorder::Get().Clear();
  EXPECT_EQ(SendMessageA(window, kBoth, 7, 0), 10);  // the recording class answers 0
  EXPECT_EQ(SendMessageA(window, kBaseOnly, 8, 0), 1);
  EXPECT_EQ(SendMessageA(window, kNobody, 9, 0), 0);
  ExpectSequence(Recorder::Get().Take(),
                 {{kBoth, kWParam | kLParam, 7, kByDerived},
                  {kBoth, kWParam | kLParam, 7, 0},  // Default: the class's procedure
                  {kBaseOnly, kWParam | kLParam, 8, kByBase},
                  {kNobody, kWParam | kLParam, 9, 0}},
                 "map search");
  EXPECT_EQ(CWnd::FromHandlePermanent(window), &object);
  EXPECT_EQ(CWnd::FromHandle(window), &object);  // one object per window
  CDerivedWnd second;
  EXPECT_FALSE(second.SubclassWindow(window));
  object.DestroyWindow();
  EXPECT_EQ(object.m_hWnd, nullptr);  // its WM_NCDESTROY let go of the window
}

// A window procedure of the program's own hands a message to an object: it makes the message the
// current one, so the handler's Default and GetCurrentMessage see it, and the outer one comes back.
TEST(MessageMap, AProceduresOwnCurrentMessageIsWhatDefaultSees) {
  HWND window = RecordingWindow();
  CDerivedWnd object;
  ASSERT_TRUE(object.Attach(window));  // no subclassing: the program routes messages itself
  Recorder::Get().Clear();
  {
    CCurrentMessage outer(window, kNobody, 1, 0);
    {
      CCurrentMessage inner(window, kBoth, 2, 0);
      EXPECT_EQ(object.WindowProc(kBoth, 2, 0), 10);
    }
    EXPECT_EQ(CWnd::GetCurrentMessage()->message, kNobody);
    EXPECT_EQ(CWnd::GetCurrentMessage()->wParam, 1u);
  }
  auto got = Recorder::Get().Take();
  ASSERT_EQ(got.size(), 1u);  // the handler; Default went to DefWindowProc, the window is not subclassed
  EXPECT_EQ(got[0].lParam, kByDerived);
  EXPECT_EQ(object.Detach(), window);
  DestroyWindow(window);
}

// Records every message the object gets through its map's view of the window.
class CCreatingWnd : public CWnd {
public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_GETICON && message != WM_NCHITTEST) seen.push_back(message);
    return CWnd::WindowProc(message, wParam, lParam);
  }
  std::vector<UINT> seen;
};

TEST(WindowObject, IsAttachedBeforeTheWindowsFirstMessage) {
  CCreatingWnd frame;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "Top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
  ASSERT_GE(frame.seen.size(), 4u);
  EXPECT_EQ(frame.seen[0], WM_GETMINMAXINFO);
  EXPECT_EQ(frame.seen[1], WM_NCCREATE);
  EXPECT_NE(std::find(frame.seen.begin(), frame.seen.end(), WM_CREATE), frame.seen.end());
  CCreatingWnd child;
  RECT rect{0, 0, 50, 20};
  ASSERT_TRUE(child.Create(nullptr, "Child", WS_VISIBLE, rect, &frame, 5));
  ASSERT_GE(child.seen.size(), 3u);
  EXPECT_EQ(child.seen[0], WM_NCCREATE);
  EXPECT_EQ(child.seen[1], WM_NCCALCSIZE);
  EXPECT_EQ(child.seen[2], WM_CREATE);
  EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(frame.m_hWnd, 5)), &child);
  frame.DestroyWindow();
  EXPECT_EQ(child.m_hWnd, nullptr);
}

// ---- Subclass chains ----

constexpr UINT kProbe = WM_USER + 5;
constexpr LPARAM kByObject = 'W';
constexpr LPARAM kByLink = 'A';
WNDPROC g_linkNext = nullptr;

LRESULT LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) Recorder::Get().Add(window, kProbe, 0, kByLink);
  return CallWindowProcA(g_linkNext, window, message, wParam, lParam);
}

class CProbeWnd : public CWnd {
public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kProbe) Recorder::Get().Add(m_hWnd, kProbe, 0, kByObject);
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

// A window subclassed by the class library's object ("W") and by a plain procedure ("A") in either
// order, then let go of in either order (a plain procedure can only take itself out while it is
// the window's current one), and subclassed again. After every step a probe must pass each link
// still in the chain once, in order, and end at the class's procedure.
struct ChainCase {
  const char* name;
  std::vector<std::string> steps;  // "W+", "A+", "W-", "A-"
  std::vector<LPARAM> passes;      // the links a probe passes, the class's procedure last (0)
  bool classProcedureOnTop;        // nothing of the chain is left in the window's procedure
};

void PrintTo(const ChainCase& c, std::ostream* os) { *os << c.name; }

class SubclassChain : public ::testing::TestWithParam<ChainCase> {};

TEST_P(SubclassChain, UnwindsInAnyOrder) {
  const ChainCase& c = GetParam();
  HWND window = RecordingWindow();
  const LONG_PTR classProcedure = GetWindowLongPtrA(window, GWLP_WNDPROC);
  CProbeWnd object;
  for (const std::string& step : c.steps) {
    if (step == "W+") {
      ASSERT_TRUE(object.SubclassWindow(window));
    } else if (step == "W-") {
      ASSERT_EQ(object.UnsubclassWindow(), window);
    } else if (step == "A+") {
      g_linkNext = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkProc)));
    } else if (step == "A-") {
      ASSERT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LinkProc));
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_linkNext));
    }
  }
  Recorder::Get().Clear();
  SendMessageA(window, kProbe, 0, 0);
  auto got = Recorder::Get().Take();
  std::erase_if(got, [](const Recorded& r) { return r.message != kProbe; });
  ASSERT_EQ(got.size(), c.passes.size()) << c.name;
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].lParam, c.passes[i]) << c.name << " pass " << i;
  if (c.classProcedureOnTop) {
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), classProcedure) << c.name;
  }
  DestroyWindow(window);
  EXPECT_EQ(object.m_hWnd, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SubclassChain,
    ::testing::Values(
        ChainCase{"ObjectThenLinkLetGoInReverse", {"W+", "A+", "A-", "W-"}, {0}, true},
        ChainCase{"ObjectThenLinkObjectFirst", {"W+", "A+", "W-"}, {kByLink, 0}, false},
        ChainCase{"ObjectFirstThenLink", {"W+", "A+", "W-", "A-"}, {0}, false},
        ChainCase{"LinkThenObjectLetGoInReverse", {"A+", "W+", "W-", "A-"}, {0}, true},
        ChainCase{"LinkThenObjectObjectStays", {"A+", "W+"}, {kByObject, kByLink, 0}, false},
        // Subclassed again while its old link is still in the chain: the object takes that link
        // over instead of entering the chain twice (which would loop forever).
        ChainCase{"ObjectComesBackBehindALink", {"W+", "A+", "W-", "W+"}, {kByLink, kByObject, 0}, false},
        ChainCase{"ObjectComesBackOnTop", {"W+", "A+", "A-", "W-", "W+"}, {kByObject, 0}, false}),
    [](const ::testing::TestParamInfo<ChainCase>& info) { return std::string(info.param.name); });

// ---- Reflection ----

constexpr int kControlId = 100;
constexpr WORD kCodeTheControlTakes = 0x0300;  // EN_CHANGE, say
constexpr WORD kCodeForTheParent = 0x0400;
constexpr UINT kNotifyTheControlTakes = static_cast<UINT>(-2);  // NM_CLICK
constexpr UINT kNotifyForTheParent = static_cast<UINT>(-3);

std::vector<std::string> g_heard;

class CReflectingControl : public CWnd {
public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CWnd::GetMessageMap(),
                                {
                                    MapControlReflect(kCodeTheControlTakes, &CReflectingControl::OnOwnCommand),
                                    MapNotifyReflect(kNotifyTheControlTakes, &CReflectingControl::OnOwnNotify),
                                    MapCtlColorReflect(&CReflectingControl::CtlColor),
                                    MapReflect(WM_DRAWITEM, &CReflectingControl::OnOwnDrawItem),
                                }};
    return &map;
  }
  void OnOwnCommand() { g_heard.push_back("control: command"); }
  void OnOwnNotify(NMHDR*, LRESULT* result) {
    g_heard.push_back("control: notify");
    *result = 42;
  }
  HBRUSH CtlColor(CDC* dc, UINT ctlColor) {
    g_heard.push_back("control: colour " + std::to_string(ctlColor));
    if (!answerColour) return nullptr;  // the parent answers then
    dc->SetTextColor(RGB(1, 2, 3));
    return brush;
  }
  LRESULT OnOwnDrawItem(WPARAM, LPARAM) {
    g_heard.push_back("control: draw");
    return TRUE;
  }
  bool answerColour = true;
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
};

class CReflectingParent : public CWnd {
public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{
        CWnd::GetMessageMap(),
        {
            MapControl(kCodeTheControlTakes, kControlId, &CReflectingParent::OnTakenCommand),
            MapControl(kCodeForTheParent, kControlId, &CReflectingParent::OnParentCommand),
            MapNotify(kNotifyTheControlTakes, kControlId, &CReflectingParent::OnNotifyAny),
            MapNotify(kNotifyForTheParent, kControlId, &CReflectingParent::OnNotifyAny),
            MapMessage(WM_CTLCOLORSTATIC, &CReflectingParent::OnCtlColor),
            MapMessage(WM_DRAWITEM, &CReflectingParent::OnDrawItem),
        }};
    return &map;
  }
  void OnTakenCommand() { g_heard.push_back("parent: taken command"); }
  void OnParentCommand() { g_heard.push_back("parent: command"); }
  void OnNotifyAny(NMHDR* header, LRESULT* result) {
    g_heard.push_back("parent: notify " + std::to_string(static_cast<int>(header->code)));
    *result = 7;
  }
  LRESULT OnCtlColor(WPARAM, LPARAM) {
    g_heard.push_back("parent: colour");
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }
  LRESULT OnDrawItem(WPARAM, LPARAM) {
    g_heard.push_back("parent: draw");
    return TRUE;
  }
};

struct ReflectionCase {
  const char* name;
  UINT message;
  WORD code;             // WM_COMMAND's notification code, or WM_NOTIFY's (as UINT below)
  UINT notifyCode;
  bool controlAnswersColour;
  std::vector<std::string> heard;
  LRESULT result;        // -1: not checked
};

void PrintTo(const ReflectionCase& c, std::ostream* os) { *os << c.name; }

class Reflection : public ::testing::TestWithParam<ReflectionCase> {};

TEST_P(Reflection, ReachesTheControlsObjectAndTheParentOnlyWhenTheControlDoesNotTakeIt) {
  const ReflectionCase& c = GetParam();
  CReflectingParent parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "Parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
  CReflectingControl control;
  control.answerColour = c.controlAnswersColour;
  RECT rect{10, 10, 60, 30};
  ASSERT_TRUE(control.Create(nullptr, "", WS_VISIBLE, rect, &parent, kControlId));
  g_heard.clear();
  HDC dc = GetDC(control.m_hWnd);
  LRESULT result = 0;
  NMHDR header{control.m_hWnd, kControlId, c.notifyCode};
  DRAWITEMSTRUCT item{ODT_BUTTON, kControlId, 0, ODA_DRAWENTIRE, 0, control.m_hWnd, dc, rect, 0};
  switch (c.message) {
    case WM_COMMAND:
      result = parent.SendMessage(WM_COMMAND, MAKEWPARAM(kControlId, c.code), reinterpret_cast<LPARAM>(control.m_hWnd));
      break;
    case WM_NOTIFY: result = parent.SendMessage(WM_NOTIFY, kControlId, reinterpret_cast<LPARAM>(&header)); break;
    case WM_CTLCOLORSTATIC:
      result = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control.m_hWnd));
      break;
    case WM_DRAWITEM: result = parent.SendMessage(WM_DRAWITEM, kControlId, reinterpret_cast<LPARAM>(&item)); break;
  }
  EXPECT_EQ(g_heard, c.heard) << c.name;
  if (c.result != -1) {
    EXPECT_EQ(result, c.result) << c.name;
  }
  if (c.message == WM_CTLCOLORSTATIC && c.controlAnswersColour) {
    EXPECT_EQ(result, reinterpret_cast<LRESULT>(control.brush));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));  // the control's handler drew on the parent's DC
  }
  ReleaseDC(control.m_hWnd, dc);
  parent.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Reflection,
    ::testing::Values(
        ReflectionCase{"CommandTheControlTakes", WM_COMMAND, kCodeTheControlTakes, 0, true, {"control: command"}, 1},
        ReflectionCase{"CommandForTheParent", WM_COMMAND, kCodeForTheParent, 0, true, {"parent: command"}, 1},
        ReflectionCase{"NotifyTheControlTakes", WM_NOTIFY, 0, kNotifyTheControlTakes, true, {"control: notify"}, 42},
        ReflectionCase{"NotifyForTheParent", WM_NOTIFY, 0, kNotifyForTheParent, true, {"parent: notify -3"}, 7},
        ReflectionCase{"ColourTheControlAnswers", WM_CTLCOLORSTATIC, 0, 0, true, {"control: colour 6"}, -1},
        ReflectionCase{"ColourTheControlLeaves", WM_CTLCOLORSTATIC, 0, 0, false, {"control: colour 6", "parent: colour"},
                       reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH))},
        ReflectionCase{"OwnerDrawReachesTheControl", WM_DRAWITEM, 0, 0, true, {"control: draw"}, TRUE}),
    [](const ::testing::TestParamInfo<ReflectionCase>& info) { return std::string(info.param.name); });

// ---- Pre-translation ----

class CKeyWatcher : public CWnd {
public:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) {
      Recorder::Get().Add(m_hWnd, WM_KEYDOWN, msg->wParam, reinterpret_cast<LPARAM>(msg->hwnd));
      return consume;
    }
    return FALSE;
  }
  BOOL consume = TRUE;
};

TEST(PreTranslateMessage, TheParentSeesItsChildsKeyFirstAndMayTakeIt) {
  CKeyWatcher top;
  ASSERT_TRUE(top.CreateEx(0, nullptr, "Top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
  CKeyWatcher middle;
  middle.consume = FALSE;
  RECT rect{0, 0, 150, 80};
  ASSERT_TRUE(middle.Create(nullptr, "", WS_VISIBLE, rect, &top, 1));
  HWND child = RecordingWindow(middle.m_hWnd, 2);
  Recorder::Get().SetParent(top.m_hWnd);
  for (BOOL consume : {TRUE, FALSE}) {
    top.consume = consume;
    Recorder::Get().Clear();
    PostMessageA(child, WM_KEYDOWN, 'K', 0);
    PumpThroughLibrary();
    auto got = Recorder::Get().Take();
    std::erase_if(got, [](const Recorded& r) { return r.message != WM_KEYDOWN; });
    const auto childLParam = reinterpret_cast<LPARAM>(child);
    if (consume) {
      // The nearer parent first; the top-level window takes it and the child never sees it.
      ExpectSequence(got, {{WM_KEYDOWN, kWParam | kLParam, 'K', childLParam},
                           {WM_KEYDOWN, kParent | kWParam | kLParam, 'K', childLParam}},
                     "taken");
    } else {
      ExpectSequence(got, {{WM_KEYDOWN, kWParam | kLParam, 'K', childLParam},
                           {WM_KEYDOWN, kParent | kWParam | kLParam, 'K', childLParam},
                           {WM_KEYDOWN, kWParam | kLParam, 'K', 0}},
                     "passed on");
    }
  }
  Recorder::Get().SetParent(nullptr);
  top.DestroyWindow();
}

}  // namespace

namespace {

class CBarMenu : public CMenu {
public:
  void MeasureItem(LPMEASUREITEMSTRUCT item) override {
    item->itemWidth = 77;
    item->itemHeight = 11;
  }
};

TEST(OwnerDrawMenu, AMenuBarsOwnEntriesAreMeasuredByTheBarsObject) {
  CWnd frame;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "Bar", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
  CBarMenu bar;
  ASSERT_TRUE(bar.CreateMenu());
  bar.AppendMenu(MF_OWNERDRAW, 9, reinterpret_cast<LPCSTR>(1));
  frame.SetMenu(&bar);
  MEASUREITEMSTRUCT item{ODT_MENU, 0, 9, 0, 0, 1};
  frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.itemWidth, 77u);
  EXPECT_EQ(item.itemHeight, 11u);
  frame.SetMenu(nullptr);  // the bar stays the object's, not the window's
  frame.DestroyWindow();
}

}  // namespace
