// GlyphMenu's drawing and images: an entry drawn in the XP-like look (an image bar at the left, a
// framed selection) or the classic look (raised image boxes, a filled selection), and the shared
// command images with their faded and shadow copies, taken from toolbar resources.
//
// Faded and shadow copies are made once, pixel by pixel, when an image is added, so drawing an entry
// only blits images.
#include "GlyphMenu.h"

#include "MenuImageToolBar.h"

#include <controls/CommCtrl.h>
#include <framework/App.h>
#include <framework/ModuleState.h>
#include <framework/Wnd.h>
#include <gdi/Unique.h>
#include <kernel/Module.h>
#include <resources/Resource.h>

#include <algorithm>
#include <string>

using tolvar::gdi::ScopedSelect;
using tolvar::gdi::UniqueBitmap;
using tolvar::gdi::UniqueBrush;
using tolvar::gdi::UniqueDC;
using tolvar::gdi::UniqueFont;
using tolvar::gdi::UniquePen;

namespace {

// The images every GlyphMenu shares, with the command of each entry.
struct CommandImageStore {
  HIMAGELIST list = nullptr;
  std::vector<UINT> ids;
  ~CommandImageStore() {
    if (list) ImageList_Destroy(list);
  }
};

CommandImageStore& Store() {
  static CommandImageStore store;
  return store;
}

int Truncate(double value) { return static_cast<int>(value); }

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.Get());
}

void Frame(HDC dc, const RECT& rect, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FrameRect(dc, &rect, brush.Get());
}

// A one-pixel frame, `topLeft` on the top and left edges and `bottomRight` on the others.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  FillSolid(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

UniqueFont MenuFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return UniqueFont(CreateFontIndirectA(&metrics.lfMenuFont));
}

// The text split at tabs: the part before the first tab on the left, the part after the last one
// right-aligned one image width before the edge.
void DrawEntryText(HDC dc, const std::u16string& text, RECT rect, int imageWidth, COLORREF colour) {
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  const std::size_t first = text.find(u'\t');
  std::u16string left = text.substr(0, first), right;
  if (first != std::u16string::npos) {
    right = text.substr(text.rfind(u'\t') + 1);
    rect.right -= imageWidth;
  }
  DrawTextW(dc, left.c_str(), static_cast<int>(left.size()), &rect, DT_SINGLELINE | DT_VCENTER);
  if (!right.empty()) DrawTextW(dc, right.c_str(), static_cast<int>(right.size()), &rect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

// A checked entry shows a dot when it is a radio entry.
bool IsRadio(HMENU menu, UINT id) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_CHECKMARKS | MIIM_FTYPE;
  if (!GetMenuItemInfoA(menu, id, FALSE, &info)) return false;
  return info.hbmpChecked != nullptr || (info.fType & MFT_RADIOCHECK);
}

// The number of colours a bitmap resource's table holds (0 above 8 bits per pixel).
int ColourCount(HINSTANCE module, UINT_PTR id) {
  HRSRC found = FindResourceA(module, reinterpret_cast<LPCSTR>(id), RT_BITMAP);
  if (!found) return 0;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (!bytes || SizeofResource(module, found) < 40) return 0;
  const WORD bits = static_cast<WORD>(bytes[14] | (bytes[15] << 8));
  const DWORD used = static_cast<DWORD>(bytes[32] | (bytes[33] << 8) | (bytes[34] << 16) | (bytes[35] << 24));
  if (used) return static_cast<int>(used);
  return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

// A bitmap's pixels changed one by one through a memory DC.
template <class Change>
void ChangePixels(HBITMAP bitmap, Change change) {
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof info, &info)) return;
  UniqueDC dc(CreateCompatibleDC(nullptr));
  ScopedSelect select(dc.Get(), bitmap);
  for (int y = 0; y < info.bmHeight; ++y)
    for (int x = 0; x < info.bmWidth; ++x) {
      const COLORREF pixel = GetPixel(dc.Get(), x, y);
      const COLORREF changed = change(pixel);
      if (changed != pixel) SetPixel(dc.Get(), x, y, changed);
    }
}

// The face colour as the display renders it: pixel (1, 1) of a small bitmap filled with it.
COLORREF RenderedColour(COLORREF colour) {
  UniqueDC dc(CreateCompatibleDC(nullptr));
  UniqueBitmap bitmap(CreateCompatibleBitmap(nullptr, 2, 2));  // a null DC stands for the screen
  ScopedSelect select(dc.Get(), bitmap.Get());
  FillSolid(dc.Get(), {0, 0, 2, 2}, colour);
  return GetPixel(dc.Get(), 1, 1);
}

// Adds a bitmap to `list` with `transparent` as its see-through colour, as one icon.
HICON IconOf(HBITMAP bitmap, int width, int height, COLORREF transparent) {
  HIMAGELIST temporary = ImageList_Create(width, height, ILC_COLORDDB | ILC_MASK, 1, 1);
  HICON icon = nullptr;
  if (ImageList_AddMasked(temporary, bitmap, transparent) >= 0) icon = ImageList_GetIcon(temporary, 0, ILD_NORMAL);
  ImageList_Destroy(temporary);
  return icon;
}

}  // namespace

COLORREF LightenColour(COLORREF colour, double factor) {
  if (factor < 0.0 || factor >= 1.0) return colour;
  auto lift = [factor](int c) { return Truncate(c + (255 - c) * factor); };
  return RGB(lift(GetRValue(colour)), lift(GetGValue(colour)), lift(GetBValue(colour)));
}

void DrawCheckMark(HDC dc, int x, int y, COLORREF colour) {
  UniquePen pen(CreatePen(PS_SOLID, 1, colour));
  ScopedSelect select(dc, pen.Get());
  static constexpr int kStrokes[][4] = {{0, 2, 0, 5}, {1, 3, 1, 6}, {2, 4, 2, 7}, {3, 3, 3, 6},
                                        {4, 2, 4, 5}, {5, 1, 5, 4}, {6, 0, 6, 3}};
  for (const auto& s : kStrokes) {
    MoveToEx(dc, x + s[0], y + s[1], nullptr);
    LineTo(dc, x + s[2], y + s[3]);
  }
}

void DrawRadioDot(HDC dc, int x, int y, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  UniquePen pen(CreatePen(PS_SOLID, 1, colour));
  ScopedSelect selectBrush(dc, brush.Get());
  ScopedSelect selectPen(dc, pen.Get());
  Ellipse(dc, x, y, x + 6, y + 6);
}

// ---- The shared command images --------------------------------------------------------------------

HIMAGELIST GlyphMenu::CommandImages() { return Store().list; }
const std::vector<UINT>& GlyphMenu::CommandImageIds() { return Store().ids; }

BOOL GlyphMenu::HasImageTriplet(int index) {
  const auto& ids = Store().ids;
  if (index < 0 || static_cast<std::size_t>(index) + 2 >= ids.size()) return FALSE;
  const auto i = static_cast<std::size_t>(index);
  return ids[i + 1] == ids[i] && ids[i + 2] == ids[i];
}

BOOL GlyphMenu::IconToBitmap(HDC dc, HIMAGELIST list, int index, HBITMAP* bitmap) {
  *bitmap = CreateCompatibleBitmap(dc, m_imageWidth, m_imageHeight);
  UniqueDC memory(CreateCompatibleDC(dc));
  ScopedSelect select(memory.Get(), *bitmap);
  FillSolid(memory.Get(), {0, 0, m_imageWidth, m_imageHeight}, m_faceColour);
  if (HICON icon = ImageList_GetIcon(list, index, ILD_NORMAL)) {
    DrawIconEx(memory.Get(), 0, 0, icon, m_imageWidth, m_imageHeight, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
  }
  return TRUE;
}

void GlyphMenu::MakeFadedImage(HBITMAP bitmap) {
  const COLORREF face = RenderedColour(m_faceColour);
  ChangePixels(bitmap, [&](COLORREF pixel) { return pixel == face ? pixel : LightenColour(pixel, 0.3); });
}

void GlyphMenu::MakeShadowImage(HBITMAP bitmap) {
  const COLORREF face = RenderedColour(m_faceColour);
  const COLORREF shadow = IsXPLook() ? m_maskShadowColour : LightenColour(m_maskShadowColour, 0.49);
  ChangePixels(bitmap, [&](COLORREF pixel) { return pixel == face ? pixel : shadow; });
}

BOOL GlyphMenu::AddBitmapToList(HIMAGELIST list, UINT_PTR bitmapId) {
  if (m_imagesAreIcons) return ImageList_ReplaceIcon(list, -1, reinterpret_cast<HICON>(bitmapId)) >= 0;
  LPCSTR name = reinterpret_cast<LPCSTR>(bitmapId);
  HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
  // A 16-colour drawing is in the classic button colours: it takes the system's, as toolbars do.
  UniqueBitmap bitmap(ColourCount(module, bitmapId) == 16 ? CreateMappedBitmap(module, static_cast<INT_PTR>(bitmapId), 0, nullptr, 0)
                                                          : LoadBitmapA(module, name));
  if (!bitmap) return FALSE;
  if (ImageList_AddMasked(list, bitmap.Get(), m_useMaskColour ? m_maskColour : m_faceColour) < 0) return FALSE;
  if (GetLookOption() && shadeImages) {
    // On the main window's DC; without a main window a null DC stands for the screen (a DC of no
    // window is a memory DC here, whose compatible bitmaps would be monochrome).
    CWnd* main = AfxGetMainWnd();
    HWND window = main ? main->GetSafeHwnd() : nullptr;
    HDC dc = window ? GetDC(window) : nullptr;
    HBITMAP faded = nullptr, shadow = nullptr;
    IconToBitmap(dc, list, 0, &faded);
    IconToBitmap(dc, list, 0, &shadow);
    if (dc) ReleaseDC(window, dc);
    UniqueBitmap fadedOwner(faded), shadowOwner(shadow);
    MakeFadedImage(faded);
    MakeShadowImage(shadow);
    ImageList_AddMasked(list, faded, m_faceColour);
    ImageList_AddMasked(list, shadow, m_faceColour);
  }
  return TRUE;
}

int GlyphMenu::AddCommandImage(HIMAGELIST source, int index, UINT command) {
  CommandImageStore& store = Store();
  if (!store.list) store.list = ImageList_Create(m_imageWidth, m_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1);
  HICON icon = ImageList_GetIcon(source, index, ILD_NORMAL);
  if (!icon) return -1;
  const bool shading = GetLookOption() && shadeImages;
  HICON faded = nullptr, shadow = nullptr;
  if (shading) {
    HBITMAP fadedBits = nullptr, shadowBits = nullptr;
    IconToBitmap(nullptr, source, index, &fadedBits);  // the screen's kind of bitmap
    IconToBitmap(nullptr, source, index, &shadowBits);
    UniqueBitmap fadedOwner(fadedBits), shadowOwner(shadowBits);
    MakeFadedImage(fadedBits);
    MakeShadowImage(shadowBits);
    const COLORREF face = RenderedColour(m_faceColour);
    faded = IconOf(fadedBits, m_imageWidth, m_imageHeight, face);
    shadow = IconOf(shadowBits, m_imageWidth, m_imageHeight, face);
  }
  int result = -1;
  auto at = std::find(store.ids.begin(), store.ids.end(), command);
  if (at != store.ids.end()) {
    result = static_cast<int>(at - store.ids.begin());
    ImageList_ReplaceIcon(store.list, result, icon);
    if (shading && HasImageTriplet(result)) {
      if (faded) ImageList_ReplaceIcon(store.list, result + 1, faded);
      if (shadow) ImageList_ReplaceIcon(store.list, result + 2, shadow);
    }
  } else {
    result = ImageList_ReplaceIcon(store.list, -1, icon);
    if (result >= 0) {
      store.ids.push_back(command);
      if (shading && faded && shadow) {
        ImageList_ReplaceIcon(store.list, -1, faded);
        ImageList_ReplaceIcon(store.list, -1, shadow);
        store.ids.push_back(command);
        store.ids.push_back(command);
      }
    }
  }
  DestroyIcon(icon);
  if (faded) DestroyIcon(faded);
  if (shadow) DestroyIcon(shadow);
  return result;
}

BOOL GlyphMenu::LoadToolbarImages(UINT toolbarId) {
  MenuImageToolBar toolbar;
  if (!toolbar.LoadToolBar(toolbarId)) return FALSE;
  SetImageSize(std::max(m_imageWidth, toolbar.ImageWidth()), std::max(m_imageHeight, toolbar.ImageHeight()));
  HIMAGELIST temporary = ImageList_Create(m_imageWidth, m_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1);
  if (!AddBitmapToList(temporary, toolbarId)) {
    ImageList_Destroy(temporary);
    return FALSE;
  }
  const auto& buttons = toolbar.Buttons();
  for (std::size_t position = 0; position < buttons.size(); ++position) {
    const UINT command = buttons[position];
    if (!command || GetMenuState(command, MF_BYCOMMAND) == static_cast<UINT>(-1)) continue;
    // The button's own picture: counting positions would shift past every separator before it.
    ModifyItemImage(nullptr, command, temporary, toolbar.ImageOfButton(static_cast<int>(position)));
  }
  ImageList_Destroy(temporary);
  return TRUE;
}

// ---- Drawing --------------------------------------------------------------------------------------

std::pair<HIMAGELIST, int> GlyphMenu::ImageOf(const GlyphMenuItem& item) const {
  if (item.m_ownImageMarker < 0 && item.m_commandImageIndex >= 0 && Store().list)
    return {Store().list, item.m_commandImageIndex};
  if (item.m_ownImageMarker >= 0 && item.m_ownImageList) return {item.m_ownImageList, item.m_ownImageIndex};
  return {nullptr, -1};
}

void GlyphMenu::DrawDisabledImage(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, int sourceX,
                                  int sourceY, COLORREF background) {
  UniqueDC maskDC(CreateCompatibleDC(dc));
  UniqueDC imageDC(CreateCompatibleDC(dc));
  UniqueBitmap mask(CreateBitmap(width, height, 1, 1, nullptr));
  if (!maskDC || !imageDC || !mask) return;
  ScopedSelect selectMask(maskDC.Get(), mask.Get());
  ScopedSelect selectImage(imageDC.Get(), bitmap);
  // The mask: white where the image shows the face or the highlight colour, black elsewhere.
  PatBlt(maskDC.Get(), 0, 0, width, height, WHITENESS);
  SetBkColor(imageDC.Get(), m_maskFaceColour);
  BitBlt(maskDC.Get(), 0, 0, width, height, imageDC.Get(), sourceX, sourceY, SRCCOPY);
  SetBkColor(imageDC.Get(), m_highlightColour2);
  BitBlt(maskDC.Get(), 0, 0, width, height, imageDC.Get(), sourceX, sourceY, SRCPAINT);
  // The shape in the highlight colour one pixel down and right, then in the shadow colour in place.
  FillSolid(imageDC.Get(), {0, 0, width, height}, background);
  SetTextColor(imageDC.Get(), RGB(255, 255, 255));
  SetBkColor(imageDC.Get(), RGB(0, 0, 0));
  constexpr DWORD kBrushWhereMaskIsBlack = 0x00E20746;
  {
    UniqueBrush highlight(CreateSolidBrush(m_highlightColour2));
    ScopedSelect selectBrush(imageDC.Get(), highlight.Get());
    BitBlt(imageDC.Get(), 0, 0, width, height, maskDC.Get(), 0, 0, kBrushWhereMaskIsBlack);
    BitBlt(dc, x + 1, y + 1, width, height, imageDC.Get(), 0, 0, SRCCOPY);
    BitBlt(imageDC.Get(), 1, 1, width, height, maskDC.Get(), 0, 0, kBrushWhereMaskIsBlack);
  }
  UniqueBrush shadow(CreateSolidBrush(m_maskShadowColour));
  ScopedSelect selectBrush(imageDC.Get(), shadow.Get());
  BitBlt(imageDC.Get(), 0, 0, width, height, maskDC.Get(), 0, 0, kBrushWhereMaskIsBlack);
  BitBlt(dc, x, y, width, height, imageDC.Get(), 0, 0, SRCCOPY);
}

void GlyphMenu::DrawCheckBox(HDC dc, const RECT& rect, BOOL selected, BOOL radio) {
  const COLORREF background = IsXPLook() ? m_faceColour : m_classicBackColour;
  FillSolid(dc, rect, selected ? background : LightenColour(background, 0.6));
  if (IsNewShellWindows()) {
    RECT edge = rect;
    DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
  }
  if (radio) DrawRadioDot(dc, rect.left + 5, rect.top + 4, m_textColour);
  else DrawCheckMark(dc, rect.left + 4, rect.top + 4, m_textColour);
}

void GlyphMenu::DrawCheckBoxXP(HDC dc, const RECT& rect, COLORREF frame, BOOL radio) {
  FillSolid(dc, rect, LightenColour(frame, 0.85));
  Frame(dc, rect, frame);
  if (radio) DrawRadioDot(dc, rect.left + 5, rect.top + 4, m_textColour);
  else DrawCheckMark(dc, rect.left + 5, rect.top + 4, m_textColour);
}

void GlyphMenu::DrawItem(LPDRAWITEMSTRUCT draw) {
  if (!draw || !draw->itemData) return;
  const bool palette = (GetDeviceCaps(draw->hDC, RASTERCAPS) & RC_PALETTE) != 0;
  if (!palette && GetLookOption()) DrawItemXP(draw);
  else DrawItemClassic(draw);
}

void GlyphMenu::DrawItemClassic(LPDRAWITEMSTRUCT draw) {
  const auto& item = *reinterpret_cast<const GlyphMenuItem*>(draw->itemData);
  HDC dc = draw->hDC;
  const RECT r = draw->rcItem;
  const int W = m_imageWidth, H = m_imageHeight;
  const COLORREF bg = IsXPLook() ? m_faceColour : m_classicBackColour;
  // The window manager's DC has no menu font; the entry gets the menu's own or the system's.
  UniqueFont systemFont = m_hasCustomFont ? UniqueFont() : MenuFont();
  ScopedSelect selectFont(dc, m_hasCustomFont ? m_font : systemFont.Get());
  const bool disabled = (draw->itemState & ODS_GRAYED) != 0;
  const bool checked = (draw->itemState & ODS_CHECKED) != 0;
  bool selected = (draw->itemState & ODS_SELECTED) != 0;
  if (disabled && !selectDisabledClassic) selected = false;

  if (item.m_flags & MF_SEPARATOR) {
    FillSolid(dc, r, bg);
    RECT line{r.left, r.top + (r.bottom - r.top) / 2, r.right, r.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  const auto [images, index] = ImageOf(item);
  const bool hasImage = images != nullptr;
  COLORREF textColour = m_textColour;
  if (selected) {
    RECT selection = hasImage || checked ? RECT{r.left + W + 5, r.top, r.right, r.bottom} : r;
    FillSolid(dc, selection, m_selectColour);
    textColour = m_selectTextColour;
  } else {
    FillSolid(dc, r, bg);
    Frame(dc, r, bg);
  }
  const int dy = std::max(0, (r.bottom - r.top - H - 4) / 2);
  if (hasImage) {
    const RECT inner{r.left + 1, r.top + dy + 1, r.left + W + 3, r.top + dy + H + 3};
    const RECT outer{r.left, r.top + dy, r.left + W + 4, r.top + dy + H + 4};
    const POINT at{r.left + 2, r.top + dy + 2};
    Frame(dc, inner, bg);
    if (disabled) {
      Frame(dc, outer, bg);
      HBITMAP rendered = nullptr;
      IconToBitmap(dc, images, index, &rendered);
      UniqueBitmap owner(rendered);
      DrawDisabledImage(dc, at.x, at.y, W, H, rendered, 0, 0, bg);
    } else if (selected) {
      FillSolid(dc, inner, bg);
      if (IsNewShellWindows()) {
        if (checked) Draw3dRect(dc, outer, m_shadowColour, m_highlightColour);
        else Draw3dRect(dc, outer, m_highlightColour, m_shadowColour);
      }
      ImageList_Draw(images, index, dc, at.x, at.y, ILD_TRANSPARENT);
    } else if (checked) {
      FillSolid(dc, inner, LightenColour(bg, 0.6));
      if (IsNewShellWindows()) Draw3dRect(dc, outer, m_shadowColour, m_highlightColour);
      ImageList_Draw(images, index, dc, at.x, at.y, ILD_TRANSPARENT);
    } else {
      FillSolid(dc, inner, bg);
      Frame(dc, outer, bg);
      ImageList_Draw(images, index, dc, at.x, at.y, ILD_TRANSPARENT);
    }
  } else if (checked) {
    DrawCheckBox(dc, {r.left + 1, r.top + dy + 2, r.left + W + 1, r.top + dy + H + 2}, selected,
                 IsRadio(reinterpret_cast<HMENU>(draw->hwndItem), draw->itemID));
  }
  if (!item.m_text || item.m_text->empty()) return;
  const RECT textRect{r.left + W + 9, r.top - 1, r.right, r.bottom - 1};
  if (!disabled) {
    DrawEntryText(dc, *item.m_text, textRect, W, textColour);
  } else if (selected) {
    DrawEntryText(dc, *item.m_text, textRect, W, bg);
  } else {
    RECT embossed = textRect;
    OffsetRect(&embossed, 1, 1);
    DrawEntryText(dc, *item.m_text, embossed, W, m_highlightColour2);
    DrawEntryText(dc, *item.m_text, textRect, W, m_grayTextColour);
  }
}

void GlyphMenu::DrawItemXP(LPDRAWITEMSTRUCT draw) {
  const auto& item = *reinterpret_cast<const GlyphMenuItem*>(draw->itemData);
  HDC dc = draw->hDC;
  const RECT r = draw->rcItem;
  const int W = m_imageWidth, H = m_imageHeight;
  const bool xp = IsXPLook();
  const COLORREF bar = xp ? m_faceColour : LightenColour(m_faceColour, 0.25);
  const COLORREF textArea = m_windowColour;
  const int m = shadeImages ? 7 : 4;
  const int barWidth = W + m;
  const COLORREF selectionFill = LightenColour(m_selectColour, xp ? 0.7 : 0.85);
  const COLORREF selectionFrame = m_selectColour;
  UniqueFont systemFont = m_hasCustomFont ? UniqueFont() : MenuFont();
  ScopedSelect selectFont(dc, m_hasCustomFont ? m_font : systemFont.Get());
  const bool disabled = (draw->itemState & ODS_GRAYED) != 0;
  const bool checked = (draw->itemState & ODS_CHECKED) != 0;
  bool selected = (draw->itemState & ODS_SELECTED) != 0;
  if (disabled && !selectDisabledXp) selected = false;

  const RECT barRect{r.left, r.top, r.left + barWidth, r.bottom};
  if (item.m_flags & MF_SEPARATOR) {
    FillSolid(dc, r, textArea);
    RECT line{r.left + barWidth + m, r.top + (r.bottom - r.top) / 2, r.right, r.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    FillSolid(dc, barRect, bar);
    Frame(dc, barRect, bar);
    return;
  }
  if (selected) {
    FillSolid(dc, r, selectionFill);
    Frame(dc, r, selectionFrame);
  } else {
    FillSolid(dc, r, textArea);
    FillSolid(dc, barRect, bar);
    Frame(dc, r, textArea);
    Frame(dc, barRect, bar);
  }
  const int dy = std::max(0, Truncate((r.bottom - r.top - H + 1) * 0.5));
  const int dx = std::max(0, Truncate((barWidth - W + 1) * 0.5));
  const POINT at{r.left + dx, r.top + dy};
  const auto [images, index] = ImageOf(item);
  const bool triplet = shadeImages && images == Store().list && HasImageTriplet(index);
  if (images) {
    const RECT box{r.left + 1, r.top + 1, r.left + barWidth - 1, r.bottom - 1};
    if (disabled) {
      HBITMAP rendered = nullptr;
      IconToBitmap(dc, images, index, &rendered);
      UniqueBitmap owner(rendered);
      DrawDisabledImage(dc, at.x, at.y, W, H, rendered, 0, 0, selected ? selectionFill : bar);
      if (selected) Frame(dc, r, selectionFrame);
    } else if (selected) {
      FillSolid(dc, box, selectionFill);
      if (checked) {
        Frame(dc, box, selectionFrame);
        ImageList_Draw(images, index, dc, at.x - 1, at.y - 1, ILD_TRANSPARENT);
      } else if (triplet) {
        ImageList_Draw(images, index + 2, dc, at.x + 1, at.y + 1, ILD_TRANSPARENT);
        ImageList_Draw(images, index, dc, at.x - 1, at.y - 1, ILD_TRANSPARENT);
      } else {
        ImageList_Draw(images, index, dc, at.x, at.y, ILD_TRANSPARENT);
      }
    } else if (checked) {
      FillSolid(dc, box, LightenColour(selectionFrame, 0.85));
      Frame(dc, box, selectionFrame);
      ImageList_Draw(images, index, dc, at.x - 1, at.y - 1, ILD_TRANSPARENT);
    } else {
      FillSolid(dc, box, bar);
      Frame(dc, box, bar);
      ImageList_Draw(images, triplet ? index + 1 : index, dc, at.x, at.y, ILD_TRANSPARENT);
    }
  } else if (checked) {
    const int left = r.left + std::max(0, Truncate((barWidth - 16 + 1) * 0.5));
    const int top = r.top + std::max(0, Truncate((r.bottom - r.top - 16 + 1) * 0.5));
    DrawCheckBoxXP(dc, {left, top, left + 16, top + 16}, selectionFrame,
                   IsRadio(reinterpret_cast<HMENU>(draw->hwndItem), draw->itemID));
  }
  if (!item.m_text || item.m_text->empty()) return;
  const RECT textRect{r.left + barWidth + 8, r.top - 1, r.right, r.bottom - 1};
  COLORREF colour = m_textColour;
  if (disabled) colour = xp || selected ? m_grayTextColour : LightenColour(m_grayTextColour, 0.4);
  DrawEntryText(dc, *item.m_text, textRect, W, colour);
}

// ---- Toolbar records ------------------------------------------------------------------------------

BOOL MenuImageToolBar::ReadRecord(std::span<const BYTE> record) {
  auto word = [&](std::size_t at) { return static_cast<UINT>(record[at] | (record[at + 1] << 8)); };
  if (record.size() < 8) return FALSE;
  const UINT count = word(6);
  if (record.size() < 8 + 2 * static_cast<std::size_t>(count)) return FALSE;
  m_width = static_cast<int>(word(2));
  m_height = static_cast<int>(word(4));
  m_buttons.clear();
  for (UINT i = 0; i < count; ++i) m_buttons.push_back(word(8 + 2 * i));
  return m_width > 0 && m_height > 0;
}

BOOL MenuImageToolBar::LoadToolBar(UINT id) {
  LPCSTR name = MAKEINTRESOURCEA(static_cast<WORD>(id));
  HINSTANCE module = AfxFindResourceHandle(name, RT_TOOLBAR);
  HRSRC found = FindResourceA(module, name, RT_TOOLBAR);
  if (!found) {
    module = GetModuleHandleA(nullptr);
    found = FindResourceA(module, name, RT_TOOLBAR);
  }
  if (!found) return FALSE;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (!bytes || !ReadRecord({bytes, SizeofResource(module, found)})) return FALSE;
  m_bitmap.Reset(CreateMappedBitmap(AfxFindResourceHandle(name, RT_BITMAP), static_cast<INT_PTR>(id), 0, nullptr, 0));
  return m_bitmap ? TRUE : FALSE;
}

int MenuImageToolBar::ImageOfButton(int position) const {
  if (position < 0 || static_cast<std::size_t>(position) >= m_buttons.size() || !m_buttons[static_cast<std::size_t>(position)])
    return -1;
  return static_cast<int>(std::count_if(m_buttons.begin(), m_buttons.begin() + position, [](UINT id) { return id != 0; }));
}

int MenuImageToolBar::ImageOfCommand(UINT command) const {
  if (!command) return -1;
  auto at = std::find(m_buttons.begin(), m_buttons.end(), command);
  return at == m_buttons.end() ? -1 : ImageOfButton(static_cast<int>(at - m_buttons.begin()));
}
