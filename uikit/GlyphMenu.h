#pragma once
// GlyphMenu: the kit's owner-drawn menu. Loading a menu resource turns every entry below the top
// level into an owner-drawn entry that carries a GlyphMenuItem record (its UTF-16 text, flags,
// command and image), so the kit can draw entries with command images in an XP-like or a classic
// look. The top level of a loaded menu stays plain, as a menu bar or a holder of pop-ups.
//
// Command images live in one image list shared by every GlyphMenu of the program, indexed by
// command: a command shows the same picture in every menu that holds it. With shading, each command
// takes three entries in a row (the image, a faded copy, a shadow copy).
//
// Threads: menus, their records and the shared state are used on the UI thread only.
//
// The owner window of a tracked menu passes WM_MEASUREITEM and WM_DRAWITEM to the menu's object
// (the class library does so), and WM_MENUCHAR to FindMenuChar: owner-drawn entries have no text
// the window manager could search for mnemonics.
#include <framework/Menu.h>
#include <framework/String.h>

#include <gdi/Gdi.h>
#include <kernel/Version.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

class GlyphMenu;

// One owner-drawn entry. Its address is the entry's item data.
class GlyphMenuItem {
public:
  GlyphMenuItem() = default;
  ~GlyphMenuItem();
  GlyphMenuItem(const GlyphMenuItem&) = delete;
  GlyphMenuItem& operator=(const GlyphMenuItem&) = delete;

  // Replace the text (ANSI texts are converted from CP_ACP); null clears it. The menu is not told.
  void SetText(LPCSTR text);
  void SetWideText(const WCHAR* text);
  const WCHAR* Text() const { return m_text ? m_text->c_str() : nullptr; }

  std::optional<std::u16string> m_text;  // none for a separator made without text
  int m_ownImageIndex = -1;
  int m_commandImageIndex = -1;
  int m_ownImageMarker = -1;
  UINT m_flags = 0;
  UINT_PTR m_commandId = 0;  // the sub-menu handle for a pop-up entry
  int m_syncMark = 0;
  HIMAGELIST m_ownImageList = nullptr;  // owned
};

// Where a command was found: the menu object holding it and its position there.
struct GlyphMenuPlace {
  GlyphMenu* menu = nullptr;
  int position = -1;
  friend bool operator==(const GlyphMenuPlace&, const GlyphMenuPlace&) = default;
};

// The Windows version as the kit tells the systems apart (0-7: 7 is XP, the only one with the XP
// look; 1 every NT version after it).
int GetWindowsVersionCode();
// The code for what GetVersion and GetVersionExA answered (null: GetVersionExA failed).
int GetWindowsVersionCode(DWORD version, const OSVERSIONINFOA* info);
// The theme file (the default value of the current theme's key) is the classic one.
BOOL IsClassicThemeName(LPCSTR value);
// The user chose the classic theme (asked once per process).
BOOL IsClassicThemeSelected();
BOOL IsXPLook();
BOOL IsNewShellWindows();
BOOL IsGlyphMenuPopup(HMENU menu);
// Each of red, green and blue moved toward white by `factor` (0 <= factor < 1; otherwise unchanged).
COLORREF LightenColour(COLORREF colour, double factor);
void DrawCheckMark(HDC dc, int x, int y, COLORREF colour);
void DrawRadioDot(HDC dc, int x, int y, COLORREF colour);

class GlyphMenu : public CMenu {
  DECLARE_DYNAMIC(GlyphMenu)

public:
  GlyphMenu();
  ~GlyphMenu() override;

  // CMenu's owner-draw hooks.
  void DrawItem(LPDRAWITEMSTRUCT item) override;
  void MeasureItem(LPMEASUREITEMSTRUCT item) override;

  // The menu resource walked into records (see the file comment). FALSE when it is missing or
  // unreadable (the menu is left as it was) or no menu could be made (the menu is then empty).
  virtual BOOL LoadMenu(UINT id);
  virtual BOOL LoadMenu(LPCSTR name);
  // The walk of a menu template's bytes, which LoadMenu reads from the resource. Pop-ups nest at
  // most kMaxDepth deep; the walk ends at the end of the bytes or at a deeper pop-up.
  BOOL LoadMenuTemplate(std::span<const BYTE> bytes);
  static constexpr std::size_t kMaxDepth = 16;
  // Drops the sub-menu objects, the records and the menu; the result of destroying the menu.
  virtual BOOL DestroyItems();

  // An owner-drawn entry. `id` 0 makes a separator; with MF_POPUP `id` is the sub-menu. The image
  // comes from the toolbar resource `toolbarId`, or with -1 from the shared command images.
  BOOL AppendItem(const WCHAR* text, UINT flags = 0, UINT_PTR id = 0, int toolbarId = -1);
  // Every occurrence of `command` in the tree gets the text (when not null) and the image; a command
  // the menu does not hold changes nothing (FALSE).
  BOOL ModifyItem(const WCHAR* text, UINT command, int toolbarId = -1);
  BOOL ModifyItem(LPCSTR text, UINT command, int toolbarId = -1);
  BOOL ModifyItemImage(const WCHAR* text, UINT command, HIMAGELIST images, int index);
  // A new record for the entry at `position`, owned by this menu (it replaces a record there).
  GlyphMenuItem* SetItemByPosition(UINT position, UINT flags, UINT_PTR id, LPCSTR text);

  // The wider interface the exchange library carries (GlyphMenuExtras.cpp; no program calls it).
  // Texts in UTF-16; flags as AppendMenu's, MF_BYPOSITION (0x400) naming a position, else a command
  // searched through the sub-menus. Each returns nonzero on success.
  BOOL AppendItemWithImages(const WCHAR* text, UINT flags, UINT_PTR id, HIMAGELIST images, int index);
  // -1 with MF_BYPOSITION: at the end. A bitmap id below 0 takes the command's shared image.
  BOOL InsertItem(UINT position, const WCHAR* text, UINT flags, UINT_PTR id, int bitmapId = -1);
  BOOL InsertItemWithImages(UINT position, const WCHAR* text, UINT flags, UINT_PTR id, HIMAGELIST images, int index);
  BOOL ModifyItemBitmap(const WCHAR* text, UINT command, HBITMAP bitmap);
  // A rectangle of `size` (the image size when cx is 0) filled solid, or hatched when hatchStyle is
  // not -1, framed in `border`, as the command's image.
  BOOL ModifyItemColor(const WCHAR* text, UINT command, COLORREF fill, COLORREF border, int hatchStyle = -1,
                       SIZE size = {0, 0});
  // The entry whose text is optionText (in any sub-menu) gets `text` and the bitmap's image (none
  // when the bitmap cannot be loaded).
  BOOL ModifyItemByText(const WCHAR* text, const WCHAR* optionText, int bitmapId);
  // A bitmap resource masked with the menu's mask colour, with a faded and a shadow copy in the XP
  // look; FALSE when it cannot be loaded.
  BOOL AddImageToList(HIMAGELIST images, int bitmapId);
  // Entry `index` of `source` copied into `images` as an icon.
  BOOL AddImagesFrom(HIMAGELIST images, int index, HIMAGELIST source);
  // A new empty pop-up appended as a pop-up entry; its handle, or null.
  HMENU AppendPopup(const WCHAR* text);
  // The entry of this level with exactly this text removed (RemoveMenu) or deleted (DeleteMenu, its
  // sub-menu destroyed); with withSeparator nonzero a separator just before it goes too.
  BOOL RemoveByText(const WCHAR* text, int withSeparator = 0);
  BOOL DeleteByText(const WCHAR* text, int withSeparator = 0);
  BOOL SetItemTextAt(UINT position, const WCHAR* text, UINT flags);

  GlyphMenuPlace FindCommand(UINT command);
  GlyphMenuPlace FindNextCommand(UINT command, const std::vector<GlyphMenuPlace>& seen);
  // MF_BYPOSITION: the record at that position of this level; else the command, in any sub-menu.
  BOOL GetItemText(UINT item, CString& text, UINT flags);
  // The index in Items() of the first record with exactly this text; -1 when none (or when every
  // entry of this level is a pop-up).
  int FindPopup(const WCHAR* text);
  int FindPopup(LPCSTR text);

  // The font, image size and see-through colour hold for the sub-menus the loader made too: they
  // measure and draw their own entries.
  void SetMenuFont(const LOGFONTA& font);
  void SetMenuFont(LPCSTR face, int height, BOOL bold, BOOL italic);
  void SetImageSize(int width, int height);
  void SetMaskColour(COLORREF colour);
  // Gives every command of the toolbar that this menu holds the toolbar's picture.
  BOOL LoadToolbarImages(UINT toolbarId);
  // WM_MENUCHAR: MAKELRESULT(position, MNC_EXECUTE) for the first entry whose text holds "&" and
  // the character, 0 when none does or the menu is not a kit pop-up.
  LRESULT FindMenuChar(UINT character, UINT flags, HMENU menu);

  // Records made anew from the entries when entries were added or removed behind the menu's back.
  void SyncItems();
  void AlignAccelerators();

  // Images.
  BOOL AddBitmapToList(HIMAGELIST list, UINT_PTR bitmapId);
  int AddCommandImage(HIMAGELIST source, int index, UINT command);
  BOOL IconToBitmap(HDC dc, HIMAGELIST list, int index, HBITMAP* bitmap);
  void MakeFadedImage(HBITMAP bitmap);
  void MakeShadowImage(HBITMAP bitmap);
  void DrawDisabledImage(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, int sourceX, int sourceY,
                         COLORREF background);
  void DrawCheckBox(HDC dc, const RECT& rect, BOOL selected, BOOL radio);
  void DrawCheckBoxXP(HDC dc, const RECT& rect, COLORREF frame, BOOL radio);

  BOOL GetLookOption() const;
  BOOL IsOwnPopup() const { return IsGlyphMenuPopup(m_hMenu); }

  const std::vector<std::unique_ptr<GlyphMenuItem>>& Items() const { return m_items; }
  const std::vector<HMENU>& Popups() const { return m_popups; }
  // The object of a sub-menu this menu made, or null.
  GlyphMenu* SubMenu(HMENU menu) const;
  int ImageWidth() const { return m_imageWidth; }
  int ImageHeight() const { return m_imageHeight; }

  // The shared command images, and the command of each entry.
  static HIMAGELIST CommandImages();
  static const std::vector<UINT>& CommandImageIds();
  static BOOL HasImageTriplet(int index);

  // Program-wide drawing choices.
  static inline BOOL xpDrawOnXpSystem = TRUE;
  static inline BOOL xpDrawOnClassicSystem = FALSE;
  static inline BOOL shadeImages = TRUE;
  static inline BOOL selectDisabledClassic = TRUE;
  static inline BOOL selectDisabledXp = FALSE;

  // Colours.
  COLORREF m_faceColour;
  COLORREF m_classicBackColour = RGB(0xE1, 0xEA, 0xFD);
  COLORREF m_textColour = RGB(0x08, 0x2A, 0x82);
  COLORREF m_selectColour = RGB(0x08, 0x2A, 0x82);
  COLORREF m_selectTextColour = RGB(0xFF, 0xFF, 0xFF);
  COLORREF m_shadowColour;
  COLORREF m_highlightColour;
  COLORREF m_highlightColour2;
  COLORREF m_grayTextColour;
  COLORREF m_windowColour;
  COLORREF m_maskFaceColour;
  COLORREF m_maskShadowColour;

private:
  void DrawItemClassic(LPDRAWITEMSTRUCT item);
  void DrawItemXP(LPDRAWITEMSTRUCT item);
  // The entry's image: the list and index to draw, or a null list.
  std::pair<HIMAGELIST, int> ImageOf(const GlyphMenuItem& item) const;
  HFONT EntryFont() const;
  // The record's image from the toolbar, or with -1 from the command images (see AppendItem).
  void SetItemImage(GlyphMenuItem& item, UINT command, int toolbarId);
  void ResetMenuBarTexts();
  // This menu and, depth first, the sub-menus the loader made.
  template <class Visit>
  void ForEachLevel(Visit visit) {
    visit(*this);
    for (auto& sub : m_subMenus) sub->ForEachLevel(visit);
  }

  BOOL TakeOutByText(const WCHAR* text, int withSeparator, bool destroy);
  GlyphMenuItem* FindRecordOf(UINT_PTR id, const WCHAR* text);

  std::vector<std::unique_ptr<GlyphMenuItem>> m_items;
  std::vector<HMENU> m_popups;
  std::vector<std::unique_ptr<GlyphMenu>> m_subMenus;  // the objects of the sub-menus the loader made
  int m_imageWidth = 16;
  int m_imageHeight = 15;
  COLORREF m_maskColour = RGB(0xC0, 0xC0, 0xC0);
  BOOL m_useMaskColour = FALSE;
  HIMAGELIST m_checkImages = nullptr;
  BOOL m_checkImagesBorrowed = FALSE;
  int m_checkedImageId = -1;
  int m_uncheckedImageId = -1;
  BOOL m_imagesAreIcons = FALSE;
  BOOL m_isMenuBar = FALSE;
  HFONT m_font = nullptr;  // owned
  BOOL m_hasCustomFont = FALSE;
};
