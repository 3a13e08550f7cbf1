// The static class: the colours it asks for, clicks that pass through to the parent unless it has
// SS_NOTIFY, icons and bitmaps that size it, owner drawing, and a label handing the focus on.
#include "ControlTest.h"

#include <resources/Resource.h>

#include <cstdint>
#include <vector>

using namespace testing_controls;

namespace {

class Statics : public ControlTest {
protected:
  std::vector<Recorded> ParentCommands() {
    std::vector<Recorded> got = Take();
    std::erase_if(got, [&](const Recorded& r) { return r.window != m_parent || r.message != WM_COMMAND; });
    return got;
  }
};

TEST_F(Statics, ANotifyingStaticTellsOfClicksAndAPlainOneLetsThemThrough) {
  HWND plain = Make("Static", "Plain", SS_LEFT, 10, 10, 100, 20, 50);
  HWND notify = Make("Static", "Notify", SS_LEFT | SS_NOTIFY, 10, 40, 100, 20, 51);
  EXPECT_EQ(SendMessageA(plain, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  Take();
  Click(plain, {5, 5});
  bool parentClicked = false;
  for (const Recorded& r : Take()) parentClicked |= r.window == m_parent && r.message == WM_LBUTTONDOWN;
  EXPECT_TRUE(parentClicked) << "a plain static is transparent to the mouse";
  Click(notify, {5, 5});
  ExpectSequence(ParentCommands(),
                 {{WM_COMMAND, kParent | kWParam | kLParam, MAKEWPARAM(51, STN_CLICKED), reinterpret_cast<LPARAM>(notify)}},
                 "click");
  SendMessageA(notify, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  EnableWindow(notify, FALSE);
  ExpectSequence(ParentCommands(),
                 {{WM_COMMAND, kParent | kWParam, MAKEWPARAM(51, STN_DBLCLK)},
                  {WM_COMMAND, kParent | kWParam, MAKEWPARAM(51, STN_DISABLE)}},
                 "double click, disable");
}

TEST_F(Statics, TextStaticsAskTheParentForColoursAndOwnerDrawnOnesForDrawing) {
  HWND text = Make("Static", "Label", SS_LEFT, 10, 10, 100, 20, 52);
  HWND owner = Make("Static", "", SS_OWNERDRAW, 10, 40, 100, 20, 53);
  testing_user::Pump();
  Take();
  DrawnItems().clear();
  InvalidateRect(text, nullptr, TRUE);
  UpdateWindow(text);
  InvalidateRect(owner, nullptr, TRUE);
  UpdateWindow(owner);
  std::vector<Recorded> got = Take();
  std::erase_if(got, [&](const Recorded& r) { return r.window != m_parent; });
  ExpectSequence(got,
                 {{WM_CTLCOLORSTATIC, kParent | kLParam, 0, reinterpret_cast<LPARAM>(text)},
                  {WM_CTLCOLORSTATIC, kParent | kLParam, 0, reinterpret_cast<LPARAM>(owner)},
                  {WM_DRAWITEM, kParent | kWParam, 53}},
                 "painting");
  ASSERT_EQ(DrawnItems().size(), 1u);
  EXPECT_EQ(DrawnItems()[0].CtlType, ODT_STATIC);
  EXPECT_EQ(DrawnItems()[0].hwndItem, owner);
  EXPECT_EQ(DrawnItems()[0].rcItem.right, 100);
}

TEST_F(Statics, AnIconOrBitmapSizesItsStatic) {
  HWND icon = Make("Static", "", SS_ICON, 10, 10, 5, 5, 54);
  HICON warning = LoadIconA(nullptr, IDI_EXCLAMATION);
  EXPECT_EQ(SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(warning), 0), 0);
  EXPECT_EQ(SendMessageA(icon, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(warning));
  RECT rect;
  GetClientRect(icon, &rect);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXICON));
  HWND bitmap = Make("Static", "", SS_BITMAP, 10, 60, 5, 5, 55);
  HBITMAP image = LoadBitmapA(nullptr, MAKEINTRESOURCEA(300));  // 5 x 1
  ASSERT_TRUE(image);
  EXPECT_EQ(SendMessageA(bitmap, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(image)), 0) << "not its kind";
  SendMessageA(bitmap, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
  GetClientRect(bitmap, &rect);
  EXPECT_EQ(rect.right, 5);
  EXPECT_EQ(rect.bottom, 1);
  EXPECT_EQ(SendMessageA(bitmap, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(image));
  DestroyWindow(bitmap);
  DeleteObject(image);
  // A static named after its resource loads it at creation.
  HWND named = Make("Static", "#300", SS_BITMAP, 10, 80, 50, 50, 56);
  GetClientRect(named, &rect);
  EXPECT_EQ(rect.right, 5);
  EXPECT_TRUE(SendMessageA(named, STM_GETIMAGE, IMAGE_BITMAP, 0));
  // So does one a dialog template names by the resource's number.
  HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(110), nullptr,
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(SendDlgItemMessageA(dialog, 20, STM_GETIMAGE, IMAGE_BITMAP, 0));
  DestroyWindow(dialog);
}

// A small icon is shown at its own 16 pixels, whether the static fits it or centres it: stretched to
// the system's icon size it spilled over whatever lay below (rows of icons overlapping, clipped).
TEST_F(Statics, ASmallIconKeepsItsOwnSize) {
  std::vector<std::uint32_t> red(16 * 16, 0x00FF0000);
  HBITMAP colour = CreateBitmap(16, 16, 1, 32, red.data());
  std::vector<BYTE> opaque(2 * 16, 0);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, opaque.data());
  ICONINFO parts{TRUE, 0, 0, mask, colour};
  HICON small = CreateIconIndirect(&parts);
  DeleteObject(colour);
  DeleteObject(mask);
  ASSERT_TRUE(small);
  HWND fitted = Make("Static", "", SS_ICON, 10, 10, 5, 5, 57);
  HWND centred = Make("Static", "", SS_ICON | SS_CENTERIMAGE, 40, 10, 40, 40, 58);
  SendMessageA(fitted, STM_SETICON, reinterpret_cast<WPARAM>(small), 0);
  SendMessageA(centred, STM_SETICON, reinterpret_cast<WPARAM>(small), 0);
  RECT rect;
  GetClientRect(fitted, &rect);
  EXPECT_EQ(rect.right, 16);
  EXPECT_EQ(rect.bottom, 16);
  HBITMAP shot = tolvar::user::RenderWindow(centred);
  ASSERT_TRUE(shot);
  const COLORREF face = testing_user::PixelAt(shot, 0, 0);
  EXPECT_NE(face, RGB(255, 0, 0));
  // Drawn from (12, 12) to (27, 27) in the 40-pixel static, and nothing of it beyond.
  for (int at : {12, 20, 27}) EXPECT_EQ(testing_user::PixelAt(shot, at, at), RGB(255, 0, 0)) << at;
  for (int at : {11, 28, 35}) EXPECT_EQ(testing_user::PixelAt(shot, at, at), face) << at;
  DeleteObject(shot);
  DestroyWindow(fitted);
  DestroyWindow(centred);
  DestroyIcon(small);
}

}  // namespace
