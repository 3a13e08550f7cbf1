// The folder bar: where headers and items lie, what a point hits, what the owner is told for clicks,
// folder changes and drags (and that its answer decides), scrolling, the hot highlight leaving with
// the pointer, and its looks.
#include "LauncherMessages.h"
#include "OutBarCtrl.h"
#include "resource.h"
#include "SubclassWnd.h"

#include <base/TemporaryHome.h>
#include <framework/Afx.h>
#include <kernel/Module.h>
#include <resources/Resource.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace testing_user;

namespace {

struct Notice {
  WPARAM code;
  LPARAM value;
};
std::vector<Notice> g_notices;
LRESULT g_answer = 0;

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_OUTBAR_NOTIFY) {
    g_notices.push_back({wParam, wParam == 4 ? 0 : lParam});
    return g_answer;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }
POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class OutBar : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = "OutBarOwner";
    RegisterClassA(&wc);
    m_owner = CreateWindowExA(0, "OutBarOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 420, nullptr, nullptr,
                              nullptr, nullptr);
    m_parent.Attach(m_owner);
    ASSERT_TRUE(m_bar.Create(WS_VISIBLE, RECT{0, 0, 122, 402}, &m_parent, 100, 0));
    m_bar.SetBackColour(0xFDEAE1);
    m_bar.SetTextColour(RGB(0, 0, 0));
    m_large.Create(32, 32, ILC_COLOR24 | ILC_MASK, 4, 1);
    m_small.Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 1);
    m_bar.SetImageList(m_large, 2);
    m_bar.SetImageList(m_small, 1);
    m_bar.AddFolder("Tools", 0);
    m_bar.AddFolder("Other", 1);
    for (const char* name : {"Contacts and calendar", "Media", "Backup"}) m_bar.InsertItem(0, -1, name, 0, 0);
    g_notices.clear();
    g_answer = 0;
  }
  void TearDown() override {
    m_bar.DestroyWindow();
    m_parent.Detach();
    DestroyWindow(m_owner);
  }
  void Click(POINT down, POINT up) {
    SendMessageA(m_bar, WM_LBUTTONDOWN, MK_LBUTTON, At(down));
    SendMessageA(m_bar, WM_MOUSEMOVE, MK_LBUTTON, At(up));
    SendMessageA(m_bar, WM_LBUTTONUP, 0, At(up));
  }
  RECT Client() const {
    RECT client;
    GetClientRect(m_bar, &client);
    return client;
  }

  tolvar::testing::TemporaryHome m_home;
  HWND m_owner = nullptr;
  CWnd m_parent;
  CGfxOutBarCtrl m_bar;
  CImageList m_large, m_small;
};

// Where header `watch` lies each time the bar paints.
class PaintWatch : public CSubclassWnd {
public:
  PaintWatch(CGfxOutBarCtrl& bar, int watch) : m_bar(bar), m_watch(watch) { HookWindow(bar); }
  std::vector<LONG> tops;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) tops.push_back(m_bar.GetFolderRect(m_watch).top);
    return Default(message, wParam, lParam);
  }

private:
  CGfxOutBarCtrl& m_bar;
  int m_watch;
};

}  // namespace

TEST_F(OutBar, AnAnimatedFolderChangeSlidesTheHeadersStepByStep) {
  CGfxOutBarCtrl bar;
  ASSERT_TRUE(bar.Create(WS_VISIBLE, RECT{130, 0, 252, 402}, &m_parent, 101, CGfxOutBarCtrl::kAnimate));
  for (const char* name : {"Tools", "Other", "Third"}) bar.AddFolder(name, 0);
  bar.InsertItem(0, -1, "Media", 0, 0);
  constexpr int kPause = 2;
  bar.SetAnimationTickCount(kPause);
  RECT client;
  GetClientRect(bar, &client);
  const LONG bottom = client.bottom;
  const struct {
    int from, to, watch;
    LONG start, end;
  } cases[] = {
      {0, 2, 1, bottom - 44, 21},  // the headers below rise to the top
      {2, 0, 2, 43, bottom - 22},  // and fall back
      {0, 1, 1, bottom - 44, 21},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
    bar.SetSelFolder(c.from);
    UpdateWindow(bar);
    PaintWatch watch(bar, c.watch);
    const DWORD started = GetTickCount();
    bar.SetSelFolder(c.to);
    const DWORD took = GetTickCount() - started;
    watch.Unhook();
    // One repaint per step, each further on its way, the last where the header ends; a pause
    // between steps.
    ASSERT_EQ(watch.tops.size(), static_cast<size_t>(CGfxOutBarCtrl::kSlideSteps));
    LONG previous = c.start;
    for (LONG top : watch.tops) {
      EXPECT_LT(std::abs(c.end - top), std::abs(c.end - previous)) << top;
      previous = top;
    }
    EXPECT_EQ(watch.tops.back(), c.end);
    EXPECT_GE(took, static_cast<DWORD>((CGfxOutBarCtrl::kSlideSteps - 1) * kPause));
    EXPECT_EQ(bar.GetSelFolder(), c.to);
    EXPECT_EQ(bar.GetFolderRect(c.watch).top, c.end);
  }

  // A negative setting, or a bar made without the flag: the folder changes at once.
  bar.SetAnimationTickCount(-1);
  for (CGfxOutBarCtrl* without : {&bar, &m_bar}) {
    UpdateWindow(*without);
    PaintWatch watch(*without, 1);
    without->SetSelFolder(without->GetSelFolder() == 0 ? 1 : 0);
    EXPECT_TRUE(watch.tops.empty());
  }
  bar.DestroyWindow();
}

TEST_F(OutBar, HeadersStackAboveAndBelowTheOpenFolder) {
  m_bar.AddFolder("Third", 2);
  const int bottom = Client().bottom;
  const struct {
    int current, folder;
    LONG top, bottom;
  } cases[] = {
      {0, 0, -1, 21},  {0, 1, bottom - 44, bottom - 22}, {0, 2, bottom - 22, bottom},
      {1, 0, -1, 21},  {1, 1, 21, 43},                   {1, 2, bottom - 22, bottom},
      {2, 2, 43, 65},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "open " << c.current << " header " << c.folder);
    m_bar.SetSelFolder(c.current);
    const RECT header = m_bar.GetFolderRect(c.folder);
    EXPECT_EQ(header.top, c.top);
    EXPECT_EQ(header.bottom, c.bottom);
  }
  m_bar.SetSelFolder(1);
  const RECT inside = m_bar.GetInsideRect();
  EXPECT_EQ(inside.top, 43);
  EXPECT_EQ(inside.bottom, bottom - 22);
}

TEST_F(OutBar, HitTestsFindArrowsHeadersAndItems) {
  const int bottom = Client().bottom;
  const RECT icon1 = m_bar.GetIconRect(1), label2 = m_bar.GetLabelRect(2);
  EXPECT_EQ(m_bar.GetItemRect(0).top, 21 + CGfxOutBarCtrl::kItemTop);
  const struct {
    POINT point;
    int kind, index;
  } cases[] = {
      {{60, 10}, CGfxOutBarCtrl::kHitFolder, 0},
      {{60, bottom - 5}, CGfxOutBarCtrl::kHitFolder, 1},
      {Centre(icon1), CGfxOutBarCtrl::kHitItem, 1},
      {Centre(label2), CGfxOutBarCtrl::kHitItem, 2},
      {{2, Centre(icon1).y}, CGfxOutBarCtrl::kHitNone, -1},  // beside the icon, above the label
      {{60, bottom - 40}, CGfxOutBarCtrl::kHitNone, -1},     // below the last item
  };
  for (const auto& c : cases) {
    int index = 99;
    EXPECT_EQ(m_bar.HitTest(c.point, index), c.kind) << c.point.x << "," << c.point.y;
    EXPECT_EQ(index, c.index);
  }
  m_bar.SetSmallIconView(true);
  int index = -1;
  EXPECT_EQ(m_bar.HitTest(Centre(m_bar.GetLabelRect(2)), index), CGfxOutBarCtrl::kHitItem);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(m_bar.GetItemRect(1).top - m_bar.GetItemRect(0).top, CGfxOutBarCtrl::kSmallItemHeight);
}

TEST_F(OutBar, ClicksTellTheOwnerAndADragMovesOnlyWhenTheOwnerAgrees) {
  const POINT item1 = Centre(m_bar.GetIconRect(1));
  const POINT item2 = Centre(m_bar.GetIconRect(2));
  Click(item1, item1);
  ASSERT_EQ(g_notices.size(), 1u);
  EXPECT_EQ(g_notices[0].code, 1u);
  EXPECT_EQ(g_notices[0].value, 1);
  EXPECT_EQ(m_bar.GetSelItem(), 1);

  // Pressed on an item, released off every item: nothing.
  g_notices.clear();
  Click(item1, POINT{200, 200});
  EXPECT_TRUE(g_notices.empty());
  EXPECT_EQ(GetCapture(), nullptr);

  // Dragged onto another item: asked, refused, nothing moves; agreed, it moves before that item.
  Click(Centre(m_bar.GetIconRect(0)), item2);
  ASSERT_EQ(g_notices.size(), 1u);
  EXPECT_EQ(g_notices[0].code, 4u);
  EXPECT_EQ(m_bar.GetItemText(0, 0), "Contacts and calendar");
  g_answer = 1;
  Click(Centre(m_bar.GetIconRect(0)), item2);
  EXPECT_EQ(m_bar.GetItemText(0, 0), "Media");
  EXPECT_EQ(m_bar.GetItemText(0, 1), "Contacts and calendar");
  EXPECT_EQ(m_bar.GetItemText(0, 2), "Backup");

  // A header clicked opens its folder.
  g_notices.clear();
  const POINT header = Centre(m_bar.GetFolderRect(1));
  Click(header, header);
  ASSERT_EQ(g_notices.size(), 1u);
  EXPECT_EQ(g_notices[0].code, 5u);
  EXPECT_EQ(g_notices[0].value, 1);
  EXPECT_EQ(m_bar.GetSelFolder(), 1);
  EXPECT_EQ(m_bar.GetSelItem(), -1);
}

TEST_F(OutBar, ADragShowsTheHandThenWhetherTheItemMayBeDroppedThere) {
  // The three cursors are the launcher's own drawings, each with its hot spot.
  const struct {
    int id;
    POINT hot;
  } drawn[] = {{IDC_DRAG, {13, 2}}, {IDC_DROP, {0, 0}}, {IDC_DROP_NO, {15, 15}}};
  std::vector<HCURSOR> cursors;
  for (const auto& d : drawn) {
    SCOPED_TRACE(d.id);
    HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(d.id));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, static_cast<DWORD>(d.hot.x));
    EXPECT_EQ(info.yHotspot, static_cast<DWORD>(d.hot.y));
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    cursors.push_back(cursor);
  }
  const HCURSOR hand = cursors[0], allowed = cursors[1], refused = cursors[2];

  // Pressed on an item and moved off it: the hand; then over the items the drop is allowed, over a
  // header it is refused. The release ends the drag with the arrow back.
  const POINT item0 = Centre(m_bar.GetIconRect(0)), item2 = Centre(m_bar.GetIconRect(2));
  const POINT header = Centre(m_bar.GetFolderRect(1));
  SendMessageA(m_bar, WM_LBUTTONDOWN, MK_LBUTTON, At(item0));
  const struct {
    POINT to;
    HCURSOR shows;
  } moves[] = {{item2, hand}, {POINT{item2.x + 2, item2.y}, allowed}, {header, refused}, {item2, allowed}};
  for (const auto& move : moves) {
    SendMessageA(m_bar, WM_MOUSEMOVE, MK_LBUTTON, At(move.to));
    EXPECT_EQ(GetCursor(), move.shows) << move.to.x << "," << move.to.y;
    // The bar keeps its cursor while the system asks for one.
    SendMessageA(m_bar, WM_SETCURSOR, reinterpret_cast<WPARAM>(HWND(m_bar)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), move.shows);
  }
  SendMessageA(m_bar, WM_LBUTTONUP, 0, At(header));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(m_bar.GetItemText(0, 0), "Contacts and calendar");
}

TEST_F(OutBar, ArrowsScrollOneItemAtATimeWhileTheListCanMove) {
  for (int i = 0; i < 7; ++i) m_bar.InsertItem(0, -1, "More", 0, 0);
  EXPECT_FALSE(m_bar.IsArrowShown(true));
  ASSERT_TRUE(m_bar.IsArrowShown(false));
  const POINT down = Centre(m_bar.GetArrowRect(false));
  int index = -1;
  EXPECT_EQ(m_bar.HitTest(down, index), CGfxOutBarCtrl::kHitDownArrow);
  Click(down, down);
  EXPECT_EQ(m_bar.GetFirstVisibleItem(), 1);
  EXPECT_TRUE(m_bar.IsArrowShown(true));
  for (int i = 0; i < 20; ++i) Click(down, down);
  EXPECT_FALSE(m_bar.IsArrowShown(false));
  const int last = m_bar.GetFirstVisibleItem();
  EXPECT_EQ(m_bar.HitTest(Centre(m_bar.GetIconRect(last)), index), CGfxOutBarCtrl::kHitItem);
  EXPECT_EQ(index, last);
  const POINT up = Centre(m_bar.GetArrowRect(true));
  Click(up, up);
  EXPECT_EQ(m_bar.GetFirstVisibleItem(), last - 1);
}

TEST_F(OutBar, TheHotHighlightGoesWhenThePointerLeaves) {
  RECT bounds;
  GetWindowRect(m_bar, &bounds);
  POINT item = Centre(m_bar.GetIconRect(0));
  POINT screen = item;
  ClientToScreen(m_bar, &screen);
  ASSERT_TRUE(tolvar::user::InjectMouse(screen, WM_MOUSEMOVE));
  Pump();
  EXPECT_EQ(m_bar.GetHotItem(), 0);
  ASSERT_TRUE(tolvar::user::InjectMouse(POINT{bounds.right + 50, bounds.top + 10}, WM_MOUSEMOVE));
  // The bar hears nothing of the pointer now; its timer notices within a tick or two.
  const DWORD start = GetTickCount();
  while (m_bar.GetHotItem() != -1 && GetTickCount() - start < 10000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  EXPECT_EQ(m_bar.GetHotItem(), -1);
}

TEST_F(OutBar, RemovingTheOnlyFolderLeavesNothingOpen) {
  m_bar.RemoveFolder(1);
  EXPECT_EQ(m_bar.GetSelFolder(), 0);
  m_bar.RemoveFolder(0);
  EXPECT_EQ(m_bar.GetSelFolder(), -1);
  int index = 5;
  EXPECT_EQ(m_bar.HitTest(POINT{60, 60}, index), CGfxOutBarCtrl::kHitNone);
  EXPECT_EQ(index, -1);
  m_bar.Invalidate();
  Pump();  // paints without a folder
  HBITMAP picture = tolvar::user::RenderWindow(m_owner);
  ASSERT_TRUE(picture);
  EXPECT_EQ(PixelAt(picture, 60, 60), 0xFDEAE1u);
  DeleteObject(picture);
}

TEST_F(OutBar, LooksOfItsStates) {
  auto render = [&](const char* name) {
    m_bar.Invalidate();
    Pump();
    HBITMAP picture = tolvar::user::RenderWindow(m_owner);
    SavePng(picture, name);
    return picture;
  };
  HBITMAP plain = render("outbar_plain");
  const RECT cell = m_bar.GetItemRect(1);
  POINT marker{cell.right - 4, (cell.top + cell.bottom) / 2};
  ClientToScreen(m_bar, &marker);
  ScreenToClient(m_owner, &marker);
  EXPECT_EQ(PixelAt(plain, marker.x, marker.y), 0xFDEAE1u);
  DeleteObject(plain);

  const POINT item = Centre(m_bar.GetIconRect(1));
  Click(item, item);
  HBITMAP selected = render("outbar_selected");
  EXPECT_EQ(PixelAt(selected, marker.x, marker.y), RGB(8, 42, 130));  // the selected marker
  DeleteObject(selected);

  SendMessageA(m_bar, WM_MOUSEMOVE, 0, At(Centre(m_bar.GetIconRect(2))));
  const RECT hotCell = m_bar.GetItemRect(2);
  POINT hotMarker{hotCell.right - 4, (hotCell.top + hotCell.bottom) / 2};
  ClientToScreen(m_bar, &hotMarker);
  ScreenToClient(m_owner, &hotMarker);
  HBITMAP hot = render("outbar_hot");
  EXPECT_EQ(PixelAt(hot, hotMarker.x, hotMarker.y), RGB(255, 255, 255));  // the plain marker
  DeleteObject(hot);

  m_bar.SetSmallIconView(true);
  DeleteObject(render("outbar_small_icons"));
}

TEST_F(OutBar, ALabelChangesOnlyWhenTheOwnerAgrees) {
  struct Case {
    bool folder;
    int index;
    LRESULT answer;
    UINT endKey;
    const char* expected;
    size_t notices;
  };
  const Case cases[] = {
      {false, 1, 0, VK_RETURN, "Media", 1},   // refused, as the launcher does
      {false, 2, 1, VK_ESCAPE, "Backup", 0},  // cancelled: the owner is not asked
      {false, 0, 1, VK_RETURN, "Pictures", 1},
      {true, 1, 0, VK_RETURN, "Other", 1},
      {true, 0, 1, VK_RETURN, "Pictures", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.folder ? "folder " : "item ") << c.index);
    ASSERT_TRUE(c.folder ? m_bar.EditFolderLabel(c.index) : m_bar.EditItemLabel(c.index));
    COutBarLabelEdit* editor = m_bar.GetLabelEditor();
    ASSERT_TRUE(editor);
    EXPECT_FALSE(c.folder ? m_bar.EditFolderLabel(c.index) : m_bar.EditItemLabel(c.index));  // one at a time
    editor->SetWindowText("");
    for (const char* p = "Pictures"; *p; ++p) SendMessageA(*editor, WM_CHAR, static_cast<unsigned char>(*p), 0);
    g_notices.clear();
    g_answer = c.answer;
    SendMessageA(*editor, WM_KEYDOWN, c.endKey, 0);
    Pump();
    EXPECT_EQ(m_bar.GetLabelEditor(), nullptr);
    ASSERT_EQ(g_notices.size(), c.notices);
    if (c.notices) {
      EXPECT_EQ(g_notices[0].code, c.folder ? 3u : 2u);
    }
    EXPECT_EQ(c.folder ? m_bar.GetFolderText(c.index) : m_bar.GetItemText(0, c.index), c.expected);
  }
}
