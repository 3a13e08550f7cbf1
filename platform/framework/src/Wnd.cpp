// The window object: the per-thread handle map, attaching and subclassing, creation through the
// creation hook, and the window procedure that hands messages to objects.
//
// A window's record says which object holds it and which procedure AfxWndProc replaced in its
// chain. When an object lets go of a window whose chain still passes through AfxWndProc (another
// procedure subclassed the window after us), the record stays as a plain link that forwards to the
// procedure we replaced, so the other procedure's chain keeps working whatever order it unwinds in.
#include <framework/Wnd.h>
#include <framework/App.h>
#include <framework/Frame.h>
#include <framework/GdiObjects.h>
#include <framework/Menu.h>
#include <framework/Dc.h>

#include <controls/MessageBox.h>

#include <gdi/Gdi.h>

#include "ThreadState.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

using tolvar::framework::Thread;
using tolvar::framework::ThreadState;
using tolvar::framework::WindowRecord;

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

namespace {

WindowRecord* RecordOf(HWND window) {
  ThreadState& t = Thread();
  auto it = t.windows.find(window);
  return it == t.windows.end() ? nullptr : &it->second;
}

void DropRecordIfUnused(HWND window) {
  WindowRecord* record = RecordOf(window);
  if (record && !record->object && !record->super) Thread().windows.erase(window);
}

// Puts AfxWndProc into the window's chain unless it is already a link of it.
void InstallProcedure(HWND window) {
  WindowRecord& record = Thread().windows[window];
  if (record.super) return;
  record.super = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
}

// After the window's last message: the thread's main window ends the loop, the chain is put back,
// and the object hears that it holds no window any more.
void FinishNcDestroy(HWND window, CWnd* object) {
  CWinThread* thread = AfxGetThread();
  if (thread && thread->m_pMainWnd == object) {
    thread->m_pMainWnd = nullptr;
    PostQuitMessage(0);
  }
  WindowRecord* record = RecordOf(window);
  if (record && record->super &&
      GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc)) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->super));
  }
  Thread().windows.erase(window);
  object->m_hWnd = nullptr;
  object->PostNcDestroy();
}

}  // namespace

struct AfxWindowHook {
  // Attaches the object that is creating a window to it, before the window's first message.
  static void Attach(HWND window, const CREATESTRUCTA&, void*) {
    ThreadState& t = Thread();
    CWnd* object = t.creating;
    if (!object) return;
    t.creating = nullptr;
    if (!object->Attach(window)) return;
    object->PreSubclassWindow();
    InstallProcedure(window);
  }
};

namespace tolvar::framework {

CreatingWindow::CreatingWindow(CWnd* object) : m_previous(Thread().creating) {
  Thread().creating = object;
  m_previousHook = tolvar::user::SetCreationHook({&AfxWindowHook::Attach, nullptr});
}

CreatingWindow::~CreatingWindow() {
  tolvar::user::SetCreationHook(m_previousHook);
  Thread().creating = m_previous;
}

void AttachCreatedWindow(CWnd* object, HWND window) {
  if (!object->Attach(window)) return;
  object->PreSubclassWindow();
  InstallProcedure(window);
}

}  // namespace tolvar::framework

LRESULT AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ThreadState& t = Thread();
  WindowRecord* record = RecordOf(window);
  if (!record) return DefWindowProcA(window, message, wParam, lParam);
  CWnd* object = record->temporary ? nullptr : record->object;
  if (!object) {
    // A link left by an object that let go: pass the message down the chain.
    WNDPROC super = record->super;
    LRESULT result = super ? CallWindowProcA(super, window, message, wParam, lParam)
                           : DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) t.windows.erase(window);
    return result;
  }
  LRESULT result = 0;
  {
    CCurrentMessage current(window, message, wParam, lParam);
    result = object->WindowProc(message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    record = RecordOf(window);
    if (record && record->object == object && !record->temporary) {
      FinishNcDestroy(window, object);
    } else if (record && !record->object) {
      Thread().windows.erase(window);
    }
  }
  return result;
}

CCurrentMessage::CCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    : m_previous(Thread().current) {
  Thread().current = MSG{window, message, wParam, lParam, 0, {0, 0}};
}

CCurrentMessage::~CCurrentMessage() { Thread().current = m_previous; }

CWnd::~CWnd() {
  if (!m_hWnd) return;
  if (FromHandlePermanent(m_hWnd) == this && IsWindow(m_hWnd)) {
    ::DestroyWindow(m_hWnd);  // its WM_NCDESTROY lets go of the window
  }
  if (m_hWnd) Detach();
}

CWnd* CWnd::FromHandle(HWND window) {
  if (!window) return nullptr;
  ThreadState& t = Thread();
  WindowRecord& record = t.windows[window];
  if (record.object) return record.object;
  auto temporary = std::make_unique<CWnd>();
  temporary->m_hWnd = window;
  record.object = temporary.get();
  record.temporary = true;
  t.tempWindows.push_back(std::move(temporary));
  return record.object;
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
  WindowRecord* record = window ? RecordOf(window) : nullptr;
  return record && !record->temporary ? record->object : nullptr;
}

void CWnd::DeleteTempMap() {
  ThreadState& t = Thread();
  for (auto& temporary : t.tempWindows) {
    HWND window = temporary->m_hWnd;
    WindowRecord* record = window ? RecordOf(window) : nullptr;
    if (record && record->object == temporary.get()) {
      record->object = nullptr;
      record->temporary = false;
      DropRecordIfUnused(window);
    }
    temporary->m_hWnd = nullptr;
  }
  t.tempWindows.clear();
}

BOOL CWnd::Attach(HWND window) {
  if (!window || m_hWnd) return FALSE;
  WindowRecord& record = Thread().windows[window];
  if (record.object && !record.temporary) return FALSE;  // one object per window per thread
  record.object = this;
  record.temporary = false;
  m_hWnd = window;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND window = m_hWnd;
  if (!window) return nullptr;
  WindowRecord* record = RecordOf(window);
  if (record && record->object == this) {
    record->object = nullptr;
    DropRecordIfUnused(window);
  }
  m_hWnd = nullptr;
  return window;
}

BOOL CWnd::SubclassWindow(HWND window) {
  if (!IsWindow(window) || !Attach(window)) return FALSE;
  PreSubclassWindow();
  InstallProcedure(window);
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
  return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  HWND window = m_hWnd;
  if (!window) return nullptr;
  WindowRecord* record = RecordOf(window);
  if (record && record->super &&
      GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc)) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->super));
    record->super = nullptr;
  }
  return Detach();
}

void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW));
  return TRUE;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void* context) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), context);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, void* param) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTA cs{param, AfxGetInstanceHandle(), menuOrId, parent, height, width, y, x,
                   static_cast<LONG>(style), windowName, className, exStyle};
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  tolvar::framework::CreatingWindow attach(this);
  HWND window = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  return window != nullptr;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = m_hWnd ? RecordOf(m_hWnd) : nullptr;
  if (record && record->super) return CallWindowProcA(record->super, m_hWnd, message, wParam, lParam);
  return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  const MSG& m = Thread().current;
  return DefWindowProc(m.message, m.wParam, m.lParam);
}

const MSG* CWnd::GetCurrentMessage() { return &Thread().current; }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::ScreenToClient(LPRECT rect) const {
  POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
  ::ScreenToClient(m_hWnd, &a);
  ::ScreenToClient(m_hWnd, &b);
  *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::ClientToScreen(LPRECT rect) const {
  POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
  ::ClientToScreen(m_hWnd, &a);
  ::ClientToScreen(m_hWnd, &b);
  *rect = RECT{a.x, a.y, b.x, b.y};
}

CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* dc) { return dc ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0; }

BOOL CWnd::RedrawWindow(LPCRECT rect, CRgn* region, UINT flags) {
  return ::RedrawWindow(m_hWnd, rect, region ? static_cast<HRGN>(*region) : nullptr, flags);
}

void CWnd::InvalidateRgn(CRgn* region, BOOL erase) {
  ::InvalidateRgn(m_hWnd, region ? static_cast<HRGN>(*region) : nullptr, erase);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
  if (!caption) {
    CWinApp* app = AfxGetApp();
    caption = app && app->m_pszAppName ? app->m_pszAppName : nullptr;
  }
  return ::MessageBoxA(m_hWnd, text, caption, type);
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) const {
  for (int id = firstId; id <= lastId; ++id)
    if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) return id;
  return 0;
}

int CWnd::GetDlgItemText(int id, CString& text) const {
  text.Empty();
  if (HWND item = ::GetDlgItem(m_hWnd, id)) FromHandle(item)->GetWindowText(text);
  return text.GetLength();
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, revert)); }

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask) {
  info->cbSize = sizeof(SCROLLINFO);
  info->fMask = mask;
  return ::GetScrollInfo(m_hWnd, bar, info);
}

int CWnd::GetScrollLimit(int bar) {
  SCROLLINFO info{};
  if (!GetScrollInfo(bar, &info, SIF_RANGE | SIF_PAGE)) return 0;
  return info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0);
}

CWnd* CWnd::GetOwner() const { return m_hWndOwner ? FromHandle(m_hWndOwner) : GetParent(); }

CWnd* CWnd::GetTopLevelParent() const {
  HWND window = m_hWnd;
  while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) window = ::GetParent(window);
  return FromHandle(window);
}

CFrameWnd* CWnd::GetParentFrame() const {
  for (HWND window = ::GetParent(m_hWnd); window; window = ::GetParent(window)) {
    CWnd* object = FromHandlePermanent(window);
    if (object && object->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(object);
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

namespace {
void SendToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, BOOL deep, BOOL onlyPermanent) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!onlyPermanent || CWnd::FromHandlePermanent(child)) ::SendMessageA(child, message, wParam, lParam);
    if (deep && ::GetWindow(child, GW_CHILD)) SendToDescendants(child, message, wParam, lParam, TRUE, onlyPermanent);
  }
}
}  // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep, BOOL onlyPermanent) {
  SendToDescendants(m_hWnd, message, wParam, lParam, deep, onlyPermanent);
}

void CWnd::GetWindowText(CString& text) const {
  int length = ::GetWindowTextLengthA(m_hWnd);
  std::string buffer(static_cast<size_t>(length) + 1, '\0');
  int got = ::GetWindowTextA(m_hWnd, buffer.data(), length + 1);
  text = CString(buffer.data(), got);
}

namespace {
BOOL ModifyLong(HWND window, int index, DWORD remove, DWORD add, UINT swpFlags) {
  DWORD style = static_cast<DWORD>(GetWindowLongA(window, index));
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  SetWindowLongA(window, index, static_cast<LONG>(changed));
  if (swpFlags) {
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
  }
  return TRUE;
}
}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) { return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags); }
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
  return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

CFont* CWnd::GetFont() const {
  return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
}

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
BOOL CWnd::SetMenu(CMenu* menu) { return ::SetMenu(m_hWnd, menu ? menu->m_hMenu : nullptr); }

void CWnd::CenterWindow(CWnd* alternateOwner) {
  // A child centres in its parent's client area; a pop-up over its owner when that is shown and
  // not minimised, else in the work area, and it is kept inside the work area.
  const bool child = (GetStyle() & WS_CHILD) != 0;
  HWND around = alternateOwner ? alternateOwner->m_hWnd : child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT area = work;
  if (child) {
    ::GetClientRect(around, &area);
  } else if (around && ::IsWindowVisible(around) && !::IsIconic(around)) {
    ::GetWindowRect(around, &area);
  }
  RECT self;
  GetWindowRect(&self);
  const int width = self.right - self.left, height = self.bottom - self.top;
  int left = area.left + (area.right - area.left - width) / 2, top = area.top + (area.bottom - area.top - height) / 2;
  if (!child) {
    left = std::max<int>(work.left, std::min<int>(left, work.right - width));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
  }
  ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  // The name says the look, so equal looks share one class; names are kept for the process, as
  // classes are.
  static std::mutex lock;
  static std::set<std::string> names;
  char name[96];
  std::snprintf(name, sizeof name, "Tolvar:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                static_cast<void*>(background), static_cast<void*>(icon));
  std::lock_guard guard(lock);
  auto [it, added] = names.insert(name);
  if (added) {
    WNDCLASSA windowClass{classStyle, &DefWindowProcA, 0, 0, nullptr, icon, cursor, background, nullptr, it->c_str()};
    RegisterClassA(&windowClass);
  }
  return it->c_str();
}
