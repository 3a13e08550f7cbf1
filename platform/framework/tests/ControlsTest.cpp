// The control objects: each family made through its object (Create, or attached by id to a dialog
// template naming the control) with a few calls that must round-trip through the control; the bitmap
// button's four faces read back by pixel; AfxMessageBox owned by the main window and answered by a key.
#include <framework/Afx.h>
#include <framework/Controls.h>

#include <user/Headless.h>

#include <gtest/gtest.h>

#include "TestApp.h"

#include <string>

namespace {

class ControlObjects : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                nullptr));
  }
  void TearDown() override { parent.DestroyWindow(); }
  CWnd parent;
};

// The template's controls, each attached to its object by id (as DDX_Control does).
TEST_F(ControlObjects, ObjectsAttachedToATemplatesControlsRoundTrip) {
  CDialog dialog;
  ASSERT_TRUE(dialog.Create(500, &parent));
  CButton button;
  CStatic label;
  CEdit edit;
  CListBox list;
  CComboBox combo;
  CScrollBar bar;
  CProgressCtrl progress;
  CComboBoxEx comboEx;
  const std::pair<CWnd*, UINT> controls[] = {{&button, 501}, {&label, 502}, {&edit, 503},     {&list, 504},
                                             {&combo, 505},  {&bar, 506},   {&progress, 507}, {&comboEx, 508}};
  for (const auto& [object, id] : controls) ASSERT_TRUE(object->SubclassDlgItem(id, &dialog)) << id;

  button.SetCheck(BST_CHECKED);  // a push button has no check: it stays unchecked
  EXPECT_EQ(button.GetCheck(), BST_UNCHECKED);
  button.SetState(TRUE);
  EXPECT_TRUE(button.GetState() & BST_PUSHED);

  edit.SetWindowText("grüße");
  edit.SetSel(1, 4);
  int start = 0, end = 0;
  edit.GetSel(start, end);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 4);
  edit.ReplaceSel("X");
  CString text;
  edit.GetWindowText(text);
  EXPECT_STREQ(text, "gXße");
  edit.SetLimitText(3);
  EXPECT_EQ(edit.GetLimitText(), 3u);

  EXPECT_EQ(list.AddString("beta"), 0);
  EXPECT_EQ(list.InsertString(0, "alpha"), 0);
  EXPECT_EQ(list.SetItemData(1, 42), LB_OKAY);
  EXPECT_EQ(list.GetItemData(1), 42u);
  EXPECT_EQ(list.FindStringExact(-1, "beta"), 1);
  list.SetCurSel(1);
  EXPECT_EQ(list.GetCurSel(), 1);
  list.GetText(0, text);
  EXPECT_STREQ(text, "alpha");

  combo.AddString("Home");
  combo.AddString("Mobile");
  combo.SetItemData(1, 7);
  EXPECT_EQ(combo.SelectString(-1, "Mo"), 1);
  EXPECT_EQ(combo.GetCurSel(), 1);
  EXPECT_EQ(combo.GetItemData(1), 7u);
  EXPECT_EQ(combo.GetLBTextLen(1), 6);
  combo.GetLBText(1, text);
  EXPECT_STREQ(text, "Mobile");
  combo.SetDroppedWidth(150);
  EXPECT_EQ(combo.GetDroppedWidth(), 150);

  bar.SetScrollRange(0, 50, FALSE);
  bar.SetScrollPos(70);  // clamped to the range
  int low = -1, high = -1;
  bar.GetScrollRange(&low, &high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 50);
  EXPECT_EQ(bar.GetScrollPos(), 50);

  progress.SetRange32(0, 200);
  progress.SetStep(30);
  progress.SetPos(100);
  EXPECT_EQ(progress.StepIt(), 100);  // StepIt answers the previous position
  EXPECT_EQ(progress.GetPos(), 130);
  progress.GetRange(low, high);
  EXPECT_EQ(high, 200);

  COMBOBOXEXITEMA item{};
  item.mask = CBEIF_TEXT | CBEIF_INDENT;
  item.iItem = -1;
  item.pszText = const_cast<LPSTR>("Phone");
  item.iIndent = 2;
  EXPECT_EQ(comboEx.InsertItem(&item), 0);
  EXPECT_EQ(comboEx.GetCount(), 1);
  char buffer[16] = {};
  COMBOBOXEXITEMA back{};
  back.mask = CBEIF_TEXT | CBEIF_INDENT;
  back.pszText = buffer;
  back.cchTextMax = sizeof buffer;
  ASSERT_TRUE(comboEx.GetItem(&back));
  EXPECT_STREQ(buffer, "Phone");
  EXPECT_EQ(back.iIndent, 2);
  EXPECT_NE(comboEx.GetComboBoxCtrl(), nullptr);

  for (const auto& [object, id] : controls) object->UnsubclassWindow();
  dialog.DestroyWindow();
}

TEST_F(ControlObjects, CreateMakesEachControlOfItsClass) {
  const RECT rect{5, 5, 105, 25};
  CButton button;
  CStatic label;
  CEdit edit;
  CListBox list;
  CComboBox combo;
  CScrollBar bar;
  CProgressCtrl progress;
  CComboBoxEx comboEx;
  CToolTipCtrl tip;
  ASSERT_TRUE(button.Create("OK", WS_CHILD | BS_AUTOCHECKBOX, rect, &parent, 1));
  ASSERT_TRUE(label.Create("x", WS_CHILD, rect, &parent, 2));
  ASSERT_TRUE(edit.Create(WS_CHILD | ES_MULTILINE, rect, &parent, 3));
  ASSERT_TRUE(list.Create(WS_CHILD, rect, &parent, 4));
  ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWN, {5, 5, 105, 100}, &parent, 5));
  ASSERT_TRUE(bar.Create(WS_CHILD | SBS_HORZ, rect, &parent, 6));
  ASSERT_TRUE(progress.Create(WS_CHILD, rect, &parent, 7));
  ASSERT_TRUE(comboEx.Create(WS_CHILD | CBS_DROPDOWN, {5, 5, 105, 100}, &parent, 8));
  ASSERT_TRUE(tip.Create(&parent));

  const std::pair<CWnd*, const char*> classes[] = {
      {&button, "Button"},   {&label, "Static"},       {&edit, "Edit"},
      {&list, "ListBox"},    {&combo, "ComboBox"},     {&bar, "ScrollBar"},
      {&progress, "msctls_progress32"}, {&comboEx, "ComboBoxEx32"}, {&tip, "tooltips_class32"}};
  for (const auto& [object, name] : classes) {
    char className[64] = {};
    GetClassNameA(object->m_hWnd, className, sizeof className);
    EXPECT_STRCASEEQ(className, name);
  }

  button.SetCheck(BST_CHECKED);
  EXPECT_EQ(button.GetCheck(), BST_CHECKED);
  button.Click();  // an auto check box flips
  EXPECT_EQ(button.GetCheck(), BST_UNCHECKED);

  edit.SetWindowText("one\r\ntwo\r\nthree");
  EXPECT_EQ(edit.GetLineCount(), 3);
  EXPECT_EQ(edit.LineIndex(1), 5);
  edit.SetReadOnly();
  EXPECT_TRUE(edit.GetStyle() & ES_READONLY);

  tip.AddTool(&label, "Contacts");
  EXPECT_EQ(tip.GetToolCount(), 1);
  tip.SetMaxTipWidth(120);
  EXPECT_EQ(tip.GetMaxTipWidth(), 120);
  tip.SetTipBkColor(RGB(1, 2, 3));
  EXPECT_EQ(tip.GetTipBkColor(), RGB(1, 2, 3));
  tip.DelTool(&label);
  EXPECT_EQ(tip.GetToolCount(), 0);
  tip.DestroyWindow();
}

COLORREF PixelOf(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

// Each state paints its own bitmap; the disabled face stands in while the button is disabled.
TEST_F(ControlObjects, BitmapButtonPaintsTheFaceOfItsState) {
  CBitmapButton button;
  ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, {10, 10, 40, 40}, &parent, 9));
  ASSERT_TRUE(button.LoadBitmaps(400, 401, 402, 403));
  button.SizeToContent();
  RECT rect;
  button.GetClientRect(&rect);
  EXPECT_EQ(rect.right, 8);
  EXPECT_EQ(rect.bottom, 8);

  struct Case {
    const char* name;
    void (*change)(CBitmapButton&);
    COLORREF colour;
  };
  const Case cases[] = {
      {"up", [](CBitmapButton&) {}, RGB(255, 0, 0)},
      {"pushed", [](CBitmapButton& b) { b.SetState(TRUE); }, RGB(0, 255, 0)},
      {"focused", [](CBitmapButton& b) { b.SetState(FALSE); b.SetFocus(); }, RGB(0, 0, 255)},
      {"disabled", [](CBitmapButton& b) { b.EnableWindow(FALSE); }, RGB(128, 128, 128)},
  };
  for (const Case& c : cases) {
    c.change(button);
    button.Invalidate();
    button.UpdateWindow();
    EXPECT_EQ(PixelOf(button, 4, 4), c.colour) << c.name;
  }
  EXPECT_FALSE(button.LoadBitmaps(499));  // no up face: nothing to draw from
}

// The box is owned by the main window; Escape on a Yes/No/Cancel box answers Cancel, Enter the default.
TEST_F(ControlObjects, AfxMessageBoxIsOwnedByTheMainWindowAndAnsweredByKeys) {
  CWinThread* thread = AfxGetThread();
  ASSERT_NE(thread, nullptr);
  CWnd* previousMain = thread->m_pMainWnd;
  thread->m_pMainWnd = &parent;
  struct Case {
    UINT type;
    UINT key;
    int result;
  };
  const Case cases[] = {{MB_YESNOCANCEL, VK_ESCAPE, IDCANCEL}, {MB_YESNO | MB_DEFBUTTON2, VK_RETURN, IDNO},
                        {MB_OK, VK_RETURN, IDOK}};
  static HWND owner;
  static UINT key;
  static std::string text;
  for (const Case& c : cases) {
    owner = nullptr;
    key = c.key;
    text.clear();
    SetTimer(parent, 11, 10, [](HWND window, UINT, UINT_PTR id, DWORD) {
      HWND box = GetActiveWindow();
      if (!box || box == window || !IsWindowVisible(box)) return;
      KillTimer(window, id);
      owner = GetWindow(box, GW_OWNER);
      char buffer[128] = {};
      GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
      text = buffer;
      tolvar::user::InjectKey(key, true);
      tolvar::user::InjectKey(key, false);
    });
    EXPECT_EQ(AfxMessageBox(400, c.type), c.result);
    EXPECT_EQ(owner, parent.m_hWnd);
    EXPECT_EQ(text, "Replace the phone's contacts?");
  }
  thread->m_pMainWnd = previousMain;
}

}  // namespace
