// Window classes of the process, by name or atom.
#include "Internal.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <resources/Resource.h>

#include <cstring>
#include <strings.h>

namespace tolvar::user {
namespace {

constexpr ATOM kFirstAtom = 0xC000;

struct ClassTable {
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = kFirstAtom;
  std::vector<ClassProvider> providers;
  std::size_t providersRun = 0;  // providers before this index have registered their classes
};

ClassTable& Classes() {
  static ClassTable table;
  return table;
}

bool IsAtom(LPCSTR name) { return IS_INTRESOURCE(name); }

// "#32770" and MAKEINTATOM(32770) name the same class, as Windows' integer class names do.
std::optional<ATOM> NumericName(LPCSTR name) {
  if (IsAtom(name)) return static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
  if (name[0] != '#') return std::nullopt;
  char* end = nullptr;
  unsigned long value = std::strtoul(name + 1, &end, 10);
  if (*end || value == 0 || value > 0xFFFF) return std::nullopt;
  return static_cast<ATOM>(value);
}

std::shared_ptr<WindowClass> Lookup(LPCSTR name) {
  if (!name) return nullptr;
  auto numeric = NumericName(name);
  for (auto& c : Classes().classes) {
    if (numeric ? c->atom == *numeric : strcasecmp(c->name.c_str(), name) == 0) return c;
  }
  return nullptr;
}

// A class this process has not registered may come from a provider added since the last miss.
// Providers register through RegisterClassExA, under the same (recursive) lock.
std::shared_ptr<WindowClass> LookupOrProvide(LPCSTR name) {
  if (auto c = Lookup(name)) return c;
  ClassTable& table = Classes();
  if (table.providersRun == table.providers.size()) return nullptr;
  while (table.providersRun < table.providers.size()) table.providers[table.providersRun++]();
  return Lookup(name);
}

ATOM Register(const WNDCLASSEXA& wc) {
  if (!wc.lpszClassName || !wc.lpfnWndProc || wc.cbClsExtra < 0 || wc.cbWndExtra < 0 ||
      wc.cbClsExtra > 40000 || wc.cbWndExtra > 40000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard guard(ProcessLock());
  if (Lookup(wc.lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto c = std::make_shared<WindowClass>();
  if (auto numeric = NumericName(wc.lpszClassName)) {
    c->atom = *numeric;
    c->name = "#" + std::to_string(*numeric);
  } else {
    c->name = wc.lpszClassName;
    ClassTable& table = Classes();
    c->atom = table.nextAtom++;
    if (table.nextAtom == 0) table.nextAtom = kFirstAtom;
  }
  c->style = wc.style;
  c->proc = wc.lpfnWndProc;
  c->classExtraBytes = wc.cbClsExtra;
  c->windowExtraBytes = wc.cbWndExtra;
  c->instance = wc.hInstance;
  c->icon = wc.hIcon;
  c->smallIcon = wc.hIconSm;
  c->cursor = wc.hCursor;
  c->background = wc.hbrBackground;
  c->menuName = wc.lpszMenuName;
  c->classExtra.assign(static_cast<std::size_t>(wc.cbClsExtra), 0);
  Classes().classes.push_back(c);
  return c->atom;
}

void Fill(const WindowClass& c, WNDCLASSEXA& wc) {
  wc.style = c.style;
  wc.lpfnWndProc = c.proc;
  wc.cbClsExtra = c.classExtraBytes;
  wc.cbWndExtra = c.windowExtraBytes;
  wc.hInstance = c.instance;
  wc.hIcon = c.icon;
  wc.hIconSm = c.smallIcon;
  wc.hCursor = c.cursor;
  wc.hbrBackground = c.background;
  wc.lpszMenuName = c.menuName;
  wc.lpszClassName = c.name.c_str();
}

std::shared_ptr<WindowClass> ClassOfWindow(HWND window) {
  auto local = FindLocal(window);
  if (!local) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return local->windowClass;
}

}  // namespace

std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE) {
  std::lock_guard guard(ProcessLock());
  return LookupOrProvide(name);
}

void AddClassProvider(ClassProvider provider) {
  if (!provider) return;
  std::lock_guard guard(ProcessLock());
  Classes().providers.push_back(provider);
}

}  // namespace tolvar::user

using namespace tolvar::user;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  ex.style = windowClass->style;
  ex.lpfnWndProc = windowClass->lpfnWndProc;
  ex.cbClsExtra = windowClass->cbClsExtra;
  ex.cbWndExtra = windowClass->cbWndExtra;
  ex.hInstance = windowClass->hInstance;
  ex.hIcon = windowClass->hIcon;
  ex.hCursor = windowClass->hCursor;
  ex.hbrBackground = windowClass->hbrBackground;
  ex.lpszMenuName = windowClass->lpszMenuName;
  ex.lpszClassName = windowClass->lpszClassName;
  return Register(ex);
}

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Register(*windowClass);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  std::lock_guard guard(ProcessLock());
  auto c = Lookup(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (c->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  std::erase(Classes().classes, c);
  return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR className, LPWNDCLASSEXA windowClass) {
  if (!windowClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard guard(ProcessLock());
  auto c = LookupOrProvide(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  UINT size = windowClass->cbSize;
  Fill(*c, *windowClass);
  windowClass->cbSize = size;
  return c->atom;
}

BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, LPWNDCLASSA windowClass) {
  if (!windowClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  BOOL found = GetClassInfoExA(instance, className, &ex);
  if (!found) return FALSE;
  windowClass->style = ex.style;
  windowClass->lpfnWndProc = ex.lpfnWndProc;
  windowClass->cbClsExtra = ex.cbClsExtra;
  windowClass->cbWndExtra = ex.cbWndExtra;
  windowClass->hInstance = ex.hInstance;
  windowClass->hIcon = ex.hIcon;
  windowClass->hCursor = ex.hCursor;
  windowClass->hbrBackground = ex.hbrBackground;
  windowClass->lpszMenuName = ex.lpszMenuName;
  windowClass->lpszClassName = ex.lpszClassName;
  return found;
}

int GetClassNameA(HWND window, LPSTR buffer, int bufferMax) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(0u);
  if (!buffer || bufferMax <= 0) return 0;
  std::string_view name = slot->className;
  int n = std::min(static_cast<int>(name.size()), bufferMax - 1);
  std::memcpy(buffer, name.data(), static_cast<std::size_t>(n));
  buffer[n] = 0;
  return n;
}

ULONG_PTR GetClassLongPtrA(HWND window, int index) {
  std::lock_guard guard(ProcessLock());
  auto c = ClassOfWindow(window);
  if (!c) return 0;
  if (index >= 0) {
    if (static_cast<std::size_t>(index) + sizeof(ULONG_PTR) > c->classExtra.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    ULONG_PTR value = 0;
    std::memcpy(&value, c->classExtra.data() + index, sizeof value);
    return value;
  }
  switch (index) {
    case GCL_MENUNAME: return reinterpret_cast<ULONG_PTR>(c->menuName);
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c->background);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(c->cursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(c->icon);
    case GCLP_HICONSM: return reinterpret_cast<ULONG_PTR>(c->smallIcon);
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c->windowExtraBytes);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(c->classExtraBytes);
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(c->proc);
    case GCL_STYLE: return c->style;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

DWORD GetClassLongA(HWND window, int index) {
  if (index == GCLP_HBRBACKGROUND || index == GCLP_HCURSOR || index == GCLP_HICON || index == GCLP_HICONSM ||
      index == GCLP_WNDPROC || index == GCL_MENUNAME) {
    SetLastError(ERROR_INVALID_INDEX);  // pointers do not fit
    return 0;
  }
  if (index >= 0) {
    std::lock_guard guard(ProcessLock());
    auto c = ClassOfWindow(window);
    if (!c) return 0;
    if (static_cast<std::size_t>(index) + sizeof(DWORD) > c->classExtra.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    DWORD value = 0;
    std::memcpy(&value, c->classExtra.data() + index, sizeof value);
    return value;
  }
  return static_cast<DWORD>(GetClassLongPtrA(window, index));
}

ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value) {
  std::lock_guard guard(ProcessLock());
  auto c = ClassOfWindow(window);
  if (!c) return 0;
  ULONG_PTR old = GetClassLongPtrA(window, index);
  if (index >= 0) {
    if (static_cast<std::size_t>(index) + sizeof(LONG_PTR) > c->classExtra.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    std::memcpy(c->classExtra.data() + index, &value, sizeof value);
    return old;
  }
  switch (index) {
    case GCLP_HBRBACKGROUND: c->background = reinterpret_cast<HBRUSH>(value); break;
    case GCLP_HCURSOR: c->cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCLP_HICON: c->icon = reinterpret_cast<HICON>(value); break;
    case GCLP_HICONSM: c->smallIcon = reinterpret_cast<HICON>(value); break;
    case GCLP_WNDPROC: c->proc = reinterpret_cast<WNDPROC>(value); break;
    case GCL_STYLE: c->style = static_cast<UINT>(value); break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
  return old;
}
