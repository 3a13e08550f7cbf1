// Menu objects: the per-thread map from menu handles to objects, and loading from the current
// module's resources.
#include <framework/Menu.h>
#include <framework/ModuleState.h>
#include <framework/Wnd.h>

#include <resources/Resource.h>

#include "ThreadState.h"

using tolvar::framework::Thread;

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::~CMenu() {
  if (m_hMenu && !m_temporary) DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU menu) {
  if (!menu) return nullptr;
  if (CMenu* own = FromHandlePermanent(menu)) return own;
  auto& t = Thread();
  auto temporary = std::make_unique<CMenu>();
  temporary->m_hMenu = menu;
  temporary->m_temporary = true;
  t.tempMenus.push_back(std::move(temporary));
  return t.tempMenus.back().get();
}

CMenu* CMenu::FromHandlePermanent(HMENU menu) {
  auto& menus = Thread().menus;
  auto it = menus.find(menu);
  return it == menus.end() ? nullptr : it->second;
}

namespace {
bool Holds(HMENU outer, HMENU inner, int depth) {
  if (depth > 16) return false;  // menus nest a few levels; a loop would be a corrupt menu
  int count = ::GetMenuItemCount(outer);
  for (int i = 0; i < count; ++i) {
    HMENU sub = ::GetSubMenu(outer, i);
    if (sub && (sub == inner || Holds(sub, inner, depth + 1))) return true;
  }
  return false;
}
}  // namespace

CMenu* CMenu::FindOwnerDrawMenu(HMENU menu) {
  if (!menu) return nullptr;
  if (CMenu* own = FromHandlePermanent(menu)) return own;
  for (auto& [handle, object] : Thread().menus) {
    if (Holds(handle, menu, 0)) return object;
  }
  return nullptr;
}

void CMenu::DeleteTempMap() {
  for (auto& temporary : Thread().tempMenus) temporary->m_hMenu = nullptr;
  Thread().tempMenus.clear();
}

BOOL CMenu::Attach(HMENU menu) {
  if (!menu || m_hMenu || FromHandlePermanent(menu)) return FALSE;
  m_hMenu = menu;
  Thread().menus[menu] = this;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU menu = m_hMenu;
  if (menu && !m_temporary) {
    auto& menus = Thread().menus;
    auto it = menus.find(menu);
    if (it != menus.end() && it->second == this) menus.erase(it);
  }
  m_hMenu = nullptr;
  return menu;
}

BOOL CMenu::LoadMenu(LPCSTR name) { return Attach(::LoadMenuA(AfxGetResourceHandle(), name)); }
BOOL CMenu::LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEA(static_cast<WORD>(id))); }

BOOL CMenu::DestroyMenu() {
  HMENU menu = Detach();
  return menu ? ::DestroyMenu(menu) : FALSE;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) {
  // The owner's WM_INITMENUPOPUP names the pop-up too; remember it already for owners that handle
  // that message without passing it on.
  Thread().trackingMenu = m_hMenu;
  return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}
void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}
