// The kit's wider interface that the exchange library carries: the button's colour queries and
// shading, cursor, tooltip and transparency; the menu's inserts by position and by command, removal
// and deletion by text, and its image forms; the binder's language calls with and without Glossa.
#include "GlyphMenu.h"
#include "SkinButton.h"
#include "StringBinderExtras.h"
#include "StringLoader.h"
#include "UikitRes.h"
#include "menus.h"

#include <base/WinError.h>
#include <framework/Dc.h>
#include <gdi/ImageList.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string TextAt(GlyphMenu& menu, UINT item, UINT flags) {
  CString text;
  if (!menu.GetItemText(item, text, flags)) return "<none>";
  return static_cast<LPCSTR>(text);
}

TEST(SkinButtonExtras, QueryAndShadeColours) {
  CSkinButton button;
  for (BYTE slot = 0; slot < kSkinColourSlots; ++slot) button.SetColor(slot, RGB(slot * 10, 100, 200), FALSE);
  COLORREF colour = 0;
  EXPECT_EQ(button.QueryColor(2, &colour), 0u);
  EXPECT_EQ(colour, RGB(20, 100, 200));
  EXPECT_EQ(button.QueryColor(6, &colour), 3u);

  const struct {
    COLORREF start;
    short shade;
    DWORD result;
    COLORREF expected;
  } cases[] = {
      {RGB(100, 200, 50), 100, 0, RGB(155, 255, 105)},  // green has 55 of room
      {RGB(100, 200, 50), -80, 0, RGB(50, 150, 0)},     // blue has 50
      {RGB(100, 200, 50), 20, 0, RGB(120, 220, 70)},
      {RGB(255, 255, 255), 10, 0, RGB(255, 255, 255)},
      {RGB(0, 0, 0), -10, 0, RGB(0, 0, 0)},
      {RGB(1, 2, 3), 255, 0, RGB(253, 254, 255)},
      {RGB(100, 100, 100), 256, 5, RGB(100, 100, 100)},
      {RGB(100, 100, 100), -256, 5, RGB(100, 100, 100)},
  };
  for (const auto& c : cases) {
    button.SetColor(0, c.start, FALSE);
    EXPECT_EQ(button.ShadeColor(0, c.shade, FALSE), c.result) << c.shade;
    EXPECT_EQ(button.GetColor(0), c.expected) << c.shade;
  }
  EXPECT_EQ(button.ShadeColor(6, 10, FALSE), 3u);
}

TEST(SkinButtonExtras, CursorTipStyleAndTransparency) {
  HWND parent = CreateWindowExA(0, testing_user::PlainClass(), "Panel", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
  HWND window = CreateWindowExA(0, "Button", "Tip", WS_CHILD | WS_VISIBLE, 10, 10, 80, 30, parent, nullptr, nullptr,
                                nullptr);
  {
    CSkinButton button;
    ASSERT_TRUE(button.SubclassWindow(window));
    EXPECT_EQ(button.SetHoverCursor(0), 0u);
    EXPECT_EQ(button.SetHoverCursor(4242), 1u);  // no such cursor resource
    EXPECT_EQ(button.m_cursor, nullptr);
    EXPECT_EQ(button.SetTrackFlag(FALSE), 0u);
    EXPECT_FALSE(button.m_trackWhenInactive);
    EXPECT_EQ(button.SetStyleBit(), 0u);
    EXPECT_EQ(button.StyleWord() & 0x40, 0x40);

    EXPECT_EQ(button.SetTipText(4242u), 0u);  // an empty text makes no tooltip tool
    EXPECT_TRUE(!button.ToolTip().m_hWnd || button.ToolTip().GetToolCount() == 0);
    EXPECT_EQ(button.SetTipText("Send to the phone"), 0u);
    EXPECT_EQ(button.ToolTip().GetToolCount(), 1);
    button.SetTipText("Again", FALSE);
    EXPECT_EQ(button.ToolTip().GetToolCount(), 1);  // the one tool, its text replaced
    button.EnableTip(TRUE);

    CClientDC dc(&button);
    EXPECT_EQ(button.CaptureBackground(&dc), 5u);  // transparency is off
    EXPECT_EQ(button.EnableTransparency(FALSE), 0u);
    EXPECT_TRUE(button.m_transparent);
    EXPECT_EQ(button.CaptureBackground(nullptr), 5u);
    EXPECT_EQ(button.CaptureBackground(&dc), 0u);
    button.UnsubclassWindow();
  }
  DestroyWindow(parent);
}

class GlyphMenuExtras : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(m_menu.LoadMenu(IDR_TEST_MENU)); }
  GlyphMenu* Phone() { return m_menu.SubMenu(::GetSubMenu(m_menu, 0)); }
  GlyphMenu m_menu;
};

TEST_F(GlyphMenuExtras, InsertByPositionAndByCommand) {
  GlyphMenu& phone = *Phone();
  const int count = ::GetMenuItemCount(phone);
  ASSERT_TRUE(phone.InsertItem(1, u"Inserted", MF_BYPOSITION, 5001));
  EXPECT_EQ(::GetMenuItemID(phone, 1), 5001u);
  EXPECT_EQ(TextAt(phone, 1, MF_BYPOSITION), "Inserted");
  EXPECT_EQ(TextAt(phone, 2, MF_BYPOSITION).rfind("&Save", 0), 0u);  // the old entry moved down with its record
  EXPECT_EQ(::GetMenuItemCount(phone), count + 1);

  // By command: before the command's entry, in whichever sub-menu holds it.
  ASSERT_TRUE(m_menu.InsertItem(ID_UIKIT_CONNECT, u"Before connect", 0, 5002));
  const GlyphMenuPlace place = m_menu.FindCommand(5002);
  ASSERT_NE(place.menu, nullptr);
  EXPECT_EQ(place.position, 0);
  EXPECT_EQ(m_menu.FindCommand(ID_UIKIT_CONNECT).position, 1);
  EXPECT_FALSE(m_menu.InsertItem(4242, u"Nowhere", 0, 5003));

  // -1 appends; a bitmap id gives the entry its own image, a missing one none.
  ASSERT_TRUE(phone.InsertItem(static_cast<UINT>(-1), u"Last", MF_BYPOSITION, 5004, IDB_UIKIT_PHONE_IN));
  EXPECT_EQ(::GetMenuItemID(phone, ::GetMenuItemCount(phone) - 1), 5004u);
  ASSERT_TRUE(phone.InsertItem(0, u"Pictured", MF_BYPOSITION, 5005, IDB_UIKIT_PHONE_IN));
  EXPECT_NE(phone.Items()[0]->m_ownImageList, nullptr);
  ASSERT_TRUE(phone.InsertItem(0, u"Plain", MF_BYPOSITION, 5006, 4242));
  EXPECT_EQ(phone.Items()[0]->m_ownImageList, nullptr);

  HIMAGELIST images = ImageList_Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1);
  ASSERT_TRUE(phone.AddImageToList(images, IDB_UIKIT_PHONE_IN));
  EXPECT_FALSE(phone.AddImageToList(images, 4242));
  ASSERT_TRUE(m_menu.InsertItemWithImages(ID_TEST_EXIT, u"Imaged", 0, 5007, images, 0));
  const GlyphMenuPlace imaged = m_menu.FindCommand(5007);
  ASSERT_NE(imaged.menu, nullptr);
  EXPECT_NE(imaged.menu->Items()[static_cast<size_t>(imaged.position)]->m_ownImageList, nullptr);
  ImageList_Destroy(images);
}

TEST_F(GlyphMenuExtras, RemoveDeleteAndRenameByText) {
  GlyphMenu& phone = *Phone();
  const int count = ::GetMenuItemCount(phone);
  EXPECT_TRUE(phone.RemoveByText(u"E&xit"));
  EXPECT_EQ(m_menu.FindCommand(ID_TEST_EXIT).menu, nullptr);
  EXPECT_EQ(::GetMenuItemCount(phone), count - 1);
  EXPECT_FALSE(phone.RemoveByText(u"E&xit"));

  // The pop-up "More" goes with the separator before it.
  EXPECT_TRUE(phone.DeleteByText(u"&More", 1));
  EXPECT_EQ(::GetMenuItemCount(phone), count - 3);
  EXPECT_EQ(m_menu.FindCommand(ID_UIKIT_CONNECT).menu, nullptr);
  EXPECT_EQ(TextAt(phone, 2, MF_BYPOSITION), "Settin&gs");
  EXPECT_EQ(static_cast<int>(phone.Items().size()), ::GetMenuItemCount(phone));

  EXPECT_TRUE(m_menu.SetItemTextAt(ID_TEST_ABOUT, u"About it", 0));
  EXPECT_EQ(TextAt(m_menu, ID_TEST_ABOUT, 0), "About it");
  EXPECT_TRUE(phone.SetItemTextAt(0, u"Open it", MF_BYPOSITION));
  EXPECT_EQ(TextAt(phone, 0, MF_BYPOSITION), "Open it");
  EXPECT_FALSE(phone.SetItemTextAt(40, u"x", MF_BYPOSITION));

  EXPECT_TRUE(m_menu.ModifyItemByText(u"Opened", u"Open it", IDB_UIKIT_PHONE_IN));
  EXPECT_EQ(TextAt(phone, 0, MF_BYPOSITION), "Opened");
  EXPECT_NE(phone.Items()[0]->m_ownImageList, nullptr);
  EXPECT_TRUE(m_menu.ModifyItemByText(u"Opened again", u"Opened", 4242));
  EXPECT_EQ(phone.Items()[0]->m_ownImageList, nullptr);
  EXPECT_FALSE(m_menu.ModifyItemByText(u"x", u"No such entry", -1));
}

TEST_F(GlyphMenuExtras, PopupsSeparatorsColoursAndImageCopies) {
  GlyphMenu& phone = *Phone();
  const int count = ::GetMenuItemCount(phone);
  HMENU extra = phone.AppendPopup(u"Extra");
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(::GetSubMenu(phone, count), extra);

  HIMAGELIST source = ImageList_Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1);
  ASSERT_TRUE(phone.AddImageToList(source, IDB_UIKIT_PHONE_IN));
  HIMAGELIST copy = ImageList_Create(16, 15, ILC_COLOR32 | ILC_MASK, 1, 1);
  EXPECT_TRUE(phone.AddImagesFrom(copy, 0, source));
  EXPECT_EQ(ImageList_GetImageCount(copy), 1);
  EXPECT_FALSE(phone.AddImagesFrom(copy, 99, source));

  ASSERT_TRUE(phone.AppendItemWithImages(u"With image", 0, 5010, source, 0));
  EXPECT_NE(phone.Items().back()->m_ownImageList, nullptr);
  ASSERT_TRUE(phone.AppendItemWithImages(nullptr, MF_BYPOSITION, 0, source, 0));
  EXPECT_EQ(phone.Items().back()->m_flags, static_cast<UINT>(MF_OWNERDRAW | MF_SEPARATOR | MF_BYPOSITION));
  ASSERT_TRUE(phone.AppendItemWithImages(nullptr, 0, 0, source, 0));
  EXPECT_EQ(phone.Items().back()->m_flags, static_cast<UINT>(MF_OWNERDRAW | MF_SEPARATOR));

  // A colour swatch as the image of every entry of the command.
  EXPECT_TRUE(m_menu.ModifyItemColor(u"Red", ID_UIKIT_SAVE, RGB(255, 0, 0), RGB(0, 0, 0)));
  EXPECT_TRUE(m_menu.ModifyItemColor(u"Hatched", ID_UIKIT_SAVE, RGB(0, 0, 255), RGB(0, 0, 0), HS_CROSS, {8, 8}));
  EXPECT_EQ(TextAt(phone, 1, MF_BYPOSITION), "Hatched");
  EXPECT_FALSE(m_menu.ModifyItemColor(u"None", 4242, RGB(1, 2, 3), RGB(0, 0, 0)));
  EXPECT_FALSE(m_menu.ModifyItemBitmap(u"None", ID_UIKIT_SAVE, nullptr));
  ImageList_Destroy(source);
  ImageList_Destroy(copy);
}

TEST(StringBinderExtras, LanguageCallsWithAndWithoutGlossa) {
  DWORD value = 77;
  CString name = "kept";
  EXPECT_EQ(GetCurrentLanguage(&value), ERROR_NOT_READY);
  EXPECT_EQ(GetFirstLanguage(&value), ERROR_NOT_READY);
  EXPECT_EQ(GetNextLanguage(&value), ERROR_NOT_READY);
  EXPECT_EQ(GetLanguageName(name), ERROR_NOT_READY);

  // Glossa loaded (whether or not it found strings for this module): it offers none of these.
  BindStrings("", "KitExtrasTest", "ini");
  ASSERT_NE(BoundStringLibrary(), nullptr);
  EXPECT_EQ(GetCurrentLanguage(&value), ERROR_CALL_NOT_IMPLEMENTED);
  EXPECT_EQ(GetFirstLanguage(&value), ERROR_CALL_NOT_IMPLEMENTED);
  EXPECT_EQ(GetNextLanguage(&value), ERROR_CALL_NOT_IMPLEMENTED);
  EXPECT_EQ(GetLanguageName(name), ERROR_CALL_NOT_IMPLEMENTED);
  EXPECT_EQ(value, 77u);
  EXPECT_EQ(name, "kept");
  CloseStrings();
}

}  // namespace
