#pragma once
// The list view's state and what its three files share: the messages (ListView.cpp), the painting
// (ListViewPaint.cpp) and the mouse, keyboard and label editing (ListViewInput.cpp).
#include "Common.h"

#include <controls/ListView.h>

#include <string>
#include <vector>

namespace tolvar::controls::listview {

struct Item {
  std::vector<std::string> texts;  // [0] the label, [n] sub-item n
  int image = -1;
  LPARAM value = 0;
  UINT state = 0;
  int indent = 0;
  const std::string& Text(int subItem) const {
    static const std::string empty;
    return subItem >= 0 && subItem < static_cast<int>(texts.size()) ? texts[subItem] : empty;
  }
};

struct Column {
  int format = LVCFMT_LEFT;
  int subItem = 0;
  int image = -1;
};

// A button pressed over the list, waiting to become a click or the start of a drag.
struct Press {
  bool active = false;
  bool right = false;
  POINT point{};
  int item = -1;
  int subItem = 0;
  bool deferSelect = false;  // a click on a selected item selects it alone only when it is no drag
  bool editOnUp = false;     // a click on the focused, selected label edits it (LVS_EDITLABELS)
};

struct State {
  std::vector<Item> items;
  std::vector<Column> columns;  // in the header's index order
  HWND header = nullptr;
  HFONT font = nullptr;
  DWORD exStyle = 0;
  HIMAGELIST images[3] = {};    // LVSIL_NORMAL, LVSIL_SMALL, LVSIL_STATE
  COLORREF background;          // CLR_NONE: not painted
  COLORREF text;
  COLORREF textBackground = CLR_DEFAULT;
  int rowHeight = 16;
  int top = 0;                  // the first visible row
  int xOffset = 0;              // pixels scrolled to the left
  int anchor = -1;              // the selection mark: where Shift ranges start
  bool focused = false;         // the window has the keyboard focus
  Press press;
  // Typing to find: what was typed and when.
  std::string typed;
  DWORD typedAt = 0;
  // Label editing.
  HWND edit = nullptr;
  WNDPROC editProc = nullptr;
  int editItem = -1;
  bool ending = false;
};

inline State* Of(HWND window) { return StateOf<State>(window); }
inline int Count(const State& state) { return static_cast<int>(state.items.size()); }
inline bool Valid(const State& state, int index) { return index >= 0 && index < Count(state); }
inline DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

// Geometry (ListView.cpp). Rows start below the header; x runs in the scrolled content's frame.
int HeaderHeight(HWND window, const State& state);
int PerPage(HWND window, const State& state);           // whole rows that fit
int ColumnCount(const State& state);
int ColumnWidth(const State& state, int column);
std::vector<int> ColumnOrder(const State& state);
RECT CellRect(HWND window, const State& state, int item, int column);  // a column's part of a row
RECT RowRect(HWND window, const State& state, int item);               // across every column
RECT ItemPart(HWND window, const State& state, int item, int code);    // LVIR_*
int ImageWidth(const State& state, int list);
LVHITTESTINFO HitTest(HWND window, const State& state, POINT point);

// State changes and notifications (ListView.cpp).
LRESULT Notify(HWND window, UINT code, NMHDR& header);
LRESULT NotifyItem(HWND window, UINT code, int item, POINT point = {}, int subItem = 0);
// Sets the masked state bits of one item, asking the parent first; FALSE when it vetoes. Moving the
// focus takes it from the item that had it.
bool SetState(HWND window, State& state, int item, UINT value, UINT mask);
int FocusedItem(const State& state);
void InvalidateItem(HWND window, const State& state, int item);
void EnsureVisible(HWND window, State& state, int item);
void ScrollRows(HWND window, State& state, int rows);
void UpdateScrollBars(HWND window, State& state);

// Painting (ListViewPaint.cpp).
void Paint(HWND window, State& state, HDC hdc, const RECT& update);
HIMAGELIST CreateDragImage(HWND window, State& state, int item, POINT* origin);

// Input (ListViewInput.cpp).
void ButtonDown(HWND window, State& state, POINT point, bool right, bool twice);
void MouseMove(HWND window, State& state, POINT point);
void ButtonUp(HWND window, State& state, POINT point, bool right);
void KeyPressed(HWND window, State& state, WPARAM key);
void Char(HWND window, State& state, WPARAM character);
HWND EditLabel(HWND window, State& state, int item);
void EndEdit(HWND window, State& state, bool cancel);

}  // namespace tolvar::controls::listview
