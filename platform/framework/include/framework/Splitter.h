#pragma once
// CSplitterWnd, static: a fixed grid of panes (rows and columns made once), each pane a child window
// with id IdFromRowCol(row, column). Columns and rows take their ideal sizes, the last one takes the
// rest; the bars between them can be dragged with the mouse (a class that passes the mouse messages
// to Default keeps them where they are).
#include <framework/Wnd.h>

#include <vector>

struct CCreateContext;

class CSplitterWnd : public CWnd {
  DECLARE_DYNAMIC(CSplitterWnd)

public:
  CSplitterWnd() = default;

  BOOL CreateStatic(CWnd* parent, int rows, int columns, DWORD style = WS_CHILD | WS_VISIBLE,
                    UINT id = 0xE900 /* AFX_IDW_PANE_FIRST */);
  // A view of `viewClass` as the pane, made by the class library and deleted with its window.
  virtual BOOL CreateView(int row, int column, const CRuntimeClass* viewClass, SIZE initialSize,
                          CCreateContext* context);
  CWnd* GetPane(int row, int column) const;
  int IdFromRowCol(int row, int column) const { return 0xE900 + row * 16 + column; }
  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
  void SetColumnInfo(int column, int ideal, int minimum);
  void SetRowInfo(int row, int ideal, int minimum);
  void GetColumnInfo(int column, int& current, int& minimum) const;
  void GetRowInfo(int row, int& current, int& minimum) const;
  virtual void RecalcLayout();

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  const AFX_MSGMAP* GetMessageMap() const override;
  // Commands and notifications of the panes that the splitter gets go on to its frame.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  int m_cxBorder = 2;  // the sunken edge round each pane
  int m_cyBorder = 2;
  int m_cxSplitterGap = 7;  // from one pane's edge to the next one's
  int m_cySplitterGap = 7;

protected:
  struct Track {
    int ideal = 0;
    int minimum = 0;
    int current = 0;
    int start = 0;  // where the pane begins in the client area
  };
  // The column bar under x, or -1.
  int ColumnBarAt(int x) const;
  int RowBarAt(int y) const;

  LRESULT OnSize(WPARAM, LPARAM);
  void OnPaint();
  LRESULT OnLButtonDown(WPARAM, LPARAM lParam);
  LRESULT OnMouseMove(WPARAM, LPARAM lParam);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  LRESULT OnSetCursor(WPARAM, LPARAM lParam);

  std::vector<Track> m_columns;
  std::vector<Track> m_rows;
  int m_trackColumn = -1;  // the bar being dragged
  int m_trackRow = -1;
};
