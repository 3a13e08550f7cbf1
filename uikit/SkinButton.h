#pragma once
// CSkinButton: the kit's owner-drawn push button. It paints itself from six colour slots, an
// optional pair of bitmaps or icons (one for the "in" state, hovered or pressed, one for "out") and
// its caption. A flat button shows a border only while the mouse is over it or it is pressed. It can
// act as a check box, open a link with the shell, or drop down a GlyphMenu pop-up and post the
// chosen command to an owner window. Clicks of the check-box and menu roles stay with the button;
// any other click also reaches the parent as BN_CLICKED, the dialog's command.
//
// Programs subclass a dialog's button with it (SubclassDlgItem) and then set the look:
//     m_ok.SubclassDlgItem(IDOK, this);
//     m_ok.SetDefaultLook();
//     m_ok.SetBitmaps(IDB_OK_IN, RGB(255, 0, 255), IDB_OK_OUT, RGB(255, 0, 255));
//
// Threads: the button and its menu are used on the thread that owns the window.
#include "GlyphMenu.h"

#include <framework/Controls.h>
#include <framework/GdiObjects.h>

// The colour slots: background and text of the in face (hovered or pressed), of the out face, and
// of the focused button.
enum SkinButtonColour : BYTE { kSkinInBack, kSkinInText, kSkinOutBack, kSkinOutText, kSkinFocusBack, kSkinFocusText,
                               kSkinColourSlots };
// Where the picture goes beside the caption.
enum SkinButtonAlign { kSkinImageLeft, kSkinImageAbove, kSkinImageRight };

// The "out" value of SetBitmaps that derives the out face from the in bitmap.
constexpr INT_PTR SKIN_BITMAP_GRAY = -2;
constexpr INT_PTR SKIN_BITMAP_DARK = -3;

class CSkinButton : public CButton {
  DECLARE_DYNAMIC(CSkinButton)

public:
  CSkinButton();
  ~CSkinButton() override;

  // Slots 0, 2, 4 light blue, 1 and 3 dark blue, 5 darker; bold "Verdana" 13.
  void SetDefaultLook();
  DWORD SetDefaultColors(BOOL repaint = TRUE);
  // 3 for a slot of 6 or more (nothing changes), else 0.
  DWORD SetColor(BYTE slot, COLORREF colour, BOOL repaint = TRUE);
  COLORREF GetColor(BYTE slot) const { return slot < kSkinColourSlots ? m_colours[slot] : CLR_INVALID; }
  // The button's font with this face, height, weight and slant; also the attached menu's font.
  void SetFont(LPCSTR face, int height, BOOL bold, BOOL italic);
  // Bitmap resources; `outId` may be SKIN_BITMAP_GRAY or SKIN_BITMAP_DARK, or 0 for none.
  DWORD SetBitmaps(INT_PTR inId, COLORREF inColour, INT_PTR outId = 0, COLORREF outColour = 0);
  // The button takes the bitmaps (and deletes them when it refuses them). 0, or 1 without an in
  // bitmap or when the out one is no bitmap, 2 when a mask could not be made; on failure the button
  // is left without images.
  DWORD SetBitmapsByHandle(HBITMAP in, COLORREF inColour, HBITMAP out = nullptr, COLORREF outColour = 0);
  // Style 0 moves a pressed button's picture and caption by (1, 1), style 1 by (0, 2); 6 for others.
  DWORD SetPressedStyle(BYTE style, BOOL repaint = TRUE);
  DWORD SetCheck(int check, BOOL repaint = TRUE);  // check-box buttons only
  int GetCheck() const { return m_isChecked; }
  DWORD SetDrawBorder(BOOL draw = TRUE, BOOL repaint = TRUE);
  DWORD SetFlatFocus(BOOL flatFocus, BOOL repaint = TRUE);
  // The address opened by a click (cut to 259 bytes); null clears it.
  DWORD SetURL(LPCSTR url);
  LPCSTR GetURL() const { return m_url; }
  // Attaches the pop-up of menu `menuId` (0: none), with the pictures of toolbar `toolbarId` (0:
  // none); its commands go to `owner` as WM_COMMAND. 1 when the menu or its pictures are missing.
  DWORD SetMenu(UINT menuId, HWND owner, BOOL xpLook = TRUE, UINT toolbarId = 0, int imageWidth = 16,
                int imageHeight = 15, COLORREF transparent = RGB(192, 192, 192), BOOL repaint = TRUE);
  GlyphMenu& Menu() { return m_menu; }
  CToolTipCtrl& ToolTip() { return m_tooltip; }
  void InitToolTip();
  void CancelHover();
  DWORD FreeImages(BOOL destroy = TRUE);

  // The wider interface the exchange library carries (SkinButtonExtras.cpp; no program calls it).
  // The colour of a slot into `colour`: 3 for a bad slot, else 0.
  DWORD QueryColor(BYTE slot, COLORREF* colour) const;
  // `shade` (-255..255, else 5) added to red, green and blue, as far as the channel with the least
  // room allows, so the colour keeps its hue; 3 for a bad slot, else 0.
  DWORD ShadeColor(BYTE slot, short shade, BOOL repaint = TRUE);
  // The cursor resource shown over the button (0: none); 1 when it cannot be loaded, else 0.
  DWORD SetHoverCursor(UINT cursorId, BOOL repaint = TRUE);
  DWORD SetTrackFlag(BOOL value);
  DWORD SetTipText(LPCSTR text, BOOL activate = TRUE);
  DWORD SetTipText(UINT stringId, BOOL activate = TRUE);
  void EnableTip(BOOL activate);
  DWORD SetStyleBit();
  WORD StyleWord() const { return m_styleWord; }
  BOOL GetLook() const;
  DWORD EnableTransparency(BOOL repaint = TRUE);
  // The parent's pixels under the button kept for transparent drawing: 5 when transparency is off or
  // no device context is given, else 0.
  DWORD CaptureBackground(CDC* dc);

  BOOL IsHovered() const { return m_isHovered; }
  BOOL IsDefault() const { return m_isDefault; }
  BOOL IsCheckBox() const { return m_isCheckBox; }

  // Copies of a bitmap for the out face: grey levels, or every channel less a quarter; pixels of the
  // transparent colour stay.
  static HBITMAP CreateGrayscaleBitmap(HBITMAP bitmap, int width, int height, COLORREF transparent);
  static HBITMAP CreateDarkenedBitmap(HBITMAP bitmap, int width, int height, COLORREF transparent);
  // A monochrome mask, white where `source` shows `transparent`; those pixels of `source` turn black.
  static HBITMAP CreateMaskBitmap(HBITMAP source, int width, int height, COLORREF transparent);
  static COLORREF DarkenColour(COLORREF colour, double factor);

  void PreSubclassWindow() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // Settings without an operation of their own, read as the button draws and hovers.
  BOOL m_grayDisabledBitmap = TRUE;
  int m_imageMarginX = 3;
  int m_imageMarginY = 3;
  BOOL m_isFlat = TRUE;
  BOOL m_transparent = FALSE;  // paint the parent's background instead of a colour
  SkinButtonAlign m_align = kSkinImageLeft;
  BOOL m_trackWhenInactive = TRUE;
  DWORD m_tooltipStyle = 0;
  HCURSOR m_cursor = nullptr;  // shown over the button when set; destroyed with the button
  // Told before the menu opens: `window` gets `message` with the sub-menu object and `parameter`.
  struct {
    HWND window = nullptr;
    UINT message = 0;
    LPARAM parameter = 0;
  } m_menuNotify;

protected:
  virtual void DrawBackground(CDC* dc, RECT& rect);
  virtual void DrawBorder(CDC* dc, const RECT& rect);
  virtual void DrawIcon(CDC* dc, BOOL hasTitle, const RECT& item, RECT& caption, BOOL pressed, BOOL disabled);
  virtual void DrawBitmap(CDC* dc, BOOL hasTitle, const RECT& item, RECT& caption, BOOL pressed, BOOL disabled);
  virtual void DrawText(CDC* dc, LPCSTR title, RECT& caption, BOOL pressed, BOOL disabled);

private:
  struct Icon {
    HICON icon = nullptr;
    int width = 0, height = 0;
  };
  struct Bitmap {
    HBITMAP bitmap = nullptr;
    int width = 0, height = 0;
    HBITMAP mask = nullptr;
    COLORREF colour = 0;
  };

  void OnMouseMove(WPARAM keys, LPARAM point);
  // TRUE when the click was the button's alone (check box, menu).
  BOOL OnClicked();
  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnMouseMoveMessage(WPARAM, LPARAM);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  LRESULT OnCancelHoverAfterDefault(WPARAM, LPARAM);
  LRESULT OnEnable(WPARAM, LPARAM);
  LRESULT OnActivate(WPARAM, LPARAM);
  LRESULT OnSysColorChange(WPARAM, LPARAM);
  LRESULT OnGetDlgCode(WPARAM, LPARAM);
  LRESULT OnSetStyle(WPARAM, LPARAM);
  LRESULT OnSetCheck(WPARAM, LPARAM);
  LRESULT OnGetCheck(WPARAM, LPARAM);
  HBRUSH CtlColor(CDC*, UINT);
  void Repaint(BOOL repaint = TRUE);
  // Where an image of w x h goes in `item`; the caption's rectangle makes room for it.
  RECT PlaceImage(int width, int height, BOOL hasTitle, const RECT& item, RECT& caption, BOOL pressed) const;
  // The face to show: in or out (index 0 or 1 of the tables).
  int ChosenImage(bool outSet) const;
  void PaintParentBackground(CDC* dc, const RECT& rect);
  void DropParentBackground();

  BOOL m_isHovered = FALSE;
  BOOL m_isPressed = FALSE;
  BOOL m_isFocused = FALSE;
  BOOL m_isDisabled = FALSE;
  BOOL m_isDefault = FALSE;
  BOOL m_isCheckBox = FALSE;
  BOOL m_drawBorder = TRUE;
  BOOL m_flatFocus = FALSE;
  int m_pressedOffsetX = 1;
  int m_pressedOffsetY = 1;
  COLORREF m_colours[kSkinColourSlots] = {};
  HWND m_ownerWindow = nullptr;
  BOOL m_menuTracking = FALSE;
  GlyphMenu m_menu;
  CFont m_font;
  CToolTipCtrl m_tooltip;
  HDC m_backgroundDC = nullptr;
  HBITMAP m_backgroundBitmap = nullptr;
  HGDIOBJ m_oldBitmap = nullptr;
  BOOL m_isChecked = FALSE;
  BYTE m_buttonType = 31;
  WORD m_styleWord = 0;
  char m_url[260] = {};
  Icon m_icons[2];
  Bitmap m_bitmaps[2];
};
