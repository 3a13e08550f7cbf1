// The static splitter: layout of a grid of panes, painting of their edges and bars, dragging of the
// bars.
#include <framework/Dc.h>
#include <framework/Frame.h>
#include <framework/Splitter.h>

#include <gdi/Gdi.h>

#include "ThreadState.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

const AFX_MSGMAP* CSplitterWnd::GetMessageMap() const {
  static const AFX_MSGMAP map{CWnd::GetMessageMap(),
                              {
                                  MapMessage(WM_SIZE, &CSplitterWnd::OnSize),
                                  MapMessage(WM_PAINT, &CSplitterWnd::OnPaint),
                                  MapMessage(WM_LBUTTONDOWN, &CSplitterWnd::OnLButtonDown),
                                  MapMessage(WM_MOUSEMOVE, &CSplitterWnd::OnMouseMove),
                                  MapMessage(WM_LBUTTONUP, &CSplitterWnd::OnLButtonUp),
                                  MapMessage(WM_SETCURSOR, &CSplitterWnd::OnSetCursor),
                              }};
  return &map;
}

BOOL CSplitterWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW));
  cs.style |= WS_CLIPCHILDREN;
  return TRUE;
}

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int columns, DWORD style, UINT id) {
  if (rows < 1 || columns < 1 || rows > 16 || columns > 16) return FALSE;
  m_rows.assign(static_cast<size_t>(rows), Track{});
  m_columns.assign(static_cast<size_t>(columns), Track{});
  RECT none{0, 0, 0, 0};
  return Create(nullptr, nullptr, style, none, parent, id);
}

BOOL CSplitterWnd::CreateView(int row, int column, const CRuntimeClass* viewClass, SIZE initialSize,
                              CCreateContext* context) {
  if (row < 0 || row >= GetRowCount() || column < 0 || column >= GetColumnCount() || GetPane(row, column)) return FALSE;
  std::unique_ptr<CObject> made = viewClass->CreateObject();
  if (!made || !made->IsKindOf(RUNTIME_CLASS(CWnd))) return FALSE;
  auto* view = static_cast<CWnd*>(made.release());
  tolvar::framework::AdoptWindowObject(std::unique_ptr<CWnd>(view));
  m_columns[static_cast<size_t>(column)].ideal = initialSize.cx;
  m_rows[static_cast<size_t>(row)].ideal = initialSize.cy;
  RECT none{0, 0, 0, 0};
  if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, none, this, static_cast<UINT>(IdFromRowCol(row, column)),
                    context)) {
    tolvar::framework::ReleaseWindowObject(view);
    return FALSE;
  }
  return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int column) const {
  HWND pane = ::GetDlgItem(m_hWnd, IdFromRowCol(row, column));
  return pane ? FromHandle(pane) : nullptr;
}

void CSplitterWnd::SetColumnInfo(int column, int ideal, int minimum) {
  if (column < 0 || column >= GetColumnCount()) return;
  m_columns[static_cast<size_t>(column)].ideal = ideal;
  m_columns[static_cast<size_t>(column)].minimum = minimum;
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int minimum) {
  if (row < 0 || row >= GetRowCount()) return;
  m_rows[static_cast<size_t>(row)].ideal = ideal;
  m_rows[static_cast<size_t>(row)].minimum = minimum;
}

void CSplitterWnd::GetColumnInfo(int column, int& current, int& minimum) const {
  const Track& track = m_columns.at(static_cast<size_t>(column));
  current = track.current;
  minimum = track.minimum;
}

void CSplitterWnd::GetRowInfo(int row, int& current, int& minimum) const {
  const Track& track = m_rows.at(static_cast<size_t>(row));
  current = track.current;
  minimum = track.minimum;
}

void CSplitterWnd::RecalcLayout() {
  if (!m_hWnd || m_columns.empty()) return;
  RECT client;
  GetClientRect(&client);
  // Along each axis every track gets its ideal size (never below its minimum), the last one the
  // rest; a track the others squeeze out gets nothing.
  auto lay = [](std::vector<Track>& tracks, int extent, int border, int gap) {
    int at = border;
    for (size_t i = 0; i < tracks.size(); ++i) {
      int room = std::max(0, extent - border - at);
      int size = i + 1 == tracks.size() ? room : std::min(room, std::max(tracks[i].ideal, tracks[i].minimum));
      tracks[i].start = at;
      tracks[i].current = size;
      at += size + gap;
    }
  };
  lay(m_columns, client.right, m_cxBorder, m_cxSplitterGap);
  lay(m_rows, client.bottom, m_cyBorder, m_cySplitterGap);
  for (int r = 0; r < GetRowCount(); ++r) {
    for (int c = 0; c < GetColumnCount(); ++c) {
      HWND pane = ::GetDlgItem(m_hWnd, IdFromRowCol(r, c));
      if (!pane) continue;
      const Track& column = m_columns[static_cast<size_t>(c)];
      const Track& row = m_rows[static_cast<size_t>(r)];
      ::MoveWindow(pane, column.start, row.start, column.current, row.current, TRUE);
    }
  }
  Invalidate();
}

LRESULT CSplitterWnd::OnSize(WPARAM, LPARAM) {
  Default();
  RecalcLayout();
  return 0;
}

void CSplitterWnd::OnPaint() {
  CPaintDC dc(this);
  RECT client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, GetSysColor(COLOR_3DFACE));
  for (const Track& row : m_rows) {
    for (const Track& column : m_columns) {
      // The sunken edge round the pane: shadow and dark shadow above and left, light below and right.
      RECT outer{column.start - 2, row.start - 2, column.start + column.current + 2, row.start + row.current + 2};
      dc.Draw3dRect(&outer, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHIGHLIGHT));
      RECT inner{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
      dc.Draw3dRect(&inner, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DFACE));
    }
  }
}

int CSplitterWnd::ColumnBarAt(int x) const {
  for (size_t i = 0; i + 1 < m_columns.size(); ++i) {
    int end = m_columns[i].start + m_columns[i].current;
    if (x >= end && x < m_columns[i + 1].start) return static_cast<int>(i);
  }
  return -1;
}

int CSplitterWnd::RowBarAt(int y) const {
  for (size_t i = 0; i + 1 < m_rows.size(); ++i) {
    int end = m_rows[i].start + m_rows[i].current;
    if (y >= end && y < m_rows[i + 1].start) return static_cast<int>(i);
  }
  return -1;
}

LRESULT CSplitterWnd::OnLButtonDown(WPARAM, LPARAM lParam) {
  int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
  m_trackColumn = ColumnBarAt(x);
  m_trackRow = m_trackColumn < 0 ? RowBarAt(y) : -1;
  if (m_trackColumn >= 0 || m_trackRow >= 0) ::SetCapture(m_hWnd);
  return 0;
}

LRESULT CSplitterWnd::OnMouseMove(WPARAM, LPARAM lParam) {
  if (::GetCapture() != m_hWnd) return 0;
  int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
  // The bar's middle follows the pointer.
  if (m_trackColumn >= 0) {
    Track& column = m_columns[static_cast<size_t>(m_trackColumn)];
    column.ideal = std::max(0, x - m_cxSplitterGap / 2 - column.start);
  } else if (m_trackRow >= 0) {
    Track& row = m_rows[static_cast<size_t>(m_trackRow)];
    row.ideal = std::max(0, y - m_cySplitterGap / 2 - row.start);
  }
  RecalcLayout();
  return 0;
}

LRESULT CSplitterWnd::OnLButtonUp(WPARAM, LPARAM) {
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  m_trackColumn = m_trackRow = -1;
  return 0;
}

LRESULT CSplitterWnd::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(wParam) == m_hWnd && LOWORD(lParam) == HTCLIENT) {
    POINT at;
    ::GetCursorPos(&at);
    ScreenToClient(&at);
    if (ColumnBarAt(at.x) >= 0) {
      ::SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
      return TRUE;
    }
    if (RowBarAt(at.y) >= 0) {
      ::SetCursor(LoadCursorA(nullptr, IDC_SIZENS));
      return TRUE;
    }
  }
  return Default();
}

BOOL CSplitterWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam)) return TRUE;
  CFrameWnd* frame = GetParentFrame();
  return frame && frame->SendMessage(WM_COMMAND, wParam, lParam);
}

BOOL CSplitterWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (CWnd::OnNotify(wParam, lParam, result)) return TRUE;
  CFrameWnd* frame = GetParentFrame();
  if (!frame) return FALSE;
  *result = frame->SendMessage(WM_NOTIFY, wParam, lParam);
  return TRUE;
}
