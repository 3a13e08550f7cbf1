// Shell_NotifyIcon and the tray's side of the table: registering as the tray, listing the icons and
// delivering mouse messages over an icon to its window as the icon's callback message.
#include <shell/Headless.h>
#include <shell/ShellApi.h>

#include "TrayTable.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <user/DisplayBackend.h>
#include <user/User.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unistd.h>

namespace tolvar::shell {
namespace {

std::uint32_t Value(HANDLE handle) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle)); }
HWND WindowOf(std::uint32_t value) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value)); }

struct Self {
  std::int32_t pid = getpid();
  std::uint64_t start = ProcessStart(pid);
};
const Self& Me() {
  static Self self;
  return self;
}

bool LiveTray(const TrayData& data) { return data.trayPid != 0; }  // after Reap

TrayEntry* FindEntry(TrayData& data, std::int32_t pid, std::uint32_t window, std::uint32_t id) {
  for (TrayEntry& entry : data.entries)
    if (entry.used && entry.pid == pid && entry.window == window && entry.id == id) return &entry;
  return nullptr;
}

// The tip is at most 63 bytes; a cut never splits a UTF-8 character.
void CopyTip(char* field, const char* tip) {
  std::size_t n = strnlen(tip, kTipBytes);
  if (n > kTipBytes - 1) {
    n = kTipBytes - 1;
    while (n > 0 && (static_cast<unsigned char>(tip[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(field, tip, n);
  field[n] = 0;
}

using Picture = std::array<std::uint32_t, kTrayIconSize * kTrayIconSize>;

// The icon drawn at the tray's size over black and over white: where the two differ the icon lets
// the background through, which gives its alpha whatever form (masked or 32-bit) it has.
Picture Snapshot(HICON icon) {
  Picture picture{};
  if (!icon) return picture;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = kTrayIconSize;
  format.bmiHeader.biHeight = -kTrayIconSize;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::array<std::vector<std::uint32_t>, 2> over;
  for (int pass = 0; pass < 2; ++pass) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) break;
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, kTrayIconSize, kTrayIconSize};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(pass ? WHITE_BRUSH : BLACK_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, kTrayIconSize, kTrayIconSize, 0, nullptr, DI_NORMAL);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    over[pass].assign(pixels, pixels + picture.size());
    SelectObject(dc, old);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  if (over[0].empty() || over[1].empty()) return picture;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const std::uint32_t black = over[0][i], white = over[1][i];
    const int alpha = 255 - (int((white >> 8) & 0xFF) - int((black >> 8) & 0xFF));
    if (alpha <= 0) continue;
    // Over black, a colour c shows as c * alpha: undo that to keep the colour itself.
    auto channel = [&](int shift) { return std::min(255, int((black >> shift) & 0xFF) * 255 / alpha); };
    picture[i] = std::uint32_t(std::min(alpha, 255)) << 24 | std::uint32_t(channel(16)) << 16 |
                 std::uint32_t(channel(8)) << 8 | std::uint32_t(channel(0));
  }
  return picture;
}

void Apply(TrayEntry& entry, const NOTIFYICONDATAA& data, const Picture& picture) {
  entry.flags |= data.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
  if (data.uFlags & NIF_MESSAGE) entry.callback = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) {
    entry.icon = Value(data.hIcon);
    std::copy(picture.begin(), picture.end(), entry.pixels);
  }
  if (data.uFlags & NIF_TIP) CopyTip(entry.tip, data.szTip);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The icon as the display's tray docking needs it.
user::TrayIconState StateOf(const TrayEntry& entry) {
  user::TrayIconState state;
  state.window = WindowOf(entry.window);
  state.id = entry.id;
  state.callbackMessage = (entry.flags & NIF_MESSAGE) ? entry.callback : 0;
  state.tip = (entry.flags & NIF_TIP) ? entry.tip : "";
  state.pixels.assign(std::begin(entry.pixels), std::end(entry.pixels));
  return state;
}

BOOL UpdateTable(DWORD message, const NOTIFYICONDATAA& data, const Picture& picture, user::TrayIconState& docked);

BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) {
  // Drawn before the table is locked: nothing calls out of the shell while it is held.
  const Picture picture = (message != NIM_DELETE && (data.uFlags & NIF_ICON)) ? Snapshot(data.hIcon) : Picture{};
  user::TrayIconState docked;
  if (!UpdateTable(message, data, picture, docked)) return FALSE;
  // The desktop's tray, when the display has one, shows this process's icons: told after the
  // table's lock is given back.
  if (message == NIM_DELETE) {
    user::DisplayTrayIconRemoved(data.hWnd, data.uID);
  } else {
    user::DisplayTrayIconSet(docked);
  }
  return TRUE;
}

BOOL UpdateTable(DWORD message, const NOTIFYICONDATAA& data, const Picture& picture, user::TrayIconState& docked) {
  TrayLock lock;
  lock.Reap();
  TrayData& table = lock.Data();
  // A tray is a process registered as the tray here, or the desktop's own that the display docks with.
  if (!LiveTray(table) && !user::DisplayHasTray()) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  const Self& me = Me();
  TrayEntry* entry = FindEntry(table, me.pid, Value(data.hWnd), data.uID);
  switch (message) {
  case NIM_ADD: {
    if (entry) return Fail(ERROR_ALREADY_EXISTS);
    auto free = std::find_if(std::begin(table.entries), std::end(table.entries),
                             [](const TrayEntry& e) { return !e.used; });
    if (free == std::end(table.entries)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    std::memset(&*free, 0, sizeof *free);
    free->used = 1;
    free->order = ++table.nextOrder;
    free->pid = me.pid;
    free->start = me.start;
    free->window = Value(data.hWnd);
    free->id = data.uID;
    Apply(*free, data, picture);
    docked = StateOf(*free);
    return TRUE;
  }
  case NIM_MODIFY:
    if (!entry) return Fail(ERROR_FILE_NOT_FOUND);
    Apply(*entry, data, picture);
    docked = StateOf(*entry);
    return TRUE;
  case NIM_DELETE:
    if (!entry) return Fail(ERROR_FILE_NOT_FOUND);
    std::memset(entry, 0, sizeof *entry);
    return TRUE;
  default:
    return Fail(ERROR_INVALID_PARAMETER);
  }
}

}  // namespace

BOOL RegisterTray() {
  try {
    TrayLock lock;
    lock.Reap();
    TrayData& table = lock.Data();
    if (table.trayPid && table.trayPid != Me().pid) return Fail(ERROR_ALREADY_EXISTS);
    table.trayPid = Me().pid;
    table.trayStart = Me().start;
    return TRUE;
  } catch (const std::exception&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

void UnregisterTray() {
  try {
    TrayLock lock;
    if (lock.Data().trayPid == Me().pid) {
      lock.Data().trayPid = 0;
      lock.Data().trayStart = 0;
    }
  } catch (const std::exception&) {
  }
}

bool IsTrayPresent() {
  try {
    TrayLock lock;
    lock.Reap();
    return LiveTray(lock.Data());
  } catch (const std::exception&) {
    return false;
  }
}

std::vector<TrayIcon> ListTrayIcons() {
  std::vector<std::pair<std::uint32_t, TrayIcon>> found;
  try {
    TrayLock lock;
    lock.Reap();
    for (const TrayEntry& entry : lock.Data().entries) {
      if (!entry.used) continue;
      found.push_back({entry.order,
                       {static_cast<DWORD>(entry.pid), WindowOf(entry.window), entry.id, entry.flags,
                        entry.callback, entry.icon, entry.tip,
                        std::vector<DWORD>(std::begin(entry.pixels), std::end(entry.pixels))}});
    }
  } catch (const std::exception&) {
    return {};
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<TrayIcon> icons;
  for (auto& [order, icon] : found) icons.push_back(std::move(icon));
  return icons;
}

BOOL SendTrayMouse(HWND window, UINT id, UINT mouseMessage) {
  if (mouseMessage < WM_MOUSEMOVE || mouseMessage > WM_RBUTTONUP) return Fail(ERROR_INVALID_PARAMETER);
  UINT callback = 0;
  for (const TrayIcon& icon : ListTrayIcons())
    if (icon.window == window && icon.id == id) callback = icon.callbackMessage;
  if (!callback) return Fail(ERROR_FILE_NOT_FOUND);
  return PostMessageA(window, callback, id, mouseMessage);
}

BOOL ClickTrayIcon(HWND window, UINT id, UINT downMessage, bool doubleClick) {
  if (downMessage != WM_LBUTTONDOWN && downMessage != WM_RBUTTONDOWN) return Fail(ERROR_INVALID_PARAMETER);
  const UINT up = downMessage + 1;
  const UINT twice = downMessage + 2;
  if (!SendTrayMouse(window, id, downMessage) || !SendTrayMouse(window, id, up)) return FALSE;
  if (doubleClick && (!SendTrayMouse(window, id, twice) || !SendTrayMouse(window, id, up))) return FALSE;
  return TRUE;
}

}  // namespace tolvar::shell

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
  if (!data || (data->cbSize != NOTIFYICONDATA_V1_SIZE && data->cbSize != sizeof(NOTIFYICONDATAA))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    return tolvar::shell::NotifyIcon(message, *data);
  } catch (const std::exception&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}
