// CSkinButton: painting from colour slots, faces and caption; hover and click; the attached menu,
// the link and the check state; the messages a dialog's button answers.
#include "SkinButton.h"

#include <framework/Dc.h>
#include <framework/ModuleState.h>
#include <gdi/Unique.h>
#include <resources/Resource.h>
#include <shell/ShellApi.h>

#include <algorithm>
#include <cstring>

using tolvar::gdi::ScopedSelect;
using tolvar::gdi::UniqueBitmap;
using tolvar::gdi::UniqueBrush;
using tolvar::gdi::UniqueDC;
using tolvar::gdi::UniquePen;

IMPLEMENT_DYNAMIC(CSkinButton, CButton)

namespace {

constexpr COLORREF kLightBlue = RGB(0xB0, 0xC9, 0xFF);
constexpr COLORREF kDarkBlue = RGB(0x08, 0x2A, 0x82);
constexpr COLORREF kDarkerBlue = RGB(0x05, 0x1B, 0x67);

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.Get());
}

void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  FillSolid(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

// A polyline of one-pixel strokes in a system colour (each stroke without its end point).
void Line(HDC dc, int colour, std::initializer_list<POINT> points) {
  UniquePen pen(CreatePen(PS_SOLID, 1, GetSysColor(colour)));
  ScopedSelect select(dc, pen.Get());
  auto p = points.begin();
  MoveToEx(dc, p->x, p->y, nullptr);
  for (++p; p != points.end(); ++p) LineTo(dc, p->x, p->y);
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A copy of `bitmap` with every pixel but the transparent ones changed.
template <class Change>
HBITMAP ChangedCopy(HBITMAP bitmap, int width, int height, COLORREF transparent, Change change) {
  UniqueDC source(CreateCompatibleDC(nullptr));
  UniqueDC target(CreateCompatibleDC(nullptr));
  HBITMAP copy = CreateCompatibleBitmap(nullptr, width, height);  // a null DC stands for the screen
  if (!source || !target || !copy) return copy;
  ScopedSelect selectSource(source.Get(), bitmap);
  ScopedSelect selectTarget(target.Get(), copy);
  BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF pixel = GetPixel(target.Get(), x, y);
      if (pixel != transparent) SetPixel(target.Get(), x, y, change(pixel));
    }
  return copy;
}

HBITMAP CopyMask(HBITMAP mask, int width, int height) {
  UniqueDC source(CreateCompatibleDC(nullptr));
  UniqueDC target(CreateCompatibleDC(nullptr));
  HBITMAP copy = CreateBitmap(width, height, 1, 1, nullptr);
  if (!copy) return nullptr;
  ScopedSelect selectSource(source.Get(), mask);
  ScopedSelect selectTarget(target.Get(), copy);
  BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
  return copy;
}

}  // namespace

CSkinButton::CSkinButton() { SetDefaultColors(FALSE); }

CSkinButton::~CSkinButton() {
  DropParentBackground();
  FreeImages(TRUE);
  if (m_cursor) DestroyCursor(m_cursor);
  if (m_menu.m_hMenu) m_menu.DestroyItems();
  if (m_tooltip.m_hWnd) m_tooltip.DestroyWindow();
}

// ---- Settings -------------------------------------------------------------------------------------

void CSkinButton::Repaint(BOOL repaint) {
  if (repaint && m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CSkinButton::SetDefaultLook() {
  SetColor(kSkinInBack, kLightBlue);
  SetColor(kSkinOutBack, kLightBlue);
  SetColor(kSkinFocusBack, kLightBlue);
  SetColor(kSkinInText, kDarkBlue);
  SetColor(kSkinOutText, kDarkBlue);
  SetColor(kSkinFocusText, kDarkerBlue);
  SetFont("Verdana", 13, TRUE, FALSE);
}

DWORD CSkinButton::SetDefaultColors(BOOL repaint) {
  for (BYTE slot = 0; slot < kSkinColourSlots; ++slot)
    m_colours[slot] = GetSysColor(slot % 2 == 0 ? COLOR_BTNFACE : COLOR_BTNTEXT);
  Repaint(repaint);
  return 0;
}

DWORD CSkinButton::SetColor(BYTE slot, COLORREF colour, BOOL repaint) {
  if (slot >= kSkinColourSlots) return 3;
  m_colours[slot] = colour;
  Repaint(repaint);
  return 0;
}

void CSkinButton::SetFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  LOGFONTA font{};
  HFONT current = m_hWnd ? reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)) : nullptr;
  if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  GetObjectA(current, sizeof font, &font);
  font.lfHeight = height;
  font.lfWeight = bold ? 700 : 400;
  font.lfItalic = static_cast<BYTE>(italic);
  font.lfUnderline = 0;
  font.lfStrikeOut = 0;
  font.lfCharSet = 0;
  std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
  if (face) std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  m_font.DeleteObject();
  m_font.CreateFontIndirect(&font);
  if (m_hWnd) ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), TRUE);
  if (m_menu.m_hMenu) m_menu.SetMenuFont(face, height, bold, italic);
}

DWORD CSkinButton::SetPressedStyle(BYTE style, BOOL repaint) {
  static constexpr POINT kOffsets[] = {{1, 1}, {0, 2}};
  if (style >= std::size(kOffsets)) return 6;
  m_pressedOffsetX = kOffsets[style].x;
  m_pressedOffsetY = kOffsets[style].y;
  Repaint(repaint);
  return 0;
}

DWORD CSkinButton::SetCheck(int check, BOOL repaint) {
  if (m_isCheckBox) {
    m_isChecked = check ? TRUE : FALSE;
    Repaint(repaint);
  }
  return 0;
}

DWORD CSkinButton::SetDrawBorder(BOOL draw, BOOL repaint) {
  m_drawBorder = draw;
  Repaint(repaint);
  return 0;
}

DWORD CSkinButton::SetFlatFocus(BOOL flatFocus, BOOL repaint) {
  m_flatFocus = flatFocus;
  Repaint(repaint);
  return 0;
}

DWORD CSkinButton::SetURL(LPCSTR url) {
  std::memset(m_url, 0, sizeof m_url);
  if (url) std::strncpy(m_url, url, sizeof m_url - 1);
  return 0;
}

DWORD CSkinButton::SetMenu(UINT menuId, HWND owner, BOOL xpLook, UINT toolbarId, int imageWidth, int imageHeight,
                           COLORREF transparent, BOOL repaint) {
  if (m_menu.m_hMenu) {
    m_menu.DestroyItems();
    m_ownerWindow = nullptr;
    m_menuTracking = FALSE;
  }
  if (menuId) {
    GlyphMenu::xpDrawOnXpSystem = xpLook;
    GlyphMenu::xpDrawOnClassicSystem = xpLook;
    if (!m_menu.LoadMenu(menuId)) return 1;
    if (toolbarId) {
      m_menu.SetMaskColour(transparent);
      m_menu.SetImageSize(imageWidth, imageHeight);
      if (!m_menu.LoadToolbarImages(toolbarId)) {
        m_menu.DestroyItems();
        return 1;
      }
    }
    m_ownerWindow = owner;
  }
  Repaint(repaint);
  return 0;
}

// ---- Images ---------------------------------------------------------------------------------------

COLORREF CSkinButton::DarkenColour(COLORREF colour, double factor) {
  if (factor < 0.0 || factor >= 1.0) return colour;
  auto lower = [factor](int c) { return static_cast<int>(c - c * factor); };
  return RGB(lower(GetRValue(colour)), lower(GetGValue(colour)), lower(GetBValue(colour)));
}

HBITMAP CSkinButton::CreateGrayscaleBitmap(HBITMAP bitmap, int width, int height, COLORREF transparent) {
  return ChangedCopy(bitmap, width, height, transparent, [](COLORREF c) {
    const int level = static_cast<int>(0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c));
    return RGB(level, level, level);
  });
}

HBITMAP CSkinButton::CreateDarkenedBitmap(HBITMAP bitmap, int width, int height, COLORREF transparent) {
  return ChangedCopy(bitmap, width, height, transparent, [](COLORREF c) { return DarkenColour(c, 0.25); });
}

HBITMAP CSkinButton::CreateMaskBitmap(HBITMAP source, int width, int height, COLORREF transparent) {
  UniqueDC sourceDC(CreateCompatibleDC(nullptr));
  UniqueDC maskDC(CreateCompatibleDC(nullptr));
  HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
  if (!sourceDC || !maskDC || !mask) {
    if (mask) DeleteObject(mask);
    return nullptr;
  }
  ScopedSelect selectSource(sourceDC.Get(), source);
  ScopedSelect selectMask(maskDC.Get(), mask);
  SetBkColor(sourceDC.Get(), transparent);
  BitBlt(maskDC.Get(), 0, 0, width, height, sourceDC.Get(), 0, 0, SRCCOPY);
  SetTextColor(sourceDC.Get(), RGB(255, 255, 255));
  SetBkColor(sourceDC.Get(), RGB(0, 0, 0));
  BitBlt(sourceDC.Get(), 0, 0, width, height, maskDC.Get(), 0, 0, SRCAND);
  return mask;
}

DWORD CSkinButton::FreeImages(BOOL destroy) {
  if (destroy) {
    for (Icon& icon : m_icons)
      if (icon.icon) DestroyIcon(icon.icon);
    if (m_icons[1].icon == m_icons[0].icon) m_icons[1].icon = nullptr;  // already destroyed
    // One bitmap given for both faces is deleted once.
    if (m_bitmaps[1].bitmap == m_bitmaps[0].bitmap) m_bitmaps[1].bitmap = nullptr;
    for (Bitmap& bitmap : m_bitmaps) {
      if (bitmap.bitmap) DeleteObject(bitmap.bitmap);
      if (bitmap.mask) DeleteObject(bitmap.mask);
    }
  }
  for (Icon& icon : m_icons) icon = Icon{};
  for (Bitmap& bitmap : m_bitmaps) bitmap = Bitmap{};
  return 0;
}

DWORD CSkinButton::SetBitmaps(INT_PTR inId, COLORREF inColour, INT_PTR outId, COLORREF outColour) {
  auto load = [](INT_PTR id) -> HBITMAP {
    if (id <= 0) return nullptr;
    LPCSTR name = MAKEINTRESOURCEA(static_cast<WORD>(id));
    return static_cast<HBITMAP>(LoadImageA(AfxFindResourceHandle(name, RT_BITMAP), name, IMAGE_BITMAP, 0, 0, 0));
  };
  HBITMAP in = load(inId);
  HBITMAP out = outId == SKIN_BITMAP_GRAY || outId == SKIN_BITMAP_DARK ? reinterpret_cast<HBITMAP>(outId) : load(outId);
  return SetBitmapsByHandle(in, inColour, out, outColour);
}

// The button takes the bitmaps it is given, also when it refuses them (a handle that is no bitmap
// is left alone: it may be anything).
DWORD CSkinButton::SetBitmapsByHandle(HBITMAP in, COLORREF inColour, HBITMAP out, COLORREF outColour) {
  FreeImages(TRUE);
  const auto code = reinterpret_cast<INT_PTR>(out);
  const bool derive = code == SKIN_BITMAP_DARK || code == SKIN_BITMAP_GRAY;
  auto releaseOut = [&] {
    if (out && out != in && !derive && GetObjectType(out) == OBJ_BITMAP) DeleteObject(out);
  };
  BITMAP info{};
  if (!in || GetObjectType(in) != OBJ_BITMAP || !GetObjectA(in, sizeof info, &info)) {
    releaseOut();
    return 1;
  }
  m_bitmaps[0] = {in, info.bmWidth, info.bmHeight, nullptr, inColour};
  if (derive) {
    // Made before the in bitmap's see-through pixels turn black under its mask.
    out = code == SKIN_BITMAP_DARK ? CreateDarkenedBitmap(in, info.bmWidth, info.bmHeight, inColour)
                                   : CreateGrayscaleBitmap(in, info.bmWidth, info.bmHeight, inColour);
    outColour = inColour;
  }
  m_bitmaps[0].mask = CreateMaskBitmap(in, info.bmWidth, info.bmHeight, inColour);
  if (!m_bitmaps[0].mask) {
    if (derive && out) DeleteObject(out);
    releaseOut();
    FreeImages(TRUE);
    return 2;
  }
  if (out) {
    BITMAP outInfo{};
    if (GetObjectType(out) != OBJ_BITMAP || !GetObjectA(out, sizeof outInfo, &outInfo)) {
      FreeImages(TRUE);
      return 1;
    }
    m_bitmaps[1] = {out, outInfo.bmWidth, outInfo.bmHeight, nullptr, outColour};
    // The same bitmap for both faces has already lost its see-through colour: it shares the mask.
    m_bitmaps[1].mask = out == in ? CopyMask(m_bitmaps[0].mask, outInfo.bmWidth, outInfo.bmHeight)
                                  : CreateMaskBitmap(out, outInfo.bmWidth, outInfo.bmHeight, outColour);
    if (!m_bitmaps[1].mask) {
      FreeImages(TRUE);
      return 2;
    }
  }
  Repaint();
  return 0;
}

// ---- Subclassing, messages ------------------------------------------------------------------------

void CSkinButton::PreSubclassWindow() {
  const DWORD style = GetStyle();
  m_buttonType = static_cast<BYTE>(style & 0x1F);
  if (style & 0x2) m_isCheckBox = TRUE;
  if (m_buttonType == BS_DEFPUSHBUTTON) {
    m_isDefault = TRUE;
    m_buttonType = BS_PUSHBUTTON;
  }
  ModifyStyle(0x1F, BS_OWNERDRAW, SWP_FRAMECHANGED);
  CButton::PreSubclassWindow();
}

void CSkinButton::InitToolTip() {
  if (m_tooltip.m_hWnd) return;
  if (!m_tooltip.Create(this, m_tooltipStyle)) return;
  m_tooltip.Activate(FALSE);
  m_tooltip.SetMaxTipWidth(400);
}

BOOL CSkinButton::PreTranslateMessage(MSG* msg) {
  InitToolTip();
  if (m_tooltip.m_hWnd) m_tooltip.RelayEvent(msg);
  // A double click is two clicks.
  if (msg->message == WM_LBUTTONDBLCLK) msg->message = WM_LBUTTONDOWN;
  return CButton::PreTranslateMessage(msg);
}

const AFX_MSGMAP* CSkinButton::GetMessageMap() const {
  static const AFX_MSGMAP map{CButton::GetMessageMap(),
                              {
                                  MapMessage(WM_SETCURSOR, &CSkinButton::OnSetCursor),
                                  MapMessage(WM_MOUSEMOVE, &CSkinButton::OnMouseMoveMessage),
                                  MapMessage(WM_MOUSELEAVE, &CSkinButton::OnMouseLeave),
                                  MapMessage(WM_KILLFOCUS, &CSkinButton::OnCancelHoverAfterDefault),
                                  MapMessage(WM_CANCELMODE, &CSkinButton::OnCancelHoverAfterDefault),
                                  MapMessage(WM_ENABLE, &CSkinButton::OnEnable),
                                  MapMessage(WM_ACTIVATE, &CSkinButton::OnActivate),
                                  MapMessage(WM_SYSCOLORCHANGE, &CSkinButton::OnSysColorChange),
                                  MapMessage(WM_GETDLGCODE, &CSkinButton::OnGetDlgCode),
                                  MapMessage(BM_SETSTYLE, &CSkinButton::OnSetStyle),
                                  MapMessage(BM_SETCHECK, &CSkinButton::OnSetCheck),
                                  MapMessage(BM_GETCHECK, &CSkinButton::OnGetCheck),
                                  // Reflected, then passed on: see OnClicked.
                                  {WM_REFLECT_BASE + WM_COMMAND, BN_CLICKED, 0, 0,
                                   [](CCmdTarget& target, AFX_CALL& call) {
                                     *call.result = 0;
                                     return static_cast<CSkinButton&>(target).OnClicked();
                                   }},
                                  MapCtlColorReflect(&CSkinButton::CtlColor),
                              }};
  return &map;
}

// The attached menu's measuring and mnemonics come here, the menu's owner; the class library would
// measure a pop-up entry with the wrong menu's settings otherwise.
LRESULT CSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MEASUREITEM) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    HMENU item = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(measure->itemID));
    if (measure->CtlType == ODT_MENU && ::IsMenu(item) && IsGlyphMenuPopup(item)) {
      m_menu.MeasureItem(measure);
      return TRUE;
    }
  }
  if (message == WM_MENUCHAR) {
    HMENU menu = reinterpret_cast<HMENU>(lParam);
    if (IsGlyphMenuPopup(menu)) return m_menu.FindMenuChar(LOWORD(wParam), HIWORD(wParam), menu);
  }
  return CButton::WindowProc(message, wParam, lParam);
}

LRESULT CSkinButton::OnSetCursor(WPARAM, LPARAM) {
  if (!m_cursor) return Default();
  ::SetCursor(m_cursor);
  return TRUE;
}

LRESULT CSkinButton::OnMouseMoveMessage(WPARAM wParam, LPARAM lParam) {
  OnMouseMove(wParam, lParam);
  return 0;
}

LRESULT CSkinButton::OnMouseLeave(WPARAM, LPARAM) {
  CancelHover();
  return 0;
}

LRESULT CSkinButton::OnCancelHoverAfterDefault(WPARAM, LPARAM) {
  const LRESULT result = Default();
  CancelHover();
  return result;
}

LRESULT CSkinButton::OnEnable(WPARAM wParam, LPARAM) {
  const LRESULT result = Default();
  if (!wParam) CancelHover();
  return result;
}

LRESULT CSkinButton::OnActivate(WPARAM wParam, LPARAM) {
  const LRESULT result = Default();
  if (LOWORD(wParam) == WA_INACTIVE) CancelHover();
  return result;
}

LRESULT CSkinButton::OnSysColorChange(WPARAM, LPARAM) {
  const LRESULT result = Default();
  DropParentBackground();
  SetDefaultColors(TRUE);
  return result;
}

LRESULT CSkinButton::OnGetDlgCode(WPARAM, LPARAM) {
  return Default() | (m_isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

// The dialog manager moves the default between buttons with BM_SETSTYLE: the button stays
// owner-drawn and remembers whether it is the default now.
LRESULT CSkinButton::OnSetStyle(WPARAM wParam, LPARAM lParam) {
  const UINT type = static_cast<UINT>(wParam) & 0x1F;
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) m_isDefault = type == BS_DEFPUSHBUTTON;
  return DefWindowProc(BM_SETSTYLE, (wParam & ~static_cast<WPARAM>(0x14)) | BS_OWNERDRAW, lParam);
}

LRESULT CSkinButton::OnSetCheck(WPARAM wParam, LPARAM) {
  SetCheck(wParam == BST_CHECKED || wParam == BST_INDETERMINATE ? 1 : 0, TRUE);
  return 0;
}

LRESULT CSkinButton::OnGetCheck(WPARAM, LPARAM) { return m_isChecked; }

HBRUSH CSkinButton::CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }

void CSkinButton::CancelHover() {
  if (m_isFlat && m_isHovered) {
    m_isHovered = FALSE;
    Repaint();
  }
}

void CSkinButton::OnMouseMove(WPARAM keys, LPARAM point) {
  Default();
  POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  ::ClientToScreen(m_hWnd, &at);
  HWND under = ::WindowFromPoint(at);
  if ((keys & MK_LBUTTON) && !m_isHovered) return;
  if (!m_isFlat) return;
  if (under == m_hWnd && (m_trackWhenInactive || ::GetActiveWindow())) {
    if (m_isHovered) return;
    m_isHovered = TRUE;
    Repaint();
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
    _TrackMouseEvent(&track);
  } else {
    CancelHover();
  }
}

// The check-box and menu roles are the button's own business: their click stops here. Any other
// click is the dialog's command as well, so the parent gets BN_CLICKED after the button has acted.
BOOL CSkinButton::OnClicked() {
  ::SetFocus(m_hWnd);
  if (m_isCheckBox) {
    m_isChecked = !m_isChecked;
    Repaint();
    return TRUE;
  }
  if (m_menu.m_hMenu) {
    m_menuTracking = TRUE;
    Repaint();
    CMenu* sub = m_menu.GetSubMenu(0);
    if (m_menuNotify.window)
      ::SendMessageA(m_menuNotify.window, m_menuNotify.message, reinterpret_cast<WPARAM>(sub), m_menuNotify.parameter);
    RECT rect;
    GetWindowRect(&rect);
    const UINT chosen =
        sub ? static_cast<UINT>(sub->TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, rect.left, rect.bottom, this))
            : 0;
    m_menuTracking = FALSE;
    Repaint();
    if (chosen) ::PostMessageA(m_ownerWindow, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return TRUE;
  }
  if (m_url[0]) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = m_url;
    info.nShow = SW_SHOWMAXIMIZED;
    ShellExecuteExA(&info);  // a failure shows nothing
  }
  return FALSE;
}

// ---- Painting -------------------------------------------------------------------------------------

void CSkinButton::DropParentBackground() {
  if (m_backgroundDC) {
    SelectObject(m_backgroundDC, m_oldBitmap);
    DeleteDC(m_backgroundDC);
  }
  if (m_backgroundBitmap) DeleteObject(m_backgroundBitmap);
  m_backgroundDC = nullptr;
  m_backgroundBitmap = nullptr;
  m_oldBitmap = nullptr;
}

void CSkinButton::PaintParentBackground(CDC* dc, const RECT& rect) {
  if (!m_backgroundDC) {
    HWND parent = ::GetParent(m_hWnd);
    RECT client, window;
    ::GetClientRect(m_hWnd, &client);
    ::GetWindowRect(m_hWnd, &window);
    POINT corner{window.left, window.top};
    ::ScreenToClient(parent, &corner);
    HDC parentDC = ::GetDC(parent);
    m_backgroundDC = CreateCompatibleDC(parentDC);
    m_backgroundBitmap = CreateCompatibleBitmap(parentDC, Width(client), Height(client));
    m_oldBitmap = SelectObject(m_backgroundDC, m_backgroundBitmap);
    BitBlt(m_backgroundDC, 0, 0, Width(client), Height(client), parentDC, corner.x, corner.y, SRCCOPY);
    ::ReleaseDC(parent, parentDC);
  }
  BitBlt(*dc, rect.left, rect.top, Width(rect), Height(rect), m_backgroundDC, rect.left, rect.top, SRCCOPY);
}

void CSkinButton::DrawBackground(CDC* dc, RECT& rect) {
  if (!m_isFlat && (m_isFocused || m_isDefault)) {
    FrameRect(*dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&rect, -1, -1);
  }
  const COLORREF fill = m_isHovered || m_isPressed ? m_colours[kSkinInBack]
                        : m_isFocused              ? m_colours[kSkinFocusBack]
                                                   : m_colours[kSkinOutBack];
  FillSolid(*dc, rect, fill);
}

void CSkinButton::DrawBorder(CDC* dc, const RECT& r) {
  if (m_isPressed) {
    if (m_isFlat) {
      if (m_drawBorder) Draw3dRect(*dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    } else {
      UniqueBrush shadow(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
      FrameRect(*dc, &r, shadow.Get());
    }
    return;
  }
  if (!m_isFlat) {
    const int l = r.left, t = r.top, rr = r.right, b = r.bottom;
    Line(*dc, COLOR_BTNHIGHLIGHT, {{l, b - 1}, {l, t}, {rr, t}});
    Line(*dc, COLOR_3DLIGHT, {{l + 1, b - 1}, {l + 1, t + 1}, {rr, t + 1}});
    Line(*dc, COLOR_3DDKSHADOW, {{l, b - 1}, {rr - 1, b - 1}, {rr - 1, t - 1}});
    Line(*dc, COLOR_BTNSHADOW, {{l + 1, b - 2}, {rr - 2, b - 2}, {rr - 2, t}});
    return;
  }
  if (m_isHovered && m_drawBorder) Draw3dRect(*dc, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

int CSkinButton::ChosenImage(bool outSet) const {
  if (m_isCheckBox) return m_isPressed || !outSet ? 0 : 1;
  return m_isPressed || m_isHovered || !outSet ? 0 : 1;
}

RECT CSkinButton::PlaceImage(int width, int height, BOOL hasTitle, const RECT& item, RECT& caption, BOOL pressed) const {
  RECT image{item.left, item.top, item.left + width, item.top + height};
  const int centreX = item.left + (Width(item) - width) / 2;
  const int centreY = item.top + (Height(item) - height) / 2;
  switch (m_align) {
    case kSkinImageLeft:
      image.left = hasTitle ? item.left + m_imageMarginX : centreX;
      if (hasTitle) caption.left += m_imageMarginX + width;
      image.top = centreY;
      break;
    case kSkinImageAbove:
      image.left = centreX;
      image.top = hasTitle ? m_imageMarginY : centreY;
      if (hasTitle) caption.top += height;
      break;
    case kSkinImageRight: {
      RECT client;
      ::GetClientRect(m_hWnd, &client);
      if (hasTitle) {
        caption.right -= caption.left + m_imageMarginX + width;
        caption.left = m_imageMarginX;
        image.left = Width(client) - m_imageMarginX - width;
      } else {
        image.left = centreX;
      }
      image.top = centreY;  // centred without a caption too, like the other alignments
      break;
    }
  }
  image.right = image.left + width;
  image.bottom = image.top + height;
  if (pressed && !m_isCheckBox) OffsetRect(&image, m_pressedOffsetX, m_pressedOffsetY);
  return image;
}

void CSkinButton::DrawIcon(CDC* dc, BOOL hasTitle, const RECT& item, RECT& caption, BOOL pressed, BOOL disabled) {
  const Icon& icon = m_icons[ChosenImage(m_icons[1].icon != nullptr)];
  const RECT at = PlaceImage(icon.width, icon.height, hasTitle, item, caption, pressed);
  DrawStateA(*dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.icon), 0, at.left, at.top, icon.width, icon.height,
             DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
}

void CSkinButton::DrawBitmap(CDC* dc, BOOL hasTitle, const RECT& item, RECT& caption, BOOL pressed, BOOL disabled) {
  const Bitmap& bitmap = m_bitmaps[ChosenImage(m_bitmaps[1].bitmap != nullptr)];
  const RECT at = PlaceImage(bitmap.width, bitmap.height, hasTitle, item, caption, pressed);
  UniqueDC memory(CreateCompatibleDC(*dc));
  if (!memory) return;
  auto put = [&](HDC target, int x, int y) {
    // The mask clears the picture's place (its 1 bits take the white background and keep what is
    // there); the picture, black where see-through, is ORed in.
    SetBkColor(target, RGB(255, 255, 255));
    SetTextColor(target, RGB(0, 0, 0));
    {
      ScopedSelect select(memory.Get(), bitmap.mask);
      BitBlt(target, x, y, bitmap.width, bitmap.height, memory.Get(), 0, 0, SRCAND);
    }
    ScopedSelect select(memory.Get(), bitmap.bitmap);
    BitBlt(target, x, y, bitmap.width, bitmap.height, memory.Get(), 0, 0, SRCPAINT);
  };
  if (!disabled || !m_grayDisabledBitmap) {
    put(*dc, at.left, at.top);
    return;
  }
  UniqueDC offscreen(CreateCompatibleDC(*dc));
  UniqueBitmap canvas(CreateCompatibleBitmap(nullptr, bitmap.width, bitmap.height));
  if (!offscreen || !canvas) return;
  {
    ScopedSelect select(offscreen.Get(), canvas.Get());
    FillSolid(offscreen.Get(), {0, 0, bitmap.width, bitmap.height}, RGB(255, 255, 255));
    put(offscreen.Get(), 0, 0);
  }
  DrawStateA(*dc, nullptr, nullptr, reinterpret_cast<LPARAM>(canvas.Get()), 0, at.left, at.top, bitmap.width,
             bitmap.height, DST_BITMAP | DSS_DISABLED);
}

void CSkinButton::DrawText(CDC* dc, LPCSTR title, RECT& caption, BOOL pressed, BOOL disabled) {
  if (pressed && !m_isCheckBox) OffsetRect(&caption, m_pressedOffsetX, m_pressedOffsetY);
  RECT centred = caption;
  ::DrawTextA(*dc, title, -1, &centred, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  OffsetRect(&centred, (Width(caption) - Width(centred)) / 2, (Height(caption) - Height(centred)) / 2);
  if (disabled) {
    OffsetRect(&centred, 1, 1);
    SetTextColor(*dc, GetSysColor(COLOR_3DHILIGHT));
    ::DrawTextA(*dc, title, -1, &centred, DT_WORDBREAK | DT_CENTER);
    OffsetRect(&centred, -1, -1);
    SetTextColor(*dc, GetSysColor(COLOR_3DSHADOW));
    ::DrawTextA(*dc, title, -1, &centred, DT_WORDBREAK | DT_CENTER);
    return;
  }
  const auto [text, back] = m_isHovered || m_isPressed ? std::pair{kSkinInText, kSkinInBack}
                            : m_isFocused              ? std::pair{kSkinFocusText, kSkinFocusBack}
                                                       : std::pair{kSkinOutText, kSkinOutBack};
  SetTextColor(*dc, m_colours[text]);
  SetBkColor(*dc, m_colours[back]);
  ::DrawTextA(*dc, title, -1, &centred, DT_WORDBREAK | DT_CENTER);
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT draw) {
  CDC* dc = CDC::FromHandle(draw->hDC);
  m_isPressed = m_isCheckBox ? ((draw->itemState & ODS_SELECTED) || m_isChecked)
                             : ((draw->itemState & ODS_SELECTED) || m_menuTracking);
  m_isFocused = (draw->itemState & ODS_FOCUS) != 0;
  m_isDisabled = (draw->itemState & ODS_DISABLED) != 0;
  RECT item = draw->rcItem;
  SetBkMode(*dc, TRANSPARENT);
  // The owner-draw DC has no font of the button's: select it for the caption.
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
  ScopedSelect selectFont(*dc, font);

  if (m_transparent) PaintParentBackground(dc, item);
  else DrawBackground(dc, item);
  DrawBorder(dc, item);

  CString title;
  GetWindowText(title);
  const BOOL hasTitle = !title.IsEmpty();
  RECT caption = draw->rcItem;
  if (m_icons[0].icon) DrawIcon(dc, hasTitle, draw->rcItem, caption, m_isPressed, m_isDisabled);
  if (m_bitmaps[0].bitmap) {
    SetBkColor(*dc, RGB(255, 255, 255));
    DrawBitmap(dc, hasTitle, draw->rcItem, caption, m_isPressed, m_isDisabled);
  }
  if (hasTitle) DrawText(dc, title, caption, m_isPressed, m_isDisabled);
  if (m_isFocused && (!m_isFlat || m_flatFocus)) DrawFocusRect(*dc, &item);
}
