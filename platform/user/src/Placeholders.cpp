#include "Internal.h"
namespace tolvar::user {
bool HasMenuBar(HWND, DWORD) { return false; }
int MenuBarHeight(HWND, int) { return 0; }
void DrawMenuBarInto(HWND, HDC, const RECT&) {}
void DestroyMenuOfWindow(HMENU) {}
void RegisterSystemClasses() {}
}
