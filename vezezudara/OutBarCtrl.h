#pragma once
// CGfxOutBarCtrl: the launcher's left-hand pane, a vertical bar of folders. Each folder is a header
// button; the open folder's items (icon and label) fill the space between the headers above and
// below it. A click on an item selects it and tells the owner (WM_OUTBAR_NOTIFY code 1); a click
// on a header opens that folder (code 5). Moving an item by dragging it is offered to the owner
// (code 4), who may refuse. Scroll arrows appear when the items do not fit.
//
// Presses are tracked with the mouse captured: a press and its release on the same item or header
// is a click; a press that leaves its item becomes a drag. The pointer leaving the bar clears every
// hot highlight at the next tick of a 100 ms timer.
//
// Threads: the thread that owns the window.
#include <framework/Afx.h>

#include "OutBarLabelEdit.h"

#include <memory>
#include <string>
#include <vector>

class CGfxOutBarCtrl : public CWnd {
  DECLARE_DYNCREATE(CGfxOutBarCtrl)

public:
  // WM_OUTBAR_NOTIFY codes.
  enum Notify : WPARAM { kItemClicked = 1, kItemRenamed = 2, kFolderRenamed = 3, kItemDragged = 4, kFolderChanged = 5 };
  // Hit-test kinds.
  enum Hit { kHitNone = -1, kHitFolder = 0, kHitItem = 1, kHitUpArrow = 2, kHitDownArrow = 3 };
  // Flags of Create.
  static constexpr DWORD kSmallIcons = 0x0001;
  static constexpr DWORD kAnimate = 0x0100;
  static constexpr DWORD kSelectionRepaint = 0x0200;
  static constexpr int kFolderHeight = 22;
  static constexpr int kLargeItemHeight = 64;
  static constexpr int kSmallItemHeight = 22;
  static constexpr int kItemTop = 4;  // the gap above the first item
  static constexpr int kSlideSteps = 8;  // repaints of an animated folder change

  // Private: the label editor has ended and may go.
  static constexpr UINT kEndLabelEdit = WM_APP + 0x200;

  // What code 2 and 3 carry.
  struct LabelChange {
    int index;
    LPCSTR text;
  };

  CGfxOutBarCtrl();
  ~CGfxOutBarCtrl() override;

  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD flags = 0);
  int AddFolder(LPCSTR label, DWORD data);
  void RemoveFolder(int index);
  // An index below 0 or past the end appends; the index used.
  int InsertItem(int folder, int index, LPCSTR text, int image, DWORD data);
  // kind 2 the large-icon list, 1 the small-icon one; the previous list. The lists stay the caller's.
  HIMAGELIST SetImageList(HIMAGELIST list, int kind);
  HIMAGELIST GetImageList(int kind) const { return kind == 2 ? m_largeImages : m_smallImages; }
  void SetSelFolder(int index);
  int GetSelFolder() const { return m_currentFolder; }
  int GetFolderCount() const { return static_cast<int>(m_folders.size()); }
  int GetItemCount(int folder) const;
  CString GetItemText(int folder, int index) const;
  BOOL RemoveItem(int folder, int index);
  // In-place editing of a label of the open folder's item, or of a folder's header; the owner
  // decides whether the new text stands.
  BOOL EditItemLabel(int index);
  BOOL EditFolderLabel(int index);
  COutBarLabelEdit* GetLabelEditor() const { return m_labelEdit.get(); }
  CString GetFolderText(int index) const;
  void SetSmallIconView(bool on);
  bool IsSmallIconView() const { return (m_flags & kSmallIcons) != 0; }
  void SetSelItem(int index) { m_selectedItem = index; }
  int GetSelItem() const { return m_selectedItem; }
  int GetHotItem() const { return m_hotItem; }
  int GetHotFolder() const { return m_hotFolder; }
  int GetFirstVisibleItem() const { return m_firstItem; }
  void SetNotifyWindow(HWND owner) { m_owner = owner; }
  void SetBackColour(COLORREF colour) { m_backColour = colour; }
  void SetTextColour(COLORREF colour) { m_textColour = colour; }
  void SetAnimationTickCount(int value) { m_animation = value; }

  // Geometry, in client coordinates.
  RECT GetFolderRect(int index) const;
  // The space of the open folder's items, between the headers.
  RECT GetInsideRect() const;
  // Item `index` of the open folder: its whole cell, its icon, its label.
  RECT GetItemRect(int index) const;
  RECT GetIconRect(int index) const;
  RECT GetLabelRect(int index) const;
  RECT GetArrowRect(bool up) const;
  bool IsArrowShown(bool up) const;
  // The kind of thing under `point` (Hit) with its index in `index`.
  int HitTest(POINT point, int& index) const;

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  struct Item {
    int image = 0;
    std::string text;
    DWORD data = 0;
  };
  struct Folder {
    std::string label;
    DWORD data = 0;
    HWND child = nullptr;
    std::vector<Item> items;
  };
  enum class Press { None, Item, Drag, Folder, Arrow };

  LRESULT OnPaintMessage(WPARAM, LPARAM);
  LRESULT OnEraseBkgnd(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM lParam);
  LRESULT OnLButtonDown(WPARAM, LPARAM lParam);
  LRESULT OnLButtonUp(WPARAM, LPARAM lParam);
  LRESULT OnTimer(WPARAM wParam, LPARAM);
  LRESULT OnKeyDown(WPARAM wParam, LPARAM);
  LRESULT OnCaptureChanged(WPARAM, LPARAM lParam);
  LRESULT OnSize(WPARAM, LPARAM);
  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnLabelNotify(WPARAM code, LPARAM lParam);
  LRESULT OnEndLabelEdit(WPARAM, LPARAM);

  void Paint(HDC dc);
  void DrawFolder(HDC dc, int index, bool raised, bool pressed);
  void DrawItem(HDC dc, int index, bool hot, bool pressed);
  LRESULT Notify(WPARAM code, LPARAM lParam);
  int ItemHeight() const { return IsSmallIconView() ? kSmallItemHeight : kLargeItemHeight; }
  int VisibleItemCount() const;
  bool CanScroll(bool up) const;
  void Scroll(bool up);
  void EndPress(bool cancelled);
  void ClearHot();
  void MoveItem(int from, int to);
  void Slide(int to);
  // Header `index` where it lies while folder `current` is open.
  RECT FolderRectWith(int index, int current) const;

  std::vector<std::unique_ptr<Folder>> m_folders;
  int m_currentFolder = 0;
  int m_firstItem = 0;
  int m_selectedItem = -1;
  int m_hotFolder = -1;
  int m_hotItem = -1;
  bool m_upPressed = false;
  bool m_downPressed = false;
  DWORD m_flags = 0;
  HWND m_owner = nullptr;
  COLORREF m_backColour;
  COLORREF m_textColour;
  int m_animation = 10;
  int m_slideTo = -1;  // while a folder change slides: the folder it goes to, and the step shown
  int m_slideStep = 0;
  HIMAGELIST m_largeImages = nullptr;
  HIMAGELIST m_smallImages = nullptr;
  HIMAGELIST m_markers = nullptr;  // 38 by 38: 0 plain, 1 selected or pressed
  HCURSOR m_dragCursor = nullptr;
  HCURSOR m_dropCursor = nullptr;
  HCURSOR m_noDropCursor = nullptr;

  std::unique_ptr<COutBarLabelEdit> m_labelEdit;

  // The press being tracked.
  Press m_press = Press::None;
  int m_pressIndex = -1;
  bool m_pressInside = false;  // the pointer is still on what was pressed
  bool m_pressUp = false;      // which arrow
};
