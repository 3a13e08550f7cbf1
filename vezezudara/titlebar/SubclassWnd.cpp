// The hook chains of CSubclassWnd: one entry per hooked window, holding its newest hook and the
// procedure the window had before.
#include "SubclassWnd.h"

#include <framework/Wnd.h>

#include <map>
#include <vector>

namespace {

struct HookChain {
  CSubclassWnd* head = nullptr;
  WNDPROC previous = nullptr;
};

std::map<HWND, HookChain>& Chains() {
  static std::map<HWND, HookChain> chains;
  return chains;
}

}  // namespace

LRESULT SubclassHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = Chains().find(window);
  if (found == Chains().end()) return DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC previous = found->second.previous;
  if (message == WM_NCDESTROY) {
    // Every hook lets go first; the window's own procedure sees the message last.
    std::vector<CSubclassWnd*> hooks;
    for (CSubclassWnd* hook = found->second.head; hook; hook = hook->m_pNext) hooks.push_back(hook);
    for (CSubclassWnd* hook : hooks) {
      hook->m_hWnd = nullptr;
      hook->m_pNext = nullptr;
    }
    Chains().erase(found);
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == &SubclassHookProc) {
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    for (CSubclassWnd* hook : hooks) hook->OnWindowGone();
    return CallWindowProcA(previous, window, message, wParam, lParam);
  }
  CCurrentMessage current(window, message, wParam, lParam);
  if (CSubclassWnd* head = found->second.head) return head->WindowProc(message, wParam, lParam);
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

CSubclassWnd::~CSubclassWnd() { Unhook(); }

BOOL CSubclassWnd::HookWindow(HWND window) {
  if (m_hWnd) {
    auto found = Chains().find(m_hWnd);
    if (found != Chains().end()) {
      HookChain& chain = found->second;
      for (CSubclassWnd** link = &chain.head; *link; link = &(*link)->m_pNext) {
        if (*link == this) {
          *link = m_pNext;
          break;
        }
      }
      // The last hook puts the window's procedure back, unless someone subclassed after us: then
      // the chain stays as a link that passes everything on.
      if (!chain.head &&
          reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == &SubclassHookProc) {
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain.previous));
        Chains().erase(found);
      }
    }
    m_hWnd = nullptr;
    m_pNext = nullptr;
  }
  if (!window) return TRUE;
  if (!IsWindow(window)) return FALSE;
  auto [found, created] = Chains().try_emplace(window);
  if (created) {
    found->second.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassHookProc)));
  }
  m_pNext = found->second.head;
  found->second.head = this;
  m_hWnd = window;
  return TRUE;
}

int CSubclassWnd::HookCount(HWND window) {
  auto found = Chains().find(window);
  int count = 0;
  if (found != Chains().end()) {
    for (CSubclassWnd* hook = found->second.head; hook; hook = hook->m_pNext) ++count;
  }
  return count;
}

LRESULT CSubclassWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT CSubclassWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pNext) return m_pNext->WindowProc(message, wParam, lParam);
  auto found = Chains().find(m_hWnd);
  if (found == Chains().end()) return DefWindowProcA(m_hWnd, message, wParam, lParam);
  return CallWindowProcA(found->second.previous, m_hWnd, message, wParam, lParam);
}
