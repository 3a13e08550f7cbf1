// GlyphMenu's records: the menu template walked into owner-drawn entries, entries added, changed,
// found and re-read from the menu, mnemonics, accelerator padding and measuring, and the probes of
// the Windows version and theme that pick the look. Drawing and images are in GlyphMenuDraw.cpp.
#include "GlyphMenu.h"

#include "MenuImageToolBar.h"

#include <base/CodePage.h>
#include <framework/App.h>
#include <framework/ModuleState.h>
#include <framework/Wnd.h>
#include <kernel/Module.h>
#include <kernel/Version.h>
#include <registry/RegistryKey.h>
#include <resources/Resource.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwctype>

IMPLEMENT_DYNAMIC(GlyphMenu, CMenu)

namespace {

// Every sub-menu handle any GlyphMenu made: how owners recognise the kit's menus.
std::vector<HMENU>& PopupList() {
  static std::vector<HMENU> list;
  return list;
}

void Forget(HMENU menu) {
  auto& list = PopupList();
  list.erase(std::remove(list.begin(), list.end(), menu), list.end());
}

std::u16string Widen(LPCSTR text) {
  if (!text) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::u16string wide(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

std::string Narrow(const std::u16string& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) c = static_cast<char16_t>(std::towlower(c));
  return text;
}

// A DC of the program's main window (the screen's when there is none), released with the object.
class MainWindowDC {
public:
  MainWindowDC() {
    CWnd* main = AfxGetMainWnd();
    m_window = main ? main->GetSafeHwnd() : nullptr;
    m_dc = ::GetDC(m_window);
  }
  ~MainWindowDC() { ::ReleaseDC(m_window, m_dc); }
  MainWindowDC(const MainWindowDC&) = delete;
  MainWindowDC& operator=(const MainWindowDC&) = delete;
  HDC Get() const { return m_dc; }

private:
  HWND m_window = nullptr;
  HDC m_dc = nullptr;
};

tolvar::gdi::UniqueFont SystemMenuFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return tolvar::gdi::UniqueFont(CreateFontIndirectA(&metrics.lfMenuFont));
}

int ProbeVersionCode() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetWindowsVersionCode(GetVersion(), GetVersionExA(&info) ? &info : nullptr);
}

// The theme key's default value, of at most 260 bytes (a longer one names no theme we know).
bool ProbeClassicTheme() {
  tolvar::registry::RegistryKey key;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  if (key.Open(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", KEY_READ) != ERROR_SUCCESS ||
      key.QueryValue(nullptr, type, bytes) != ERROR_SUCCESS || bytes.size() > 260)
    return false;
  const std::string value(bytes.begin(), std::find(bytes.begin(), bytes.end(), BYTE{0}));
  return IsClassicThemeName(value.c_str());
}

// Reads little-endian words of a menu template without stepping past its end.
class TemplateReader {
public:
  TemplateReader(const BYTE* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
  bool Word(WORD& value) {
    if (m_at + 2 > m_size) return false;
    value = static_cast<WORD>(m_bytes[m_at] | (m_bytes[m_at + 1] << 8));
    m_at += 2;
    return true;
  }
  bool Text(std::u16string& text) {
    text.clear();
    for (WORD unit = 0;;) {
      if (!Word(unit)) return false;
      if (!unit) return true;
      text.push_back(static_cast<char16_t>(unit));
    }
  }
  void Skip(std::size_t bytes) { m_at = std::min(m_size, m_at + bytes); }

private:
  const BYTE* m_bytes;
  std::size_t m_size;
  std::size_t m_at = 0;
};

}  // namespace

// ---- Probes ---------------------------------------------------------------------------------------

int GetWindowsVersionCode(DWORD version, const OSVERSIONINFOA* info) {
  if (version & 0x80000000u) {
    if ((version & 0xFF) < 4) return 0;
    if (!info) return 2;
    if (info->dwMajorVersion == 4 && info->dwMinorVersion == 10) return 3;
    if (info->dwMajorVersion == 4 && info->dwMinorVersion == 90) return 4;
    return 2;
  }
  if (!info) return 1;
  if (info->dwMajorVersion == 4) return 5;
  if (info->dwMajorVersion == 5 && info->dwMinorVersion == 0) return 6;
  if (info->dwMajorVersion == 5 && info->dwMinorVersion == 1) return 7;
  return 1;
}

BOOL IsClassicThemeName(LPCSTR value) {
  static constexpr char kClassic[] = "windows classic.theme";
  constexpr std::size_t n = sizeof kClassic - 1;
  const std::size_t length = value ? strnlen(value, 260) : 0;
  if (length < n) return FALSE;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(value[length - n + i])) != kClassic[i]) return FALSE;
  return TRUE;
}

int GetWindowsVersionCode() {
  static const int code = ProbeVersionCode();
  return code;
}

BOOL IsClassicThemeSelected() {
  static const bool classic = ProbeClassicTheme();
  return classic;
}

BOOL IsXPLook() { return GetWindowsVersionCode() == 7 && !IsClassicThemeSelected(); }
BOOL IsNewShellWindows() { return GetWindowsVersionCode() >= 2; }

BOOL IsGlyphMenuPopup(HMENU menu) {
  const auto& list = PopupList();
  return menu && std::find(list.begin(), list.end(), menu) != list.end();
}

// ---- Records --------------------------------------------------------------------------------------

GlyphMenuItem::~GlyphMenuItem() {
  if (m_ownImageList) ImageList_Destroy(m_ownImageList);
}

void GlyphMenuItem::SetText(LPCSTR text) {
  if (text) m_text = Widen(text);
  else m_text.reset();
}

void GlyphMenuItem::SetWideText(const WCHAR* text) {
  if (text) m_text = std::u16string(text);
  else m_text.reset();
}

// ---- The menu -------------------------------------------------------------------------------------

GlyphMenu::GlyphMenu()
    : m_faceColour(GetSysColor(COLOR_BTNFACE)),
      m_shadowColour(GetSysColor(COLOR_BTNSHADOW)),
      m_highlightColour(GetSysColor(COLOR_BTNHIGHLIGHT)),
      m_highlightColour2(GetSysColor(COLOR_BTNHIGHLIGHT)),
      m_grayTextColour(GetSysColor(COLOR_GRAYTEXT)),
      m_windowColour(GetSysColor(COLOR_WINDOW)),
      m_maskFaceColour(GetSysColor(COLOR_BTNFACE)),
      m_maskShadowColour(GetSysColor(COLOR_BTNSHADOW)) {}

GlyphMenu::~GlyphMenu() {
  if (m_font) DeleteObject(m_font);
  DestroyItems();
}

BOOL GlyphMenu::GetLookOption() const {
  return IsXPLook() ? xpDrawOnXpSystem : xpDrawOnClassicSystem;
}

GlyphMenu* GlyphMenu::SubMenu(HMENU menu) const {
  for (const auto& sub : m_subMenus)
    if (sub->m_hMenu == menu) return sub.get();
  return nullptr;
}

BOOL GlyphMenu::DestroyItems() {
  Forget(m_hMenu);
  for (HMENU popup : m_popups) Forget(popup);
  // The sub-menus' objects destroy their own menus; this menu's entries then name dead handles,
  // which destroying it skips.
  m_subMenus.clear();
  m_popups.clear();
  m_items.clear();
  if (m_checkImages && !m_checkImagesBorrowed) ImageList_Destroy(m_checkImages);
  m_checkImages = nullptr;
  return m_hMenu ? DestroyMenu() : FALSE;
}

BOOL GlyphMenu::LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEA(static_cast<WORD>(id))); }

BOOL GlyphMenu::LoadMenu(LPCSTR name) {
  HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
  HRSRC found = FindResourceA(module, name, RT_MENU);
  if (!found) {
    module = GetModuleHandleA(nullptr);
    found = FindResourceA(module, name, RT_MENU);
  }
  if (!found) return FALSE;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = static_cast<const BYTE*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, found);
  if (!bytes || size < 4) return FALSE;
  return LoadMenuTemplate({bytes, size});
}

BOOL GlyphMenu::LoadMenuTemplate(std::span<const BYTE> bytes) {
  DestroyItems();
  if (!Attach(::CreateMenu())) return FALSE;
  TemplateReader reader(bytes.data(), bytes.size());
  WORD version = 0, offset = 0;
  reader.Word(version);
  reader.Word(offset);
  reader.Skip(offset);
  // The levels still open, this menu first, with a mark for "the level ends after the current
  // pop-up" (its last entry was that pop-up).
  std::vector<GlyphMenu*> menus{this};
  std::vector<bool> ends{false};
  std::u16string text;
  while (!menus.empty()) {
    WORD option = 0, id = 0;
    if (!reader.Word(option)) break;
    if (!(option & MF_POPUP) && !reader.Word(id)) break;
    if (!reader.Text(text)) break;
    const UINT flags = option & ~MF_END;
    GlyphMenu* top = menus.back();
    if (option & MF_POPUP) {
      if (menus.size() > kMaxDepth) break;  // no menu nests so deep: the template is damaged
      if (option & MF_END) ends.back() = true;
      auto sub = std::make_unique<GlyphMenu>();
      sub->m_checkedImageId = m_checkedImageId;
      sub->m_uncheckedImageId = m_uncheckedImageId;
      sub->m_checkImages = m_checkImages;
      sub->m_checkImagesBorrowed = TRUE;
      if (!sub->CreatePopupMenu()) break;
      GlyphMenu* child = sub.get();
      top->m_subMenus.push_back(std::move(sub));
      top->AppendItem(text.c_str(), flags, reinterpret_cast<UINT_PTR>(child->m_hMenu), -1);
      menus.push_back(child);
      ends.push_back(false);
      continue;
    }
    top->AppendItem(text.c_str(), flags, id, -1);
    if (option & MF_END) ends.back() = true;
    while (!menus.empty() && ends.back()) {
      menus.back()->AlignAccelerators();
      menus.pop_back();
      ends.pop_back();
    }
  }
  // The top level shows plain entries: a menu bar, or the holder of the pop-ups a program tracks.
  const int count = ::GetMenuItemCount(m_hMenu);
  for (int position = 0; position < count && position < static_cast<int>(m_items.size()); ++position) {
    GlyphMenuItem& item = *m_items[static_cast<std::size_t>(position)];
    const std::string ansi = item.m_text ? Narrow(*item.m_text) : std::string();
    if (HMENU sub = ::GetSubMenu(m_hMenu, position)) {
      ::ModifyMenuA(m_hMenu, static_cast<UINT>(position), MF_POPUP | MF_BYPOSITION, reinterpret_cast<UINT_PTR>(sub),
                    ansi.c_str());
      item.m_flags = MF_POPUP | MF_BYPOSITION;
    } else {
      ::ModifyMenuA(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION, item.m_commandId, ansi.c_str());
      item.m_flags = MF_BYPOSITION;
    }
  }
  m_isMenuBar = TRUE;
  return TRUE;
}

BOOL GlyphMenu::AppendItem(const WCHAR* text, UINT flags, UINT_PTR id, int toolbarId) {
  if (id) flags |= MF_OWNERDRAW;
  else flags = MF_OWNERDRAW | MF_SEPARATOR | (flags & MF_BYPOSITION);
  if (flags & MF_POPUP) {
    PopupList().push_back(reinterpret_cast<HMENU>(id));
    m_popups.push_back(reinterpret_cast<HMENU>(id));
  }
  auto record = std::make_unique<GlyphMenuItem>();
  record->SetWideText(text);
  SetItemImage(*record, static_cast<UINT>(id), toolbarId);
  record->m_flags = flags;
  record->m_commandId = id;
  GlyphMenuItem* item = record.get();
  m_items.push_back(std::move(record));
  const BOOL result = ::AppendMenuA(m_hMenu, flags, id, reinterpret_cast<LPCSTR>(item));
  if (m_isMenuBar) ResetMenuBarTexts();
  return result;
}

void GlyphMenu::SetItemImage(GlyphMenuItem& item, UINT command, int toolbarId) {
  item.m_ownImageIndex = -1;
  item.m_ownImageMarker = -1;
  if (item.m_ownImageList) {
    ImageList_Destroy(item.m_ownImageList);
    item.m_ownImageList = nullptr;
  }
  if (toolbarId == -1) {
    const auto& ids = CommandImageIds();
    auto it = std::find(ids.begin(), ids.end(), command);
    item.m_commandImageIndex = it == ids.end() ? -1 : static_cast<int>(it - ids.begin());
    return;
  }
  // A command the toolbar lacks has no picture there: it keeps none rather than taking the first
  // button's, which belongs to another command.
  item.m_commandImageIndex = -1;
  MenuImageToolBar toolbar;
  if (!toolbar.LoadToolBar(static_cast<UINT>(toolbarId))) return;
  const int index = toolbar.ImageOfCommand(command);
  if (index < 0) return;
  HIMAGELIST temporary = ImageList_Create(m_imageWidth, m_imageHeight, ILC_COLORDDB | ILC_MASK, 1, 1);
  if (AddBitmapToList(temporary, static_cast<UINT_PTR>(toolbarId)))
    item.m_commandImageIndex = AddCommandImage(temporary, index, command);
  ImageList_Destroy(temporary);
}

// After an entry is added to a loaded menu, the top level's pop-up entries are set plain again from
// the first entry whose text some record has.
void GlyphMenu::ResetMenuBarTexts() {
  const int count = ::GetMenuItemCount(m_hMenu);
  const int records = static_cast<int>(m_items.size());
  int start = -1;
  for (int p = 0; p < count && start < 0; ++p) {
    char buffer[257] = {};
    if (::GetMenuStringA(m_hMenu, static_cast<UINT>(p), buffer, sizeof buffer, MF_BYPOSITION) <= 0) continue;
    const std::u16string text = Widen(buffer);
    for (int i = 0; i < records; ++i) {
      const auto& record = m_items[static_cast<std::size_t>(i)];
      if (record->m_text && *record->m_text == text) {
        start = p >= records ? p - records : i;
        break;
      }
    }
  }
  if (start < 0) return;
  for (int p = start, rank = 0; p < count && rank < records; ++p, ++rank) {
    HMENU sub = ::GetSubMenu(m_hMenu, p);
    if (!sub) continue;
    GlyphMenuItem& item = *m_items[static_cast<std::size_t>(rank)];
    const std::string ansi = item.m_text ? Narrow(*item.m_text) : std::string();
    ::ModifyMenuA(m_hMenu, static_cast<UINT>(p), MF_POPUP | MF_BYPOSITION, reinterpret_cast<UINT_PTR>(sub), ansi.c_str());
    item.m_flags = MF_POPUP | MF_BYPOSITION;
  }
}

BOOL GlyphMenu::ModifyItem(LPCSTR text, UINT command, int toolbarId) {
  if (!text) return ModifyItem(static_cast<const WCHAR*>(nullptr), command, toolbarId);
  const std::u16string wide = Widen(text);
  return ModifyItem(wide.c_str(), command, toolbarId);
}

namespace {

// The record for the entry at `place`: the one at that position, or a new one.
GlyphMenuItem& RecordAt(std::vector<std::unique_ptr<GlyphMenuItem>>& items, int position) {
  if (position >= 0 && static_cast<std::size_t>(position) < items.size()) return *items[static_cast<std::size_t>(position)];
  items.push_back(std::make_unique<GlyphMenuItem>());
  return *items.back();
}

}  // namespace

// Each occurrence's own entry is told about its own record, by position in the menu that holds it:
// telling only the first entry by command would give it the last occurrence's record and leave the
// others unchanged in the window manager.
BOOL GlyphMenu::ModifyItem(const WCHAR* text, UINT command, int toolbarId) {
  std::vector<GlyphMenuPlace> seen;
  BOOL result = FALSE;
  for (GlyphMenuPlace place = FindCommand(command); place.menu; place = FindNextCommand(command, seen)) {
    seen.push_back(place);
    GlyphMenuItem& item = RecordAt(place.menu->m_items, place.position);
    if (text) item.SetWideText(text);
    SetItemImage(item, command, toolbarId);
    item.m_flags = (item.m_flags & ~MF_BYPOSITION) | MF_OWNERDRAW;
    item.m_commandId = command;
    result = ::ModifyMenuA(place.menu->m_hMenu, static_cast<UINT>(place.position), item.m_flags | MF_BYPOSITION, command,
                           reinterpret_cast<LPCSTR>(&item));
  }
  return result;
}

BOOL GlyphMenu::ModifyItemImage(const WCHAR* text, UINT command, HIMAGELIST images, int index) {
  std::vector<GlyphMenuPlace> seen;
  BOOL result = FALSE;
  for (GlyphMenuPlace place = FindCommand(command); place.menu; place = FindNextCommand(command, seen)) {
    seen.push_back(place);
    GlyphMenuItem& item = RecordAt(place.menu->m_items, place.position);
    if (text) item.SetWideText(text);
    item.m_ownImageIndex = -1;
    item.m_ownImageMarker = -1;
    item.m_commandImageIndex = AddCommandImage(images, index, command);
    item.m_flags = (item.m_flags & ~MF_BYPOSITION) | MF_OWNERDRAW;
    item.m_commandId = command;
    result = ::ModifyMenuA(place.menu->m_hMenu, static_cast<UINT>(place.position), item.m_flags | MF_BYPOSITION, command,
                           reinterpret_cast<LPCSTR>(&item));
  }
  return result;
}

GlyphMenuItem* GlyphMenu::SetItemByPosition(UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  auto record = std::make_unique<GlyphMenuItem>();
  record->SetText(text);
  record->m_flags = flags;
  record->m_commandId = id;
  GlyphMenuItem* item = record.get();
  ::ModifyMenuA(m_hMenu, position, flags | MF_BYPOSITION, id,
                (flags & MF_OWNERDRAW) ? reinterpret_cast<LPCSTR>(item) : text);
  // The menu owns the record, in the place of the one the entry had.
  if (position < m_items.size()) m_items[position] = std::move(record);
  else m_items.push_back(std::move(record));
  return item;
}

GlyphMenuPlace GlyphMenu::FindCommand(UINT command) { return FindNextCommand(command, {}); }

GlyphMenuPlace GlyphMenu::FindNextCommand(UINT command, const std::vector<GlyphMenuPlace>& seen) {
  const int count = ::GetMenuItemCount(m_hMenu);
  for (int p = 0; p < count; ++p) {
    if (HMENU sub = ::GetSubMenu(m_hMenu, p)) {
      GlyphMenu* object = SubMenu(sub);
      if (!object) {
        CMenu* any = CMenu::FromHandlePermanent(sub);
        object = any && any->IsKindOf(RUNTIME_CLASS(GlyphMenu)) ? static_cast<GlyphMenu*>(any) : nullptr;
      }
      if (object) {
        GlyphMenuPlace found = object->FindNextCommand(command, seen);
        if (found.menu) return found;
      }
      continue;
    }
    if (::GetMenuItemID(m_hMenu, p) != command) continue;
    GlyphMenuPlace place{this, p};
    if (std::find(seen.begin(), seen.end(), place) == seen.end()) return place;
  }
  return {};
}

BOOL GlyphMenu::GetItemText(UINT item, CString& text, UINT flags) {
  if (flags & MF_BYPOSITION) {
    if (item >= m_items.size()) return FALSE;
    const GlyphMenuItem& record = *m_items[item];
    text = record.m_text ? Narrow(*record.m_text).c_str() : "";
    return TRUE;
  }
  GlyphMenuPlace place = FindCommand(item);
  if (!place.menu) return FALSE;
  return place.menu->GetItemText(static_cast<UINT>(place.position), text, MF_BYPOSITION);
}

int GlyphMenu::FindPopup(LPCSTR text) {
  const std::u16string wide = Widen(text);
  return FindPopup(wide.c_str());
}

int GlyphMenu::FindPopup(const WCHAR* text) {
  if (!text) return -1;
  const int count = ::GetMenuItemCount(m_hMenu);
  bool plainEntry = false;
  for (int p = 0; p < count && !plainEntry; ++p) plainEntry = ::GetSubMenu(m_hMenu, p) == nullptr;
  if (!plainEntry) return -1;
  for (std::size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i]->m_text && *m_items[i]->m_text == text) return static_cast<int>(i);
  return -1;
}

void GlyphMenu::SetMenuFont(const LOGFONTA& font) {
  ForEachLevel([&](GlyphMenu& level) {
    if (level.m_font) DeleteObject(level.m_font);
    level.m_font = CreateFontIndirectA(&font);
    level.m_hasCustomFont = level.m_font != nullptr;
    level.AlignAccelerators();
  });
}

void GlyphMenu::SetImageSize(int width, int height) {
  ForEachLevel([&](GlyphMenu& level) {
    level.m_imageWidth = width;
    level.m_imageHeight = height;
  });
}

void GlyphMenu::SetMaskColour(COLORREF colour) {
  ForEachLevel([&](GlyphMenu& level) {
    level.m_maskColour = colour;
    level.m_useMaskColour = TRUE;
  });
}

void GlyphMenu::SetMenuFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  LOGFONTA font{};
  font.lfHeight = height;
  font.lfWeight = bold ? 700 : 0;
  font.lfItalic = static_cast<BYTE>(italic);
  if (face) std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  SetMenuFont(font);
}

HFONT GlyphMenu::EntryFont() const { return m_hasCustomFont ? m_font : nullptr; }

// Pads the text before each tab with blanks so that the accelerators of a level start in one column.
void GlyphMenu::AlignAccelerators() {
  MainWindowDC dc;
  tolvar::gdi::UniqueFont menuFont;
  HFONT font = EntryFont();
  if (!font) {
    menuFont = SystemMenuFont();
    font = menuFont.Get();
  }
  tolvar::gdi::ScopedSelect select(dc.Get(), font);
  auto width = [&](const std::u16string& text) {
    const std::string ansi = Narrow(text);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc.Get(), ansi.c_str(), static_cast<int>(ansi.size()), &size);
    return static_cast<int>(size.cx);
  };
  int widest = 0;
  for (const auto& item : m_items) {
    if (!item->m_text) continue;
    widest = std::max(widest, width(item->m_text->substr(0, item->m_text->find(u'\t')) + u' '));
  }
  for (const auto& item : m_items) {
    if (!item->m_text) continue;
    const std::size_t tab = item->m_text->find(u'\t');
    if (tab == std::u16string::npos) continue;
    std::u16string left = item->m_text->substr(0, tab);
    // A blank that measures nothing (a font without one) would never reach the width.
    for (int blanks = 0, last = width(left); last < widest && blanks < 256; ++blanks) {
      left += u' ';
      const int now = width(left);
      if (now <= last) break;
      last = now;
    }
    *item->m_text = left + item->m_text->substr(tab);
  }
}

void GlyphMenu::MeasureItem(LPMEASUREITEMSTRUCT measure) {
  const auto* item = reinterpret_cast<const GlyphMenuItem*>(measure->itemData);
  if (!item) return;
  const int margin = GetLookOption() && shadeImages ? 7 : 4;
  if (item->m_flags & MF_SEPARATOR) {
    measure->itemWidth = 0;
    measure->itemHeight = static_cast<UINT>(std::max(GetSystemMetrics(SM_CYMENU) / 2, (m_imageHeight + margin) / 2));
    return;
  }
  MainWindowDC dc;
  tolvar::gdi::UniqueFont menuFont;
  HFONT font = EntryFont();
  if (!font) {
    menuFont = SystemMenuFont();
    font = menuFont.Get();
  }
  tolvar::gdi::ScopedSelect select(dc.Get(), IsNewShellWindows() ? font : nullptr);
  const std::u16string text = item->m_text ? *item->m_text : std::u16string();
  int textWidth = 0;
  if (GetWindowsVersionCode() != 0) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    textWidth = size.cx;
  } else {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    const int w = r.right - r.left;
    textWidth = w + 3;
    if (!text.empty()) textWidth += 3 * ((w + 3) / static_cast<int>(text.size()));
  }
  measure->itemWidth = static_cast<UINT>(GetLookOption() ? m_imageWidth + textWidth + margin + 8
                                                         : textWidth + 2 * m_imageWidth + 1);
  measure->itemHeight = static_cast<UINT>(std::max(GetSystemMetrics(SM_CYMENU), m_imageHeight + margin));
}

LRESULT GlyphMenu::FindMenuChar(UINT character, UINT flags, HMENU menu) {
  if (!(flags & MF_POPUP) || !IsGlyphMenuPopup(menu)) return 0;
  GlyphMenu* object = menu == m_hMenu ? this : nullptr;
  if (!object) {
    CMenu* any = CMenu::FromHandlePermanent(menu);
    if (any && any->IsKindOf(RUNTIME_CLASS(GlyphMenu))) object = static_cast<GlyphMenu*>(any);
  }
  if (!object) return 0;
  const std::u16string pattern = Lower(std::u16string{u'&', static_cast<char16_t>(character)});
  if (::GetMenuItemCount(menu) != static_cast<int>(object->m_items.size())) object->SyncItems();
  for (std::size_t p = 0; p < object->m_items.size(); ++p) {
    const auto& text = object->m_items[p]->m_text;
    if (text && Lower(*text).find(pattern) != std::u16string::npos)
      return static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(static_cast<WORD>(p), MNC_EXECUTE)));
  }
  return 0;
}

namespace {

// The entry at `position` is owner-drawn and carries `item`.
bool ShowsRecord(HMENU menu, int position, const GlyphMenuItem* item) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return false;
  return (info.fType & MFT_OWNERDRAW) && info.dwItemData == reinterpret_cast<ULONG_PTR>(item);
}

}  // namespace

void GlyphMenu::SyncItems() {
  for (auto& item : m_items) item->m_syncMark = 0;
  auto reuse = [&](UINT_PTR id) -> GlyphMenuItem* {
    for (auto& item : m_items)
      if (!item->m_syncMark && item->m_commandId == id) return item.get();
    return nullptr;
  };
  std::vector<GlyphMenuItem*> order;
  std::vector<std::unique_ptr<GlyphMenuItem>> made;
  const int count = ::GetMenuItemCount(m_hMenu);
  for (int p = 0; p < count; ++p) {
    const UINT state = ::GetMenuState(m_hMenu, static_cast<UINT>(p), MF_BYPOSITION);
    char buffer[257] = {};
    ::GetMenuStringA(m_hMenu, static_cast<UINT>(p), buffer, sizeof buffer, MF_BYPOSITION);
    const std::u16string text = Widen(buffer);
    HMENU sub = ::GetSubMenu(m_hMenu, p);
    const UINT_PTR id = sub ? reinterpret_cast<UINT_PTR>(sub) : (state & MF_SEPARATOR) ? 0 : ::GetMenuItemID(m_hMenu, p);
    GlyphMenuItem* item = reuse(id);
    if (!item) {
      made.push_back(std::make_unique<GlyphMenuItem>());
      item = made.back().get();
      item->m_commandId = id;
      const UINT low = state & 0xFF;
      if (sub) {
        item->m_flags = low | MF_OWNERDRAW | MF_BYPOSITION | MF_POPUP;
        item->m_text = text;
      } else if (state & MF_SEPARATOR) {
        item->m_flags = low | 0xD00;
        item->m_text = std::u16string();
      } else {
        item->m_flags = low | MF_OWNERDRAW | MF_BYPOSITION;
        item->m_text = text;
      }
    } else {
      if (!text.empty()) item->m_text = text;
      if (!sub && !(state & MF_SEPARATOR)) item->m_flags |= MF_OWNERDRAW | MF_BYPOSITION;
    }
    // The entry must show its record, a new one as much as one found again: owner-drawn, with the
    // record as its data. (Only a menu bar's own entries stay plain.)
    if (!m_isMenuBar && !ShowsRecord(m_hMenu, p, item)) {
      constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED;
      item->m_flags = (item->m_flags & ~kStateBits) | (state & kStateBits);
      ::ModifyMenuA(m_hMenu, static_cast<UINT>(p), item->m_flags | MF_BYPOSITION, id, reinterpret_cast<LPCSTR>(item));
    }
    item->m_syncMark = 1;
    order.push_back(item);
  }
  std::vector<std::unique_ptr<GlyphMenuItem>> kept;
  for (GlyphMenuItem* wanted : order) {
    auto own = std::find_if(m_items.begin(), m_items.end(), [&](const auto& p) { return p.get() == wanted; });
    if (own != m_items.end()) {
      kept.push_back(std::move(*own));
      continue;
    }
    auto fresh = std::find_if(made.begin(), made.end(), [&](const auto& p) { return p.get() == wanted; });
    kept.push_back(std::move(*fresh));
  }
  m_items = std::move(kept);  // the records left unmatched go here
}
