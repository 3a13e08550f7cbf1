// The status bar in a frame: placed along the frame's bottom under the view, again after the frame
// is resized and after its font makes it taller; its panes cut from indicators (standard texts,
// widths from the texts, the first separator stretching) and their texts as the control shows them.
#include <framework/Afx.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include "TestApp.h"

#include <cstring>
#include <functional>
#include <string>

using namespace testing_user;

namespace {

class StatusBarInFrame : public ::testing::Test {
protected:
  void SetUp() override {
    // Clipping its children, as the suite's frames do, unless a test says otherwise.
    ASSERT_TRUE(frame.Create(nullptr, "Status", WS_OVERLAPPEDWINDOW | WS_VISIBLE | m_clipChildren, RECT{0, 0, 400, 300}));
    ASSERT_TRUE(view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &frame, AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(bar.Create(&frame));
  }
  void TearDown() override { frame.DestroyWindow(); }

  // A child's rectangle in the frame's client coordinates.
  RECT Placed(const CWnd& child) const {
    RECT rect;
    child.GetWindowRect(&rect);
    frame.ScreenToClient(&rect);
    return rect;
  }
  std::string Shown(int pane) const {
    char text[128] = {};
    ::SendMessageA(bar.m_hWnd, SB_GETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text));
    return text;
  }
  void ExpectAtTheBottomUnderTheView() const {
    RECT client;
    frame.GetClientRect(&client);
    const RECT placed = Placed(bar);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.right, client.right);
    EXPECT_EQ(placed.bottom, client.bottom);
    EXPECT_GT(placed.bottom - placed.top, 0);
    const RECT pane = Placed(view);
    EXPECT_EQ(pane.top, 0);
    EXPECT_EQ(pane.bottom, placed.top);
    EXPECT_EQ(pane.right, client.right);
  }

  // How many pixels of the pane's first 60 columns are in the text colour, in the frame's picture.
  int InkInPane(int index, const char* png = nullptr) {
    Pump();
    HBITMAP picture = tolvar::user::RenderWindow(frame.m_hWnd);
    RECT status, frameOnScreen, pane;
    bar.GetWindowRect(&status);
    frame.GetWindowRect(&frameOnScreen);
    bar.GetItemRect(index, &pane);
    int inked = 0;
    for (int x = pane.left; x < pane.left + 60; ++x) {
      for (int y = pane.top; y < pane.bottom; ++y) {
        const COLORREF pixel = PixelAt(picture, status.left - frameOnScreen.left + x, status.top - frameOnScreen.top + y);
        if (pixel == GetSysColor(COLOR_BTNTEXT)) ++inked;
      }
    }
    if (png) SavePng(picture, png);
    DeleteObject(picture);
    return inked;
  }

  DWORD m_clipChildren = WS_CLIPCHILDREN;
  CFrameWnd frame;
  CWnd view;
  CStatusBar bar;
};

class StatusBarInUnclippedFrame : public StatusBarInFrame {
protected:
  StatusBarInUnclippedFrame() { m_clipChildren = 0; }
};

constexpr UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};

TEST_F(StatusBarInFrame, TheBarStaysAtTheFramesBottomAndItsStretchingPaneTakesTheRest) {
  ASSERT_TRUE(bar.SetIndicators(kIndicators, 3));
  ExpectAtTheBottomUnderTheView();

  struct Size {
    int width, height;
  };
  int firstWidth = -1;
  for (const Size size : {Size{400, 300}, Size{560, 360}, Size{300, 200}}) {
    frame.MoveWindow(0, 0, size.width, size.height);
    ExpectAtTheBottomUnderTheView();
    RECT barClient, panes[3];
    bar.GetClientRect(&barClient);
    for (int i = 0; i < 3; ++i) bar.GetItemRect(i, &panes[i]);
    // The indicators keep their widths; the first pane takes what they leave, to the bar's end.
    EXPECT_EQ(panes[2].right, barClient.right) << size.width;
    EXPECT_LT(panes[0].right, panes[1].left);
    EXPECT_LT(panes[1].right, panes[2].left);
    const int indicators = (panes[1].right - panes[1].left) + (panes[2].right - panes[2].left);
    if (firstWidth >= 0) {
      EXPECT_EQ(indicators, firstWidth) << size.width;
    }
    firstWidth = indicators;
  }

  // A taller font: the bar grows and the view gives way.
  RECT before = Placed(bar);
  LOGFONTA look{};
  look.lfHeight = -24;
  std::strcpy(look.lfFaceName, "Verdana");
  CFont big;
  ASSERT_TRUE(big.CreateFontIndirect(&look));
  bar.SetFont(&big);
  RECT after = Placed(bar);
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
  ExpectAtTheBottomUnderTheView();

  bar.SetPaneText(0, "Phone connected");
  Pump();
  HBITMAP picture = tolvar::user::RenderWindow(frame.m_hWnd);
  // The pane's text is drawn in the bar, in the window's picture.
  RECT status, frameOnScreen;
  bar.GetWindowRect(&status);
  frame.GetWindowRect(&frameOnScreen);
  RECT text;
  bar.GetItemRect(0, &text);
  int inked = 0;
  for (int x = text.left; x < text.left + 60; ++x) {
    for (int y = text.top; y < text.bottom; ++y) {
      const COLORREF pixel = PixelAt(picture, status.left - frameOnScreen.left + x, status.top - frameOnScreen.top + y);
      if (pixel == GetSysColor(COLOR_BTNTEXT)) ++inked;
    }
  }
  EXPECT_GT(inked, 20);
  SavePng(picture, "framework-status-bar");
  DeleteObject(picture);
  bar.SetFont(nullptr);
}

TEST_F(StatusBarInFrame, PanesCarryTheirIndicatorsTextsAndStyles) {
  // Before any indicators, one pane across the bar.
  RECT whole, only;
  bar.GetClientRect(&whole);
  bar.GetItemRect(0, &only);
  EXPECT_EQ(bar.GetCount(), 1);
  EXPECT_EQ(only.right, whole.right);

  ASSERT_TRUE(bar.SetIndicators(kIndicators, 3));
  EXPECT_EQ(bar.GetCount(), 3);
  struct Case {
    int pane;
    UINT id;
    const char* text;
  };
  const Case cases[] = {{0, ID_SEPARATOR, ""}, {1, ID_INDICATOR_CAPS, "CAP"}, {2, ID_INDICATOR_NUM, "NUM"}};
  for (const Case& c : cases) {
    EXPECT_EQ(bar.GetItemID(c.pane), c.id);
    EXPECT_STREQ(bar.GetPaneText(c.pane), c.text);
    EXPECT_EQ(Shown(c.pane), c.text);
    if (c.id != ID_SEPARATOR) {
      EXPECT_EQ(bar.CommandToIndex(c.id), c.pane);
    }
  }
  EXPECT_EQ(bar.CommandToIndex(ID_INDICATOR_REC), -1);
  UINT id = 0, style = 0;
  int width = 0;
  bar.GetPaneInfo(0, id, style, width);
  EXPECT_EQ(style, SBPS_STRETCH | SBPS_NOBORDERS);

  ASSERT_TRUE(bar.SetPaneText(0, "Phone connected"));
  EXPECT_EQ(Shown(0), "Phone connected");
  EXPECT_FALSE(bar.SetPaneText(3, "nowhere"));

  // A disabled indicator keeps its text but shows none.
  bar.SetPaneStyle(2, SBPS_DISABLED);
  EXPECT_EQ(Shown(2), "");
  EXPECT_STREQ(bar.GetPaneText(2), "NUM");
  bar.SetPaneStyle(2, SBPS_NORMAL);
  EXPECT_EQ(Shown(2), "NUM");

  // One pane, stretched, without border: the launcher's bar.
  const UINT one[] = {ID_SEPARATOR};
  ASSERT_TRUE(bar.SetIndicators(one, 1));
  bar.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH | SBPS_NOBORDERS, 0);
  RECT barClient, pane;
  bar.GetClientRect(&barClient);
  bar.GetItemRect(0, &pane);
  EXPECT_EQ(pane.right, barClient.right);
  CString idle;
  ASSERT_TRUE(AfxLoadStandardString(AFX_IDS_IDLEMESSAGE, idle));
  EXPECT_STREQ(idle, "Ready");

  // An indicator without a text: FALSE, the panes before it stay.
  const UINT unknown[] = {ID_SEPARATOR, 0x7123};
  EXPECT_FALSE(bar.SetIndicators(unknown, 2));
  EXPECT_EQ(bar.GetCount(), 1);
}

// A frame that does not clip its children paints over them when it paints; the bar must still show
// its texts once everything has painted after each change of the layout.
TEST_F(StatusBarInUnclippedFrame, TheBarShowsItsTextAfterEveryLayoutChange) {
  ASSERT_TRUE(bar.SetIndicators(kIndicators, 3));
  bar.SetPaneText(0, "Phone connected");
  ASSERT_GT(InkInPane(0), 20);
  LOGFONTA look{};
  look.lfHeight = -20;
  std::strcpy(look.lfFaceName, "Verdana");
  CFont big;
  ASSERT_TRUE(big.CreateFontIndirect(&look));
  struct Change {
    const char* what;
    std::function<void()> make;
  };
  const Change changes[] = {
      {"frame resized", [&] { frame.MoveWindow(0, 0, 500, 340); }},
      {"layout asked again", [&] { frame.RecalcLayout(); }},
      {"taller font", [&] { bar.SetFont(&big); }},
      {"frame shrunk", [&] { frame.MoveWindow(0, 0, 360, 260); }},
      {"view hidden", [&] { view.ShowWindow(SW_HIDE); frame.RecalcLayout(); }},
      {"font back", [&] { bar.SetFont(nullptr); }},
      {"resized, then a text shown at once", [&] {
         frame.MoveWindow(0, 0, 420, 300);
         bar.SetPaneText(0, "Phone connected", TRUE);
       }},
      {"layout, then a text shown at once", [&] {
         frame.RecalcLayout();
         bar.SetPaneText(0, "Phone connected", TRUE);
       }},
  };
  for (const Change& c : changes) {
    c.make();
    ExpectAtTheBottomUnderTheView();
    EXPECT_GT(InkInPane(0, "framework-status-bar-unclipped"), 20) << c.what;
    EXPECT_GT(InkInPane(1), 5) << c.what;  // "CAP"
  }
}

}  // namespace
