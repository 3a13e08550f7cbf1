// The extended combo box: items with images, selected images, indentation and values; its drawing;
// the inner combo box's notifications in its name; CBEN_ENDEDIT when an edit ends.
#include "ControlTest.h"

#include <cstdint>
#include <cstring>

using namespace testing_controls;
using testing_user::PixelAt;

namespace {

std::vector<NMCBEENDEDITA> g_ends;

class ComboExes : public ControlTest {
protected:
  void SetUp() override {
    ControlTest::SetUp();
    g_ends.clear();
    m_original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_parent, GWLP_WNDPROC));
    s_original = m_original;
    SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      if (m == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == CBEN_ENDEDITA) {
        g_ends.push_back(*reinterpret_cast<NMCBEENDEDITA*>(lp));
      }
      return CallWindowProcA(s_original, w, m, wp, lp);
    }));
    // Two 16x16 images: red and green.
    m_images = ImageList_Create(16, 16, ILC_COLOR32, 2, 0);
    for (std::uint32_t pixel : {0x00FF0000u, 0x0000A000u}) {  // 32-bit pixels are 0x00RRGGBB
      std::vector<std::uint32_t> pixels(16 * 16, pixel);
      HBITMAP bitmap = CreateBitmap(16, 16, 1, 32, pixels.data());
      ImageList_Add(m_images, bitmap, nullptr);
      DeleteObject(bitmap);
    }
  }
  void TearDown() override {
    SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
    ControlTest::TearDown();
    ImageList_Destroy(m_images);
  }
  void AddItem(HWND ex, const char* text, int image, int selected, int indent, LPARAM value) {
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT | CBEIF_LPARAM;
    item.iItem = -1;
    item.pszText = const_cast<LPSTR>(text);
    item.iImage = image;
    item.iSelectedImage = selected;
    item.iIndent = indent;
    item.lParam = value;
    SendMessageA(ex, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  HIMAGELIST m_images = nullptr;
  WNDPROC m_original = nullptr;
  static inline WNDPROC s_original = nullptr;
};

TEST_F(ComboExes, ItemsKeepTheirImagesIndentsAndValuesAndAreDrawnSo) {
  HWND ex = Make(WC_COMBOBOXEXA, "", CBS_DROPDOWNLIST | WS_TABSTOP, 10, 10, 200, 150, 70);
  ASSERT_TRUE(ex);
  SendMessageA(ex, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images));
  AddItem(ex, "Phone", 0, 1, 0, 100);
  AddItem(ex, "Folder", 0, 1, 1, 200);
  AddItem(ex, "File", 1, 1, 2, 300);
  EXPECT_EQ(SendMessageA(ex, CB_GETCOUNT, 0, 0), 3);
  char text[32] = {};
  COMBOBOXEXITEMA item{};
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_INDENT | CBEIF_LPARAM;
  item.iItem = 1;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ASSERT_TRUE(SendMessageA(ex, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_STREQ(text, "Folder");
  EXPECT_EQ(item.iIndent, 1);
  EXPECT_EQ(item.lParam, 200);
  EXPECT_EQ(SendMessageA(ex, CB_GETITEMDATA, 2, 0), 300);
  Take();
  SendMessageA(ex, CB_SETCURSEL, 2, 0);
  HWND combo = reinterpret_cast<HWND>(SendMessageA(ex, CBEM_GETCOMBOCONTROL, 0, 0));
  ASSERT_TRUE(combo);
  SetFocus(combo);
  Press(nullptr, VK_UP);
  bool selchange = false;
  for (const Recorded& r : Take()) {
    if (r.window == m_parent && r.message == WM_COMMAND && r.wParam == MAKEWPARAM(70, CBN_SELCHANGE)) {
      selchange = r.lParam == reinterpret_cast<LPARAM>(ex);
    }
  }
  EXPECT_TRUE(selchange) << "the parent hears CBN_SELCHANGE from the extended box";
  EXPECT_EQ(SendMessageA(ex, CB_GETCURSEL, 0, 0), 1);
  // The face shows the chosen item's image without its indentation: its selected image (green) while
  // it has the focus, its image (red) without.
  auto faceColour = [&](bool focused) {
    SetFocus(focused ? combo : m_parent);
    PumpDialog(nullptr);
    HBITMAP shot = tolvar::user::RenderWindow(m_parent);
    if (!shot) return CLR_INVALID;
    if (focused) testing_user::SavePng(shot, "controls_comboboxex");
    POINT at{12, 10};
    MapWindowPoints(combo, nullptr, &at, 1);
    RECT frame;
    GetWindowRect(m_parent, &frame);
    COLORREF colour = PixelAt(shot, at.x - frame.left, at.y - frame.top);
    DeleteObject(shot);
    return colour;
  };
  EXPECT_EQ(faceColour(true), RGB(0, 160, 0));
  EXPECT_EQ(faceColour(false), RGB(255, 0, 0));
}

TEST_F(ComboExes, AnEditThatChangedIsReportedWhenItEnds) {
  HWND ex = Make(WC_COMBOBOXEXA, "", CBS_DROPDOWN | WS_TABSTOP, 10, 10, 200, 150, 71);
  HWND other = Make("Button", "Other", BS_PUSHBUTTON, 220, 10, 80, 24, 72);
  AddItem(ex, "Daybook", -1, -1, 0, 1);
  AddItem(ex, "Mediary", -1, -1, 0, 2);
  HWND edit = reinterpret_cast<HWND>(SendMessageA(ex, CBEM_GETEDITCONTROL, 0, 0));
  ASSERT_TRUE(edit);
  SetFocus(edit);
  Type(edit, "Mediary");
  EXPECT_TRUE(SendMessageA(ex, CBEM_HASEDITCHANGED, 0, 0));
  Press(nullptr, VK_RETURN);
  ASSERT_EQ(g_ends.size(), 1u);
  EXPECT_EQ(g_ends[0].iWhy, CBENF_RETURN);
  EXPECT_STREQ(g_ends[0].szText, "Mediary");
  EXPECT_EQ(g_ends[0].iNewSelection, 1) << "the text names an item";
  EXPECT_EQ(g_ends[0].hdr.hwndFrom, ex);
  Type(edit, "!");
  SetFocus(other);
  ASSERT_EQ(g_ends.size(), 2u);
  EXPECT_EQ(g_ends[1].iWhy, CBENF_KILLFOCUS);
  EXPECT_EQ(g_ends[1].iNewSelection, CB_ERR);
  SetFocus(edit);
  SetFocus(other);
  EXPECT_EQ(g_ends.size(), 2u) << "an edit that changed nothing is not reported";
}

}  // namespace
