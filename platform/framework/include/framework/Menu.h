#pragma once
// CMenu: a menu handle with its object. A class derived from CMenu draws its owner-drawn entries
// (MF_OWNERDRAW) in DrawItem and sizes them in MeasureItem: the window that owns the menu passes
// WM_DRAWITEM and WM_MEASUREITEM of ODT_MENU to the object of the menu (or of the menu that holds
// it as a sub-menu) on its thread.
#include <framework/Object.h>

#include <user/User.h>

class CWnd;

class CMenu : public CObject {
  DECLARE_DYNCREATE(CMenu)

public:
  CMenu() = default;
  ~CMenu() override;  // destroys a menu it still holds

  HMENU m_hMenu = nullptr;
  operator HMENU() const { return m_hMenu; }
  HMENU GetSafeHmenu() const { return m_hMenu; }

  // The calling thread's object for `menu`, or a temporary one until the thread's next idle time.
  static CMenu* FromHandle(HMENU menu);
  static CMenu* FromHandlePermanent(HMENU menu);
  // The object that draws `menu`'s owner-drawn entries: its own, else that of a menu holding it.
  static CMenu* FindOwnerDrawMenu(HMENU menu);
  static void DeleteTempMap();

  BOOL Attach(HMENU menu);
  HMENU Detach();
  BOOL CreateMenu() { return Attach(::CreateMenu()); }
  BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
  // From the current module's resources (AfxGetResourceHandle).
  BOOL LoadMenu(UINT id);
  BOOL LoadMenu(LPCSTR name);
  BOOL DestroyMenu();

  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) { return ::AppendMenuA(m_hMenu, flags, id, item); }
  BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) {
    return ::InsertMenuA(m_hMenu, position, flags, id, item);
  }
  BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) {
    return ::ModifyMenuA(m_hMenu, position, flags, id, item);
  }
  BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
  BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
  UINT CheckMenuItem(UINT id, UINT check) { return static_cast<UINT>(::CheckMenuItem(m_hMenu, id, check)); }
  UINT EnableMenuItem(UINT id, UINT enable) { return static_cast<UINT>(::EnableMenuItem(m_hMenu, id, enable)); }
  BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE) { return ::SetMenuDefaultItem(m_hMenu, item, byPosition); }
  UINT GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }
  UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
  UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }
  int GetMenuString(UINT id, LPSTR text, int max, UINT flags) const {
    return ::GetMenuStringA(m_hMenu, id, text, max, flags);
  }
  BOOL GetMenuItemInfo(UINT item, LPMENUITEMINFOA info, BOOL byPosition = FALSE) {
    return ::GetMenuItemInfoA(m_hMenu, item, byPosition, info);
  }
  BOOL SetMenuItemInfo(UINT item, LPCMENUITEMINFOA info, BOOL byPosition = FALSE) {
    return ::SetMenuItemInfoA(m_hMenu, item, byPosition, info);
  }
  CMenu* GetSubMenu(int position) const { return FromHandle(::GetSubMenu(m_hMenu, position)); }
  // Tracks the pop-up for `owner`, whose thread's objects draw its owner-drawn entries.
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);

  virtual void DrawItem(LPDRAWITEMSTRUCT item);
  virtual void MeasureItem(LPMEASUREITEMSTRUCT item);

private:
  bool m_temporary = false;
};
