#include <user_testing/Recorder.h>

#include <base/Time.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

namespace testing_user {
namespace {

// Every test program gets a home of its own before anything opens the window station.
struct TestHome {
  TestHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "user-test-XXXXXX").string();
    if (char* dir = mkdtemp(pattern.data())) setenv("TOLVAR_HOME", dir, 1);
  }
};
TestHome g_home;

bool Noisy(UINT message) {
  switch (message) {
    case WM_GETICON: case WM_NCHITTEST: case WM_SETCURSOR: case WM_GETTEXT: case WM_GETTEXTLENGTH:
    case WM_NCPAINT: case WM_ERASEBKGND: case WM_PAINT: case WM_CTLCOLORDLG: case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: case WM_TIMER: case WM_GETMINMAXINFO + 0x1000:
      return true;
    default:
      return false;
  }
}

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Noisy(message)) Recorder::Get().Add(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

Recorder& Recorder::Get() {
  static Recorder recorder;
  return recorder;
}

void Recorder::Clear() { m_messages.clear(); }
void Recorder::Add(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  m_messages.push_back({window, message, wParam, lParam});
}
std::vector<Recorded> Recorder::Take() {
  std::vector<Recorded> out;
  out.swap(m_messages);
  return out;
}

std::string MessageName(UINT message) {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"}, {WM_CLOSE, "WM_CLOSE"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"}, {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
      {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
      {WM_NCACTIVATE, "WM_NCACTIVATE"}, {WM_GETDLGCODE, "WM_GETDLGCODE"}, {WM_KEYDOWN, "WM_KEYDOWN"},
      {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"},
      {WM_INITDIALOG, "WM_INITDIALOG"}, {WM_COMMAND, "WM_COMMAND"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
      {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"}, {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_NEXTDLGCTL, "WM_NEXTDLGCTL"}, {WM_STYLECHANGING, "WM_STYLECHANGING"},
      {WM_STYLECHANGED, "WM_STYLECHANGED"}, {WM_CHILDACTIVATE, "WM_CHILDACTIVATE"}, {WM_SETFONT, "WM_SETFONT"},
      {WM_CHANGEUISTATE, "WM_CHANGEUISTATE"}, {WM_UPDATEUISTATE, "WM_UPDATEUISTATE"}, {WM_CANCELMODE, "WM_CANCELMODE"},
      {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"}, {WM_ENTERIDLE, "WM_ENTERIDLE"}, {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"},
      {WM_MENUSELECT, "WM_MENUSELECT"}, {WM_MEASUREITEM, "WM_MEASUREITEM"}, {WM_DRAWITEM, "WM_DRAWITEM"},
      {WM_ENTERMENULOOP, "WM_ENTERMENULOOP"}, {WM_EXITMENULOOP, "WM_EXITMENULOOP"}, {WM_INITMENU, "WM_INITMENU"},
      {WM_UNINITMENUPOPUP, "WM_UNINITMENUPOPUP"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
      {BM_SETSTYLE, "BM_SETSTYLE"}, {BM_CLICK, "BM_CLICK"}, {BM_SETCHECK, "BM_SETCHECK"}, {BM_GETCHECK, "BM_GETCHECK"},
      {DM_GETDEFID, "DM_GETDEFID"}, {DM_SETDEFID, "DM_SETDEFID"},
      {WM_HSCROLL, "WM_HSCROLL"}, {WM_VSCROLL, "WM_VSCROLL"}, {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
      {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"}, {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"}, {WM_SYSCHAR, "WM_SYSCHAR"},
      {WM_ENTERSIZEMOVE, "WM_ENTERSIZEMOVE"}, {WM_EXITSIZEMOVE, "WM_EXITSIZEMOVE"}, {WM_MOVING, "WM_MOVING"},
      {WM_SIZING, "WM_SIZING"}, {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
  };
  auto it = names.find(message);
  if (it != names.end()) return it->second;
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%04X", message);
  return buffer;
}

namespace {

std::string Describe(const std::vector<Recorded>& got, HWND parent) {
  std::ostringstream out;
  for (const Recorded& r : got) {
    out << "  " << MessageName(r.message) << (r.window == parent ? " (parent)" : "") << " w=" << r.wParam
        << " l=" << r.lParam << "\n";
  }
  return out.str();
}

std::string Describe(std::initializer_list<Expected> expected) {
  std::ostringstream out;
  for (const Expected& e : expected) {
    out << "  " << MessageName(e.message) << ((e.flags & kParent) ? " (parent)" : "")
        << ((e.flags & kOptional) ? " optional" : "");
    if (e.flags & kWParam) out << " w=" << e.wParam;
    out << "\n";
  }
  return out.str();
}

}  // namespace

void ExpectSequence(const std::vector<Recorded>& got, std::initializer_list<Expected> expected, const char* context) {
  const HWND parent = Recorder::Get().Parent();
  std::size_t i = 0;
  std::string problem;
  for (const Expected& e : expected) {
    auto matches = [&](const Recorded& r) {
      return r.message == e.message && ((r.window == parent) == ((e.flags & kParent) != 0)) &&
             (!(e.flags & kWParam) || r.wParam == e.wParam) && (!(e.flags & kLParam) || r.lParam == e.lParam);
    };
    if (i < got.size() && matches(got[i])) {
      ++i;
      continue;
    }
    if (e.flags & kOptional) continue;
    problem = "expected " + MessageName(e.message) + " at position " + std::to_string(i);
    break;
  }
  if (problem.empty() && i != got.size()) problem = "unexpected " + MessageName(got[i].message) + " at the end";
  EXPECT_TRUE(problem.empty()) << context << ": " << problem << "\nexpected:\n"
                               << Describe(expected) << "got:\n"
                               << Describe(got, parent);
}

LPCSTR RecordingClass() {
  static ATOM atom = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = "Recorded";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  return "Recorded";
}

LPCSTR PlainClass() {
  static ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = "Plain";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  return "Plain";
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  return true;
}

COLORREF PixelAt(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return colour;
}

void SavePng(HBITMAP bitmap, const char* name) {
  const char* dir = std::getenv("TEST_PNG_DIR");
  if (!dir) return;
  tolvar::gdi::WritePng(bitmap, (std::string(dir) + "/" + name + ".png").c_str());
}

void SavePng(const std::vector<std::uint32_t>& pixels, int width, int height, const char* name) {
  if (pixels.empty() || width <= 0 || height <= 0 || pixels.size() < std::size_t(width) * std::size_t(height)) return;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!picture) return;
  std::memcpy(bits, pixels.data(), std::size_t(width) * std::size_t(height) * sizeof pixels[0]);
  SavePng(picture, name);
  DeleteObject(picture);
}

}  // namespace testing_user
