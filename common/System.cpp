// What Common tells of the system and does to windows and bitmaps: the version and technology (from
// what the platform reports), the administrator test (the process token's groups), full screen,
// loading a bitmap file with a palette, and error texts from the system's message table.
#include "Common.h"

#include <kernel/File.h>
#include <kernel/Format.h>
#include <kernel/Kernel.h>
#include <kernel/Security.h>
#include <kernel/UniqueHandle.h>
#include <kernel/Version.h>

#include <algorithm>
#include <vector>

enumWINDOWS_VERSION GetWindowsVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return WINDOWS_VERSION_OTHER;
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s: return WINDOWS_VERSION_WIN32S;
    case VER_PLATFORM_WIN32_WINDOWS: return info.dwMinorVersion == 0 ? WINDOWS_VERSION_95 : WINDOWS_VERSION_98_ME;
    case VER_PLATFORM_WIN32_NT:
      switch (info.dwMajorVersion) {
        case 3: return WINDOWS_VERSION_NT3;
        case 4: return WINDOWS_VERSION_NT4;
        case 5: return WINDOWS_VERSION_NT5;
        default: return WINDOWS_VERSION_OTHER;
      }
    default: return WINDOWS_VERSION_OTHER;
  }
}

// The family bits decide, NT's first: NT 3.x (33) also has the low bit that alone marks Win32s (1),
// and is NT all the same.
enumWINDOWS_TECHNOLOGY GetWindowsTechnology(enumWINDOWS_VERSION version) {
  if (version & 0x20) return WINDOWS_TECHNOLOGY_NT;
  if (version & 0x10) return WINDOWS_TECHNOLOGY_9X;
  return WINDOWS_TECHNOLOGY_WIN32S;
}

enumWINDOWS_TECHNOLOGY GetWindowsTechnology() { return GetWindowsTechnology(GetWindowsVersion()); }

enumWINDOWS_TECHNOLOGY GetWindowsVersion(enumWINDOWS_VERSION& version) {
  version = GetWindowsVersion();
  return GetWindowsTechnology(version);
}

int IsAdmin() {
  HANDLE raw = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &raw) &&
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
    return 0;
  tolvar::kernel::UniqueHandle token(raw);
  // A buffer of 1,024 bytes; a token with more groups than that holds is not read.
  alignas(TOKEN_GROUPS) BYTE buffer[1024];
  DWORD length = 0;
  if (!GetTokenInformation(token.Get(), TokenGroups, buffer, sizeof buffer, &length)) return 0;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                0, 0, 0, &admins))
    return 0;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer);
  int found = 0;
  for (DWORD i = 0; i < groups->GroupCount && !found; ++i)
    if (EqualSid(groups->Groups[i].Sid, admins)) found = 1;
  FreeSid(admins);
  return found;
}

void GoFullScreen(HWND window, int full, RECT& saved) {
  if (full) {
    GetWindowRect(window, &saved);
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) & ~static_cast<LONG>(WS_DLGFRAME));
    const int border = GetSystemMetrics(SM_CXBORDER), borderY = GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(window, nullptr, -(border + 1), -(borderY + 1), GetSystemMetrics(SM_CXSCREEN) + border + 2,
                 GetSystemMetrics(SM_CYSCREEN) + borderY + 2, SWP_NOZORDER);
  } else {
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | static_cast<LONG>(WS_CAPTION));
    SetWindowPos(window, HWND_NOTOPMOST, saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top,
                 SWP_SHOWWINDOW);
  }
}

namespace {

// The number of colour-table entries the file's header names (biClrUsed; 0 means as many as the
// depth allows), read from its bytes: the loaded bitmap keeps the table but not that count.
DWORD ColoursUsed(LPCSTR path) {
  tolvar::kernel::UniqueHandle file(
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  BYTE header[54] = {};
  DWORD read = 0;
  if (!file || !ReadFile(file.Get(), header, sizeof header, &read, nullptr) || read < sizeof header) return 0;
  const DWORD headerSize = header[14] | header[15] << 8 | header[16] << 16 | static_cast<DWORD>(header[17]) << 24;
  if (headerSize < 40) return 0;  // the old core header has no count
  return header[46] | header[47] << 8 | header[48] << 16 | static_cast<DWORD>(header[49]) << 24;
}

}  // namespace

int LoadBitmapFromBMPFile(LPCSTR path, CBitmap* bitmap, CPalette* palette) {
  if (!bitmap || !palette) return 0;
  bitmap->DeleteObject();
  palette->DeleteObject();
  auto loaded = static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!loaded) return 0;
  bitmap->Attach(loaded);
  DIBSECTION section{};
  ::GetObjectA(loaded, sizeof section, &section);
  const int bits = section.dsBmih.biBitCount;
  HDC screen = ::GetDC(nullptr);
  if (bits > 8) {
    palette->Attach(::CreateHalftonePalette(screen));
  } else {
    // The file's own colour table: as many entries as it holds, never more.
    const int capacity = 1 << bits;
    const DWORD used = ColoursUsed(path);
    const int count = used ? std::min<int>(static_cast<int>(used), capacity) : capacity;
    std::vector<BYTE> infoBytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(infoBytes.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = section.dsBm.bmWidth;
    info->bmiHeader.biHeight = section.dsBm.bmHeight;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bits);
    ::GetDIBits(screen, loaded, 0, 0, nullptr, info, DIB_RGB_COLORS);
    std::vector<BYTE> paletteBytes(sizeof(LOGPALETTE) + static_cast<std::size_t>(count) * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(paletteBytes.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    const BYTE* table = infoBytes.data() + sizeof(BITMAPINFOHEADER);
    for (int i = 0; i < count; ++i) {
      const BYTE* quad = table + i * sizeof(RGBQUAD);  // blue, green, red, reserved
      logical->palPalEntry[i] = PALETTEENTRY{quad[2], quad[1], quad[0], 0};
    }
    palette->CreatePalette(logical);
  }
  ::ReleaseDC(nullptr, screen);
  return 1;
}

CString GetWinErrorString(DWORD code) {
  LPSTR text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                                      reinterpret_cast<LPSTR>(&text), 0, nullptr);
  CString result(length && text ? text : "");
  if (text) LocalFree(text);
  return result;
}
