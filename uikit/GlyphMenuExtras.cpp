// The owner-drawn menu's wider interface: image and colour forms of append, insert and modify, and
// finding entries by their text. Built into the exchange library only; no program calls these.
#include "GlyphMenu.h"

#include <framework/ModuleState.h>
#include <gdi/ImageList.h>

#include <algorithm>
#include <string>

namespace {

bool SameText(const GlyphMenuItem& item, const WCHAR* text) {
  return text && item.m_text && *item.m_text == std::u16string(text);
}

// A copy of entry `index` of `source` in a list of its own, for a record to own.
HIMAGELIST OwnCopy(HIMAGELIST source, int index, int width, int height) {
  if (!source || index < 0 || index >= ImageList_GetImageCount(source)) return nullptr;
  HICON icon = ImageList_GetIcon(source, index, ILD_NORMAL);
  if (!icon) return nullptr;
  HIMAGELIST own = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 1);
  if (own && ImageList_AddIcon(own, icon) < 0) {
    ImageList_Destroy(own);
    own = nullptr;
  }
  DestroyIcon(icon);
  return own;
}

void GiveOwnImage(GlyphMenuItem& item, HIMAGELIST own) {
  if (item.m_ownImageList) ImageList_Destroy(item.m_ownImageList);
  item.m_ownImageList = own;
  item.m_ownImageIndex = own ? 0 : -1;
  item.m_ownImageMarker = own ? 0 : -1;
  if (own) item.m_commandImageIndex = -1;
}

}  // namespace

BOOL GlyphMenu::AppendItemWithImages(const WCHAR* text, UINT flags, UINT_PTR id, HIMAGELIST images, int index) {
  // A separator keeps the position flag: its flags are 0x900, or 0xD00 with it.
  if (!AppendItem(text, flags, id, -1)) return FALSE;
  if (id) GiveOwnImage(*m_items.back(), OwnCopy(images, index, m_imageWidth, m_imageHeight));
  return TRUE;
}

BOOL GlyphMenu::InsertItem(UINT position, const WCHAR* text, UINT flags, UINT_PTR id, int bitmapId) {
  if (!(flags & MF_BYPOSITION)) {
    GlyphMenuPlace place = FindCommand(position);
    if (!place.menu) return FALSE;
    return place.menu->InsertItem(static_cast<UINT>(place.position), text, flags | MF_BYPOSITION, id, bitmapId);
  }
  const int count = ::GetMenuItemCount(m_hMenu);
  if (position == static_cast<UINT>(-1) || static_cast<int>(position) >= count) {
    if (!AppendItem(text, flags & ~MF_BYPOSITION, id, -1)) return FALSE;
  } else {
    UINT entryFlags = id ? (flags | MF_OWNERDRAW) : (MF_OWNERDRAW | MF_SEPARATOR | MF_BYPOSITION);
    auto record = std::make_unique<GlyphMenuItem>();
    record->SetWideText(text);
    record->m_flags = entryFlags & ~MF_BYPOSITION;
    record->m_commandId = id;
    GlyphMenuItem* item = record.get();
    // Records follow the entries' positions.
    const size_t at = std::min<size_t>(position, m_items.size());
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at), std::move(record));
    if (!::InsertMenuA(m_hMenu, position, entryFlags | MF_BYPOSITION, id, reinterpret_cast<LPCSTR>(item))) {
      m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(at));
      return FALSE;
    }
    if (flags & MF_POPUP) m_popups.push_back(reinterpret_cast<HMENU>(id));
  }
  if (!id) return TRUE;
  GlyphMenuItem& item = *FindRecordOf(id, text);
  if (bitmapId < 0) {
    SetItemImage(item, static_cast<UINT>(id), -1);
  } else {
    HIMAGELIST own = ImageList_Create(m_imageWidth, m_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1);
    if (own && !AddBitmapToList(own, static_cast<UINT_PTR>(bitmapId))) {
      ImageList_Destroy(own);
      own = nullptr;
    }
    GiveOwnImage(item, own);
  }
  return TRUE;
}

BOOL GlyphMenu::InsertItemWithImages(UINT position, const WCHAR* text, UINT flags, UINT_PTR id, HIMAGELIST images,
                                     int index) {
  if (!(flags & MF_BYPOSITION)) {
    GlyphMenuPlace place = FindCommand(position);
    if (!place.menu) return FALSE;
    return place.menu->InsertItemWithImages(static_cast<UINT>(place.position), text, flags | MF_BYPOSITION, id, images,
                                            index);
  }
  if (!InsertItem(position, text, flags, id, -1)) return FALSE;
  if (id) GiveOwnImage(*FindRecordOf(id, text), OwnCopy(images, index, m_imageWidth, m_imageHeight));
  return TRUE;
}

BOOL GlyphMenu::ModifyItemBitmap(const WCHAR* text, UINT command, HBITMAP bitmap) {
  if (!bitmap) return FALSE;
  HIMAGELIST list = ImageList_Create(m_imageWidth, m_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1);
  if (!list) return FALSE;
  const COLORREF mask = GetLookOption() ? m_maskFaceColour : m_maskColour;
  BOOL result = FALSE;
  if (ImageList_AddMasked(list, bitmap, mask) >= 0) result = ModifyItemImage(text, command, list, 0);
  ImageList_Destroy(list);
  return result;
}

BOOL GlyphMenu::ModifyItemColor(const WCHAR* text, UINT command, COLORREF fill, COLORREF border, int hatchStyle,
                                SIZE size) {
  if (size.cx <= 0 || size.cy <= 0) size = {m_imageWidth, m_imageHeight};
  size = {std::min<LONG>(size.cx, m_imageWidth), std::min<LONG>(size.cy, m_imageHeight)};
  // The swatch sits centred in an image of the menu's size whose rest is the mask colour.
  HDC screen = ::GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, m_imageWidth, m_imageHeight);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT whole{0, 0, m_imageWidth, m_imageHeight};
  HBRUSH background = CreateSolidBrush(GetLookOption() ? m_maskFaceColour : m_maskColour);
  FillRect(memory, &whole, background);
  DeleteObject(background);
  const int left = (m_imageWidth - size.cx) / 2, top = (m_imageHeight - size.cy) / 2;
  RECT rect{left, top, left + size.cx, top + size.cy};
  HBRUSH brush = hatchStyle == -1 ? CreateSolidBrush(fill) : CreateHatchBrush(hatchStyle, fill);
  FillRect(memory, &rect, brush);
  DeleteObject(brush);
  HBRUSH frame = CreateSolidBrush(border);
  FrameRect(memory, &rect, frame);
  DeleteObject(frame);
  SelectObject(memory, old);
  DeleteDC(memory);
  const BOOL result = ModifyItemBitmap(text, command, bitmap);
  DeleteObject(bitmap);
  return result;
}

BOOL GlyphMenu::ModifyItemByText(const WCHAR* text, const WCHAR* optionText, int bitmapId) {
  BOOL found = FALSE;
  ForEachLevel([&](GlyphMenu& level) {
    if (found) return;
    for (size_t p = 0; p < level.m_items.size(); ++p) {
      GlyphMenuItem& item = *level.m_items[p];
      if (!SameText(item, optionText)) continue;
      found = TRUE;
      if (text) item.SetWideText(text);
      HIMAGELIST own = ImageList_Create(level.m_imageWidth, level.m_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1);
      if (own && (bitmapId < 0 || !level.AddBitmapToList(own, static_cast<UINT_PTR>(bitmapId)))) {
        ImageList_Destroy(own);
        own = nullptr;
      }
      GiveOwnImage(item, own);
      if (!own) item.m_commandImageIndex = -1;
      return;
    }
  });
  return found;
}

BOOL GlyphMenu::AddImageToList(HIMAGELIST images, int bitmapId) {
  if (!images || bitmapId < 0) return FALSE;
  return AddBitmapToList(images, static_cast<UINT_PTR>(bitmapId));
}

BOOL GlyphMenu::AddImagesFrom(HIMAGELIST images, int index, HIMAGELIST source) {
  if (!images || !source || index < 0 || index >= ImageList_GetImageCount(source)) return FALSE;
  HICON icon = ImageList_GetIcon(source, index, ILD_NORMAL);
  if (!icon) return FALSE;
  const int added = ImageList_AddIcon(images, icon);
  DestroyIcon(icon);
  return added >= 0;
}

HMENU GlyphMenu::AppendPopup(const WCHAR* text) {
  HMENU popup = ::CreatePopupMenu();
  if (!popup) return nullptr;
  if (!AppendItem(text, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), -1)) {
    ::DestroyMenu(popup);
    return nullptr;
  }
  return popup;
}

BOOL GlyphMenu::TakeOutByText(const WCHAR* text, int withSeparator, bool destroy) {
  auto it = std::find_if(m_items.begin(), m_items.end(), [text](const auto& item) { return SameText(*item, text); });
  if (it == m_items.end()) return FALSE;
  int position = static_cast<int>(it - m_items.begin());
  const UINT_PTR id = (*it)->m_commandId;
  const BOOL result = destroy ? ::DeleteMenu(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION)
                              : ::RemoveMenu(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION);
  if (!result) return FALSE;
  if ((*it)->m_flags & MF_POPUP) std::erase(m_popups, reinterpret_cast<HMENU>(id));
  m_items.erase(it);
  if (withSeparator && position > 0) {
    const GlyphMenuItem& before = *m_items[static_cast<size_t>(position - 1)];
    if (before.m_commandId == 0 && (before.m_flags & MF_SEPARATOR)) {
      ::RemoveMenu(m_hMenu, static_cast<UINT>(position - 1), MF_BYPOSITION);
      m_items.erase(m_items.begin() + position - 1);
    }
  }
  return TRUE;
}

BOOL GlyphMenu::RemoveByText(const WCHAR* text, int withSeparator) { return TakeOutByText(text, withSeparator, false); }
BOOL GlyphMenu::DeleteByText(const WCHAR* text, int withSeparator) { return TakeOutByText(text, withSeparator, true); }

BOOL GlyphMenu::SetItemTextAt(UINT position, const WCHAR* text, UINT flags) {
  if (!(flags & MF_BYPOSITION)) {
    GlyphMenuPlace place = FindCommand(position);
    if (!place.menu) return FALSE;
    return place.menu->SetItemTextAt(static_cast<UINT>(place.position), text, MF_BYPOSITION);
  }
  if (position >= m_items.size()) return FALSE;
  m_items[position]->SetWideText(text);
  return TRUE;
}

GlyphMenuItem* GlyphMenu::FindRecordOf(UINT_PTR id, const WCHAR* text) {
  for (auto& item : m_items)
    if (item->m_commandId == id && (id != 0 || SameText(*item, text))) return item.get();
  return m_items.empty() ? nullptr : m_items.back().get();
}
