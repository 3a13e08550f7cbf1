// CWnd's thin wrappers against the window manager's calls they stand for: each row does the same
// thing once through the wrapper and once through the plain call, on a fresh set of windows, and
// both must see the expected result (so a wrapper that does nothing, or something else, shows).
#include <framework/Afx.h>

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testing_user;

namespace {

constexpr int kCheck = 101, kRadio1 = 102, kRadio2 = 103, kRadio3 = 104, kEdit = 105, kButton = 106;

// A dialog-like parent with a check box, a group of three radio buttons, an edit and a button, and
// its own scroll bars.
struct Windows {
  Windows() {
    parent.CreateEx(0, nullptr, "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 20, 20, 300,
                    200, nullptr, nullptr);
    Child("Button", BS_AUTOCHECKBOX | WS_TABSTOP, kCheck);
    Child("Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kRadio1);
    Child("Button", BS_AUTORADIOBUTTON, kRadio2);
    Child("Button", BS_AUTORADIOBUTTON, kRadio3);
    Child("Edit", WS_BORDER | WS_GROUP | WS_TABSTOP, kEdit);
    Child("Button", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, kButton);
    Pump();
  }
  ~Windows() { parent.DestroyWindow(); }
  void Child(LPCSTR className, DWORD style, int id) {
    CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 10, 10 + 20 * (id - kCheck), 100, 18,
                    parent.m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  HWND Item(int id) const { return ::GetDlgItem(parent.m_hWnd, id); }
  std::string Text(int id) const {
    char text[64] = {};
    ::GetDlgItemTextA(parent.m_hWnd, id, text, sizeof text);
    return text;
  }
  std::string Name(HWND window) const { return std::to_string(::GetDlgCtrlID(window)); }

  CWnd parent;
};

struct Row {
  const char* name;
  std::function<std::string(Windows&)> wrapper;
  std::function<std::string(Windows&)> win32;
  std::string expected;
};

std::string Yes(BOOL value) { return value ? "yes" : "no"; }
std::string Rect(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

TEST(WndWrapper, EachWrapperDoesWhatItsCallDoes) {
  const Row rows[] = {
      {"CheckDlgButton/IsDlgButtonChecked",
       [](Windows& w) {
         w.parent.CheckDlgButton(kCheck, BST_CHECKED);
         return std::to_string(w.parent.IsDlgButtonChecked(kCheck)) + std::to_string(::IsDlgButtonChecked(w.parent, kCheck));
       },
       [](Windows& w) {
         ::CheckDlgButton(w.parent, kCheck, BST_CHECKED);
         return std::to_string(::IsDlgButtonChecked(w.parent, kCheck)) + std::to_string(w.parent.IsDlgButtonChecked(kCheck));
       },
       "11"},
      {"CheckRadioButton/GetCheckedRadioButton",
       [](Windows& w) {
         w.parent.CheckRadioButton(kRadio1, kRadio3, kRadio2);
         return std::to_string(w.parent.GetCheckedRadioButton(kRadio1, kRadio3) - kRadio1);
       },
       [](Windows& w) {
         ::CheckRadioButton(w.parent, kRadio1, kRadio3, kRadio2);
         int checked = 0;
         for (int id = kRadio1; id <= kRadio3; ++id)
           if (::IsDlgButtonChecked(w.parent, id)) checked = id;
         return std::to_string(checked - kRadio1);
       },
       "1"},
      {"GetCheckedRadioButton with none checked",
       [](Windows& w) { return std::to_string(w.parent.GetCheckedRadioButton(kRadio1, kRadio3)); },
       [](Windows&) { return std::string("0"); }, "0"},
      {"SetDlgItemText/GetDlgItemText (buffer)",
       [](Windows& w) {
         w.parent.SetDlgItemText(kEdit, "Phone book");
         char text[5] = {};
         const int length = w.parent.GetDlgItemText(kEdit, text, sizeof text);
         return std::to_string(length) + text;
       },
       [](Windows& w) {
         ::SetDlgItemTextA(w.parent, kEdit, "Phone book");
         char text[5] = {};
         const UINT length = ::GetDlgItemTextA(w.parent, kEdit, text, sizeof text);
         return std::to_string(length) + text;
       },
       "4Phon"},
      {"GetDlgItemText (CString)",
       [](Windows& w) {
         ::SetDlgItemTextA(w.parent, kEdit, "Mail");
         CString text("old");
         const int length = w.parent.GetDlgItemText(kEdit, text);
         return std::to_string(length) + std::string(text);
       },
       [](Windows& w) {
         ::SetDlgItemTextA(w.parent, kEdit, "Mail");
         return std::to_string(::GetWindowTextLengthA(w.Item(kEdit))) + w.Text(kEdit);
       },
       "4Mail"},
      {"SetDlgItemInt/GetDlgItemInt",
       [](Windows& w) {
         w.parent.SetDlgItemInt(kEdit, static_cast<UINT>(-25));
         BOOL ok = FALSE;
         const int value = static_cast<int>(w.parent.GetDlgItemInt(kEdit, &ok));
         return w.Text(kEdit) + " " + std::to_string(value) + Yes(ok);
       },
       [](Windows& w) {
         ::SetDlgItemInt(w.parent, kEdit, static_cast<UINT>(-25), TRUE);
         BOOL ok = FALSE;
         const int value = static_cast<int>(::GetDlgItemInt(w.parent, kEdit, &ok, TRUE));
         return w.Text(kEdit) + " " + std::to_string(value) + Yes(ok);
       },
       "-25 -25yes"},
      {"GetDlgItemInt unsigned of a negative text",
       [](Windows& w) {
         ::SetDlgItemTextA(w.parent, kEdit, "-3");
         BOOL ok = TRUE;
         w.parent.GetDlgItemInt(kEdit, &ok, FALSE);
         return Yes(ok);
       },
       [](Windows& w) {
         ::SetDlgItemTextA(w.parent, kEdit, "-3");
         BOOL ok = TRUE;
         ::GetDlgItemInt(w.parent, kEdit, &ok, FALSE);
         return Yes(ok);
       },
       "no"},
      {"SendDlgItemMessage",
       [](Windows& w) {
         w.parent.SendDlgItemMessage(kEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("sent"));
         return std::to_string(w.parent.SendDlgItemMessage(kEdit, WM_GETTEXTLENGTH)) + w.Text(kEdit);
       },
       [](Windows& w) {
         ::SendDlgItemMessageA(w.parent, kEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("sent"));
         return std::to_string(::SendDlgItemMessageA(w.parent, kEdit, WM_GETTEXTLENGTH, 0, 0)) + w.Text(kEdit);
       },
       "4sent"},
      {"GetNextDlgTabItem",
       [](Windows& w) {
         CWnd* edit = CWnd::FromHandle(w.Item(kEdit));
         return w.Name(w.parent.GetNextDlgTabItem(edit)->m_hWnd) + " " +
                w.Name(w.parent.GetNextDlgTabItem(edit, TRUE)->m_hWnd);
       },
       [](Windows& w) {
         return w.Name(::GetNextDlgTabItem(w.parent, w.Item(kEdit), FALSE)) + " " +
                w.Name(::GetNextDlgTabItem(w.parent, w.Item(kEdit), TRUE));
       },
       std::to_string(kButton) + " " + std::to_string(kRadio1)},
      {"GetNextDlgGroupItem",
       [](Windows& w) {
         CWnd* second = CWnd::FromHandle(w.Item(kRadio2));
         return w.Name(w.parent.GetNextDlgGroupItem(second)->m_hWnd) + " " +
                w.Name(w.parent.GetNextDlgGroupItem(second, TRUE)->m_hWnd);
       },
       [](Windows& w) {
         return w.Name(::GetNextDlgGroupItem(w.parent, w.Item(kRadio2), FALSE)) + " " +
                w.Name(::GetNextDlgGroupItem(w.parent, w.Item(kRadio2), TRUE));
       },
       std::to_string(kRadio3) + " " + std::to_string(kRadio1)},
      {"SetScrollRange/GetScrollRange/SetScrollPos/GetScrollPos",
       [](Windows& w) {
         w.parent.SetScrollRange(SB_VERT, 0, 50);
         const int previous = w.parent.SetScrollPos(SB_VERT, 70);  // kept within the range
         int low = -1, high = -1;
         w.parent.GetScrollRange(SB_VERT, &low, &high);
         return std::to_string(previous) + " " + std::to_string(w.parent.GetScrollPos(SB_VERT)) + " " +
                std::to_string(low) + "-" + std::to_string(high);
       },
       [](Windows& w) {
         ::SetScrollRange(w.parent, SB_VERT, 0, 50, TRUE);
         const int previous = ::SetScrollPos(w.parent, SB_VERT, 70, TRUE);
         int low = -1, high = -1;
         ::GetScrollRange(w.parent, SB_VERT, &low, &high);
         return std::to_string(previous) + " " + std::to_string(::GetScrollPos(w.parent, SB_VERT)) + " " +
                std::to_string(low) + "-" + std::to_string(high);
       },
       "0 50 0-50"},
      {"SetScrollInfo/GetScrollInfo/GetScrollLimit",
       [](Windows& w) {
         SCROLLINFO set{sizeof set, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 30, 0};
         w.parent.SetScrollInfo(SB_HORZ, &set);
         SCROLLINFO got{};
         w.parent.GetScrollInfo(SB_HORZ, &got);  // fills in cbSize and the mask itself
         return std::to_string(got.nMax) + " " + std::to_string(got.nPage) + " " + std::to_string(got.nPos) + " " +
                std::to_string(w.parent.GetScrollLimit(SB_HORZ));
       },
       [](Windows& w) {
         SCROLLINFO set{sizeof set, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 30, 0};
         ::SetScrollInfo(w.parent, SB_HORZ, &set, TRUE);
         SCROLLINFO got{sizeof got, SIF_ALL, 0, 0, 0, 0, 0};
         ::GetScrollInfo(w.parent, SB_HORZ, &got);
         return std::to_string(got.nMax) + " " + std::to_string(got.nPage) + " " + std::to_string(got.nPos) + " " +
                std::to_string(got.nMax - static_cast<int>(got.nPage) + 1);
       },
       "99 10 30 90"},
      {"SetCapture/GetCapture/ReleaseCapture",
       [](Windows& w) {
         w.parent.SetCapture();
         const std::string had = Yes(CWnd::GetCapture() && CWnd::GetCapture()->m_hWnd == w.parent.m_hWnd);
         ::ReleaseCapture();
         return had + Yes(CWnd::GetCapture() == nullptr);
       },
       [](Windows& w) {
         ::SetCapture(w.parent);
         const std::string had = Yes(::GetCapture() == w.parent.m_hWnd);
         ::ReleaseCapture();
         return had + Yes(::GetCapture() == nullptr);
       },
       "yesyes"},
      {"IsIconic/IsZoomed",
       [](Windows& w) {
         w.parent.ShowWindow(SW_MAXIMIZE);
         const std::string zoomed = Yes(w.parent.IsZoomed()) + Yes(w.parent.IsIconic());
         w.parent.ShowWindow(SW_MINIMIZE);
         return zoomed + Yes(w.parent.IsIconic());
       },
       [](Windows& w) {
         ::ShowWindow(w.parent, SW_MAXIMIZE);
         const std::string zoomed = Yes(::IsZoomed(w.parent)) + Yes(::IsIconic(w.parent));
         ::ShowWindow(w.parent, SW_MINIMIZE);
         return zoomed + Yes(::IsIconic(w.parent));
       },
       "yesnoyes"},
      {"GetSystemMenu",
       [](Windows& w) {
         CMenu* menu = w.parent.GetSystemMenu(FALSE);
         return Yes(menu && menu->m_hMenu == ::GetSystemMenu(w.parent, FALSE));
       },
       [](Windows& w) { return Yes(::GetSystemMenu(w.parent, FALSE) != nullptr); }, "yes"},
      {"GetDC/ReleaseDC/GetWindowDC",
       [](Windows& w) {
         CDC* dc = w.parent.GetDC();
         CDC* whole = w.parent.GetWindowDC();
         const std::string got = Yes(dc && dc->m_hDC && whole && whole->m_hDC);
         return got + std::to_string(w.parent.ReleaseDC(dc)) + std::to_string(w.parent.ReleaseDC(whole));
       },
       [](Windows& w) {
         HDC dc = ::GetDC(w.parent);
         HDC whole = ::GetWindowDC(w.parent);
         const std::string got = Yes(dc && whole);
         return got + std::to_string(::ReleaseDC(w.parent, dc)) + std::to_string(::ReleaseDC(w.parent, whole));
       },
       "yes11"},
      {"RedrawWindow/InvalidateRgn/ValidateRect/GetUpdateRect",
       [](Windows& w) {
         ::ValidateRect(w.parent, nullptr);
         RECT part{5, 6, 25, 16};
         w.parent.RedrawWindow(&part, nullptr, RDW_INVALIDATE);
         RECT update{};
         const BOOL any = w.parent.GetUpdateRect(&update);
         const std::string first = Yes(any) + Rect(update);
         w.parent.ValidateRect(nullptr);
         CRgn region;
         region.CreateRectRgn(1, 2, 3, 4);
         w.parent.InvalidateRgn(&region, FALSE);
         ::GetUpdateRect(w.parent, &update, FALSE);
         return first + " " + Rect(update);
       },
       [](Windows& w) {
         ::ValidateRect(w.parent, nullptr);
         RECT part{5, 6, 25, 16};
         ::RedrawWindow(w.parent, &part, nullptr, RDW_INVALIDATE);
         RECT update{};
         const BOOL any = ::GetUpdateRect(w.parent, &update, FALSE);
         const std::string first = Yes(any) + Rect(update);
         ::ValidateRect(w.parent, nullptr);
         HRGN region = CreateRectRgn(1, 2, 3, 4);
         ::InvalidateRgn(w.parent, region, FALSE);
         DeleteObject(region);
         ::GetUpdateRect(w.parent, &update, FALSE);
         return first + " " + Rect(update);
       },
       "yes5,6,25,16 1,2,3,4"},
      {"LockWindowUpdate/UnlockWindowUpdate",
       [](Windows& w) {
         const std::string locked = Yes(w.parent.LockWindowUpdate());
         const std::string second = Yes(CWnd::FromHandle(w.Item(kEdit))->LockWindowUpdate());  // one per process
         w.parent.UnlockWindowUpdate();
         const std::string again = Yes(::LockWindowUpdate(w.Item(kEdit)));
         return locked + second + again + Yes(::LockWindowUpdate(nullptr));
       },
       [](Windows& w) {
         const std::string locked = Yes(::LockWindowUpdate(w.parent));
         const std::string second = Yes(::LockWindowUpdate(w.Item(kEdit)));
         ::LockWindowUpdate(nullptr);
         const std::string again = Yes(::LockWindowUpdate(w.Item(kEdit)));
         return locked + second + again + Yes(::LockWindowUpdate(nullptr));
       },
       "yesnoyesyes"},
      {"ClientToScreen (rect)/ScreenToClient (rect)/MapWindowPoints",
       [](Windows& w) {
         RECT r{1, 2, 3, 4};
         w.parent.ClientToScreen(&r);
         RECT back = r;
         w.parent.ScreenToClient(&back);
         RECT mapped{0, 0, 1, 1};
         CWnd::FromHandle(w.Item(kEdit))->MapWindowPoints(&w.parent, &mapped);
         return Rect(back) + " " + std::to_string(r.right - r.left) + " " + Rect(mapped);
       },
       [](Windows& w) {
         POINT a{1, 2}, b{3, 4};
         ::ClientToScreen(w.parent, &a);
         ::ClientToScreen(w.parent, &b);
         ::ScreenToClient(w.parent, &a);
         ::ScreenToClient(w.parent, &b);
         POINT mapped[2] = {{0, 0}, {1, 1}};
         ::MapWindowPoints(w.Item(kEdit), w.parent, mapped, 2);
         return Rect({a.x, a.y, b.x, b.y}) + " 2 " + Rect({mapped[0].x, mapped[0].y, mapped[1].x, mapped[1].y});
       },
       "1,2,3,4 2 11,91,12,92"},  // the edit's client area starts inside its border
      {"IsChild/GetWindow/GetTopWindow/GetNextWindow/SetParent",
       [](Windows& w) {
         CWnd* check = CWnd::FromHandle(w.Item(kCheck));
         std::string seen = Yes(w.parent.IsChild(check)) + w.Name(w.parent.GetTopWindow()->m_hWnd) + " " +
                            w.Name(check->GetNextWindow()->m_hWnd) + " " + w.Name(w.parent.GetWindow(GW_CHILD)->m_hWnd);
         check->SetParent(nullptr);
         seen += Yes(w.parent.IsChild(check));
         check->SetParent(&w.parent);
         return seen;
       },
       [](Windows& w) {
         HWND check = w.Item(kCheck);
         std::string seen = Yes(::IsChild(w.parent, check)) + w.Name(::GetTopWindow(w.parent)) + " " +
                            w.Name(::GetWindow(check, GW_HWNDNEXT)) + " " + w.Name(::GetWindow(w.parent, GW_CHILD));
         ::SetParent(check, nullptr);
         seen += Yes(::IsChild(w.parent, check));
         ::SetParent(check, w.parent);
         return seen;
       },
       "yes101 102 101no"},
      {"SetForegroundWindow/GetForegroundWindow/SetActiveWindow/GetActiveWindow",
       [](Windows& w) {
         const std::string fore = Yes(w.parent.SetForegroundWindow());
         w.parent.SetActiveWindow();
         return fore + Yes(CWnd::GetForegroundWindow()->m_hWnd == w.parent.m_hWnd) +
                Yes(CWnd::GetActiveWindow()->m_hWnd == w.parent.m_hWnd);
       },
       [](Windows& w) {
         const std::string fore = Yes(::SetForegroundWindow(w.parent));
         ::SetActiveWindow(w.parent);
         return fore + Yes(::GetForegroundWindow() == w.parent.m_hWnd) + Yes(::GetActiveWindow() == w.parent.m_hWnd);
       },
       "yesyesyes"},
      {"GetWindowPlacement",
       [](Windows& w) {
         WINDOWPLACEMENT place{};
         place.length = sizeof place;
         const BOOL got = w.parent.GetWindowPlacement(&place);
         return Yes(got) + Rect(place.rcNormalPosition);
       },
       [](Windows& w) {
         WINDOWPLACEMENT place{};
         place.length = sizeof place;
         const BOOL got = ::GetWindowPlacement(w.parent, &place);
         return Yes(got) + Rect(place.rcNormalPosition);
       },
       "yes20,20,320,220"},
  };
  for (const Row& row : rows) {
    std::string viaWrapper, viaCall;
    {
      Windows windows;
      viaWrapper = row.wrapper(windows);
    }
    {
      Windows windows;
      viaCall = row.win32(windows);
    }
    EXPECT_EQ(viaWrapper, row.expected) << row.name << " through CWnd";
    EXPECT_EQ(viaCall, row.expected) << row.name << " through the window manager";
  }
}

TEST(WndWrapper, MessageBoxIsOwnedByTheWindowAndNamedAfterTheApplication) {
  Windows w;
  static HWND owner;
  static std::string caption;
  owner = nullptr;
  caption.clear();
  SetTimer(w.parent, 12, 10, [](HWND window, UINT, UINT_PTR id, DWORD) {
    HWND box = GetActiveWindow();
    if (!box || box == window || !IsWindowVisible(box)) return;
    KillTimer(window, id);
    owner = GetWindow(box, GW_OWNER);
    char text[64] = {};
    GetWindowTextA(box, text, sizeof text);
    caption = text;
    tolvar::user::InjectKey(VK_ESCAPE, true);
    tolvar::user::InjectKey(VK_ESCAPE, false);
  });
  EXPECT_EQ(w.parent.MessageBox("Delete?", nullptr, MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(owner, w.parent.m_hWnd);
  EXPECT_EQ(caption, std::string(AfxGetApp()->m_pszAppName));
}

}  // namespace
