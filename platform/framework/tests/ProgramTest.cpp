// A small program built only on the class library, looked at headless: a frame with a static
// splitter (a list-like pane and the view), a status area, an owner-drawn context menu drawn by a
// CMenu subclass, and a modal dialog with controls in the program's dialog colours. Each picture
// is probed and written as a PNG for a person to look at.
#include <framework/Afx.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include "Controls.h"
#include "TestApp.h"

#include <functional>
#include <vector>

using namespace testing_user;

namespace {

constexpr COLORREF kPaneColour = RGB(0xE1, 0xEA, 0xFD);
constexpr COLORREF kViewColour = RGB(255, 255, 255);
constexpr COLORREF kViewBand = RGB(0x08, 0x2A, 0x82);
constexpr COLORREF kDialogBack = RGB(0xE1, 0xEA, 0xFD);  // 0xFDEAE1 as a COLORREF
constexpr COLORREF kDialogText = RGB(0x08, 0x2A, 0x82);
constexpr COLORREF kMenuColours[] = {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 40, 200)};
constexpr UINT kMenuFirst = 50001;
constexpr int kStatusHeight = 20;

std::vector<std::function<void()>> g_steps;
size_t g_nextStep = 0;
HBITMAP g_menuPicture = nullptr;

void RunStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_nextStep < g_steps.size()) g_steps[g_nextStep++]();
}

}  // namespace

class CDemoDoc : public CDocument {
  DECLARE_DYNCREATE(CDemoDoc)
};
IMPLEMENT_DYNCREATE(CDemoDoc, CDocument)

// The left pane: a tinted panel with a few lines of text.
class CSideView : public CView {
  DECLARE_DYNCREATE(CSideView)

public:
  void OnDraw(CDC* dc) override {
    RECT client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, kPaneColour);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(kDialogText);
    const char* lines[] = {"Contacts", "Schedule", "To do"};
    for (int i = 0; i < 3; ++i) dc->TextOut(8, 40 + i * 20, lines[i]);
  }
};
IMPLEMENT_DYNCREATE(CSideView, CView)

// An owner-drawn pop-up menu: each entry a coloured band, drawn and measured by the menu itself.
class CSwatchMenu : public CMenu {
public:
  void MeasureItem(LPMEASUREITEMSTRUCT item) override {
    item->itemWidth = 90;
    item->itemHeight = 18;
    ++measured;
  }
  void DrawItem(LPDRAWITEMSTRUCT item) override {
    CDC* dc = CDC::FromHandle(item->hDC);
    RECT band = item->rcItem;
    dc->FillSolidRect(&band, kMenuColours[item->itemData % 3]);
    if (item->itemState & ODS_SELECTED) dc->Draw3dRect(&band, RGB(0, 0, 0), RGB(0, 0, 0));
    ++drawn;
  }
  int measured = 0;
  int drawn = 0;
};

class CDemoView : public CView {
  DECLARE_DYNCREATE(CDemoView)

public:
  void OnDraw(CDC* dc) override {
    RECT client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, kViewColour);
    dc->FillSolidRect(10, 10, client.right - 20, 24, kViewBand);
    dc->Draw3dRect(10, 44, 80, 40, GetSysColor(COLOR_3DHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    CFont font;
    font.CreatePointFont(90, "Tahoma");
    CFont* old = dc->SelectObject(&font);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(255, 255, 255));
    dc->TextOut(16, 14, "Tolvar");
    dc->SelectObject(old);
  }
  // The context menu of the view: an owner-drawn CMenu subclass, tracked here.
  UINT ShowContextMenu(POINT at) {
    CSwatchMenu menu;
    menu.CreatePopupMenu();
    for (UINT i = 0; i < 3; ++i) menu.AppendMenu(MF_OWNERDRAW, kMenuFirst + i, reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(i)));
    UINT chosen = static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, this));
    measured = menu.measured;
    drawn = menu.drawn;
    return chosen;
  }
  int measured = 0;
  int drawn = 0;
};
IMPLEMENT_DYNCREATE(CDemoView, CView)

class CDemoFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CDemoFrame)

public:
  BOOL OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) override {
    if (!m_splitter.CreateStatic(this, 1, 2)) return FALSE;
    if (!m_splitter.CreateView(0, 0, RUNTIME_CLASS(CSideView), SIZE{110, 0}, context)) return FALSE;
    if (!m_splitter.CreateView(0, 1, RUNTIME_CLASS(CDemoView), SIZE{0, 0}, context)) return FALSE;
    m_splitter.SetColumnInfo(0, 110, 0);
    SetActiveView(static_cast<CView*>(m_splitter.GetPane(0, 1)), FALSE);  // the view is the right pane
    RECT bar{0, 0, 100, kStatusHeight};
    return m_status.Create("Static", "Ready", WS_VISIBLE, bar, this, AFX_IDW_STATUS_BAR);
  }
  CSplitterWnd m_splitter;
  CWnd m_status;  // the status area, a plain child until the status bar control exists
};
IMPLEMENT_DYNCREATE(CDemoFrame, CFrameWnd)

namespace {

class CDemoSettings : public CDialog {
public:
  explicit CDemoSettings(CWnd* parent) : CDialog(200, parent) {}
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CDialog::GetMessageMap(), {MapMessage(WM_KICKIDLE, &CDemoSettings::OnKickIdle)}};
    return &map;
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, 1001, m_name);
    DDX_Check(dx, 1002, m_remember);
    DDX_Radio(dx, 1003, m_choice);
  }
  LRESULT OnKickIdle(WPARAM, LPARAM) {
    if (!picture) {
      picture = tolvar::user::RenderWindow(m_hWnd);
      EndDialog(IDOK);
    }
    return FALSE;
  }
  CString m_name = "Phone one";
  int m_remember = 1;
  int m_choice = 1;
  HBITMAP picture = nullptr;
};

TEST(Program, AFrameWithASplitterAViewAStatusAreaAContextMenuAndADialog) {
  testing_framework::AddStandInControls();
  TestApp().SetDialogBkColor(kDialogBack, kDialogText);
  TestApp().AddDocTemplate(std::make_unique<CSingleDocTemplate>(300, RUNTIME_CLASS(CDemoDoc), RUNTIME_CLASS(CDemoFrame),
                                                                RUNTIME_CLASS(CDemoView)));
  TestApp().OnFileNew();
  auto* frame = static_cast<CDemoFrame*>(TestApp().m_pMainWnd);
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->IsWindowVisible());
  frame->MoveWindow(20, 20, 420, 300);
  Pump();

  // The frame: title from the string resource, the menu, the panes and the status area.
  CString title;
  frame->GetWindowText(title);
  EXPECT_EQ(std::string(title), "Demo");
  ASSERT_NE(::GetMenu(frame->m_hWnd), nullptr);
  auto* view = static_cast<CDemoView*>(frame->GetActiveView());
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->IsKindOf(RUNTIME_CLASS(CDemoView)));
  EXPECT_NE(view->GetDocument(), nullptr);
  int leftWidth = 0, minimum = 0;
  frame->m_splitter.GetColumnInfo(0, leftWidth, minimum);
  EXPECT_EQ(leftWidth, 110);

  HBITMAP picture = tolvar::user::RenderWindow(frame->m_hWnd);
  ASSERT_NE(picture, nullptr);
  SavePng(picture, "framework-program-frame");
  RECT paneOnScreen, viewOnScreen, statusOnScreen, frameOnScreen;
  ::GetWindowRect(frame->m_splitter.GetPane(0, 0)->m_hWnd, &paneOnScreen);
  view->GetWindowRect(&viewOnScreen);
  frame->m_status.GetWindowRect(&statusOnScreen);
  frame->GetWindowRect(&frameOnScreen);
  auto at = [&](const RECT& r, int dx, int dy) { return PixelAt(picture, r.left - frameOnScreen.left + dx, r.top - frameOnScreen.top + dy); };
  EXPECT_EQ(at(paneOnScreen, 5, 5), kPaneColour);
  EXPECT_EQ(at(viewOnScreen, 5, 5), kViewColour);
  EXPECT_EQ(at(viewOnScreen, 60, 30), kViewBand);
  EXPECT_EQ(at(viewOnScreen, 10, 44), GetSysColor(COLOR_3DHIGHLIGHT));   // Draw3dRect's top left
  EXPECT_EQ(at(viewOnScreen, 89, 83), GetSysColor(COLOR_3DDKSHADOW));    // and its bottom right
  EXPECT_EQ(at(paneOnScreen, paneOnScreen.right - paneOnScreen.left + 3, 20), GetSysColor(COLOR_3DFACE));  // the bar
  EXPECT_EQ(statusOnScreen.bottom - statusOnScreen.top, kStatusHeight);
  EXPECT_EQ(viewOnScreen.bottom + frame->m_splitter.m_cyBorder, statusOnScreen.top);  // the status area below
  DeleteObject(picture);

  // The context menu, drawn by the menu object; pictured while it is open, then cancelled.
  g_steps = {[] {
               g_menuPicture = tolvar::user::RenderWindow(FindWindowA("#32768", nullptr));
               EndMenu();
             }};
  g_nextStep = 0;
  view->SetTimer(1, 10, &RunStep);
  POINT corner{40, 40};
  view->ClientToScreen(&corner);
  EXPECT_EQ(view->ShowContextMenu(corner), 0u);
  view->KillTimer(1);
  EXPECT_EQ(view->measured, 3);
  EXPECT_GE(view->drawn, 3);
  ASSERT_NE(g_menuPicture, nullptr);
  SavePng(g_menuPicture, "framework-program-menu");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(PixelAt(g_menuPicture, 20, 3 + i * 18 + 9), kMenuColours[i]) << i;
  DeleteObject(g_menuPicture);

  // The modal dialog with its controls, in the program's dialog colours.
  CDemoSettings dialog(frame);
  EXPECT_EQ(dialog.DoModal(), IDOK);
  ASSERT_NE(dialog.picture, nullptr);
  SavePng(dialog.picture, "framework-program-dialog");
  BITMAP size{};
  GetObjectA(dialog.picture, sizeof size, &size);
  EXPECT_EQ(PixelAt(dialog.picture, size.bmWidth - 10, size.bmHeight - 40), kDialogBack);
  DeleteObject(dialog.picture);
  EXPECT_EQ(std::string(dialog.m_name), "Phone one");
  EXPECT_EQ(dialog.m_choice, 1);

  // Closing the main frame ends the program's loop.
  HWND frameWindow = frame->m_hWnd;
  frame->PostMessage(WM_CLOSE);
  EXPECT_EQ(TestApp().Run(), 0);
  EXPECT_FALSE(IsWindow(frameWindow));
  TestApp().CloseAllDocuments(FALSE);
}

}  // namespace
