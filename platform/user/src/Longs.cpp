// Window longs, extra bytes and text.
#include "Internal.h"

#include <user/Dialog.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstring>

namespace tolvar::user {
namespace {

bool FitsInLong(int index) {
  return index != GWLP_WNDPROC && index != GWLP_HINSTANCE && index != GWLP_HWNDPARENT;
}

bool ReadExtra(const Window& window, int index, void* value, std::size_t size) {
  if (index < 0 || static_cast<std::size_t>(index) + size > window.extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return false;
  }
  std::memcpy(value, window.extra.data() + index, size);
  return true;
}

bool WriteExtra(Window& window, int index, const void* value, std::size_t size) {
  if (index < 0 || static_cast<std::size_t>(index) + size > window.extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return false;
  }
  std::memcpy(window.extra.data() + index, value, size);
  return true;
}

// The values kept in the station, readable for any process's window.
std::optional<LONG_PTR> StationLong(const WindowSlot& slot, int index) {
  switch (index) {
    case GWL_STYLE: return static_cast<LONG>(slot.style);
    case GWL_EXSTYLE: return static_cast<LONG>(slot.exStyle);
    case GWLP_ID: return static_cast<LONG_PTR>(slot.id);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(HandleOf(slot.parent == kDesktopHandle ? slot.owner : slot.parent));
    default: return std::nullopt;
  }
}

LONG_PTR GetLong(HWND window, int index, std::size_t extraSize) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow<LONG_PTR>(0);
  if (auto value = StationLong(*slot, index)) return *value;
  std::lock_guard guard(ProcessLock());
  auto local = FindLocal(window);
  if (!local) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(local->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(local->instance);
    case GWLP_USERDATA: return local->userData;
    default: break;
  }
  if (extraSize == sizeof(LONG)) {
    LONG value = 0;
    return ReadExtra(*local, index, &value, sizeof value) ? value : 0;
  }
  LONG_PTR value = 0;
  return ReadExtra(*local, index, &value, sizeof value) ? value : 0;
}

void ChangeStyle(HWND window, int index, DWORD value, bool local) {
  STYLESTRUCT change{};
  change.styleOld = index == GWL_STYLE ? StyleOf(window) : ExStyleOf(window);
  change.styleNew = value;
  if (local) SendMessageA(window, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
  WriteSlot(window, [&](WindowSlot& slot) { (index == GWL_STYLE ? slot.style : slot.exStyle) = change.styleNew; });
  if (local) SendMessageA(window, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
}

LONG_PTR SetLong(HWND window, int index, LONG_PTR value, std::size_t extraSize) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow<LONG_PTR>(0);
  const bool local = IsLocal(*slot);
  LONG_PTR old = 0;
  switch (index) {
    case GWL_STYLE:
    case GWL_EXSTYLE:
      old = index == GWL_STYLE ? static_cast<LONG>(slot->style) : static_cast<LONG>(slot->exStyle);
      ChangeStyle(window, index, static_cast<DWORD>(value), local);
      SetLastError(0);
      return old;
    case GWLP_ID:
      WriteSlot(window, [&](WindowSlot& s) { s.id = value; });
      SetLastError(0);
      return static_cast<LONG_PTR>(slot->id);
    case GWLP_HWNDPARENT:
      if (slot->parent != kDesktopHandle) {
        return reinterpret_cast<LONG_PTR>(SetParent(window, reinterpret_cast<HWND>(value)));
      }
      WriteSlot(window, [&](WindowSlot& s) { s.owner = HandleValue(reinterpret_cast<HWND>(value)); });
      return reinterpret_cast<LONG_PTR>(HandleOf(slot->owner));
    default: break;
  }
  std::lock_guard guard(ProcessLock());
  auto object = FindLocal(window);
  if (!object) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  SetLastError(0);
  switch (index) {
    case GWLP_WNDPROC:
      old = reinterpret_cast<LONG_PTR>(object->proc);
      object->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(object->instance);
      object->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_USERDATA:
      old = object->userData;
      object->userData = value;
      return old;
    default: break;
  }
  // A dialog's result is pointer-sized; a 32-bit store of it is sign-extended so both reads agree.
  if (object->dialog && index == DWLP_MSGRESULT) extraSize = sizeof(LRESULT);
  if (extraSize == sizeof(LONG)) {
    LONG previous = 0;
    if (!ReadExtra(*object, index, &previous, sizeof previous)) return 0;
    LONG stored = static_cast<LONG>(value);
    WriteExtra(*object, index, &stored, sizeof stored);
    return previous;
  }
  LONG_PTR previous = 0;
  if (!ReadExtra(*object, index, &previous, sizeof previous)) return 0;
  WriteExtra(*object, index, &value, sizeof value);
  return previous;
}

}  // namespace
}  // namespace tolvar::user

using namespace tolvar::user;

LONG GetWindowLongA(HWND window, int index) {
  if (!FitsInLong(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<LONG>(GetLong(window, index, sizeof(LONG)));
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  if (!FitsInLong(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<LONG>(SetLong(window, index, value, sizeof(LONG)));
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) { return GetLong(window, index, sizeof(LONG_PTR)); }

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  return SetLong(window, index, value, sizeof(LONG_PTR));
}

int GetWindowTextA(HWND window, LPSTR buffer, int bufferMax) {
  if (!buffer || bufferMax <= 0) return 0;
  buffer[0] = 0;
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(0u);
  if (!IsLocal(*slot)) {
    std::string_view text = slot->text;
    int n = std::min(static_cast<int>(text.size()), bufferMax - 1);
    std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
    buffer[n] = 0;
    return n;
  }
  return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(bufferMax),
                                       reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND window) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(0u);
  if (!IsLocal(*slot)) return static_cast<int>(std::strlen(slot->text));
  return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!ReadSlot(window)) return InvalidWindow(FALSE);
  bool ok = false;
  LRESULT result = SendWithTimeout(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""), INFINITE, &ok);
  return ok && result ? TRUE : FALSE;
}

int GetDlgCtrlID(HWND window) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(0u);
  return static_cast<int>(slot->id);
}
