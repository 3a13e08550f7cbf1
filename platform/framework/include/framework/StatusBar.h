#pragma once
// CStatusBar: the frame's status line, a status bar control cut into panes. Each pane has a command
// id (its indicator: ID_SEPARATOR for a pane the program fills by index), a style and a width; the
// first pane with SBPS_STRETCH takes what the others leave of the bar's width, recomputed on every
// size change. SetIndicators names the panes at once: an indicator pane shows its id's string
// (the module's, else the class library's standard text: "CAP", "NUM"...) and is as wide as that
// text; a separator pane starts a quarter of the screen wide, and as the first pane it stretches
// and has no border.
//
// Made with the frame's status id, the bar is placed along the frame's bottom by the frame's
// RecalcLayout, which the bar asks for when it is made and when its font changes its height.
#include <controls/Controls.h>
#include <framework/Frame.h>
#include <framework/Wnd.h>

#include <vector>

constexpr UINT ID_SEPARATOR = 0;
constexpr UINT ID_INDICATOR_EXT = 0xE700;
constexpr UINT ID_INDICATOR_CAPS = 0xE701;
constexpr UINT ID_INDICATOR_NUM = 0xE702;
constexpr UINT ID_INDICATOR_SCRL = 0xE703;
constexpr UINT ID_INDICATOR_OVR = 0xE704;
constexpr UINT ID_INDICATOR_REC = 0xE705;
constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;  // "Ready"

// Pane styles.
constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = SBT_NOBORDERS;
constexpr UINT SBPS_POPOUT = SBT_POPOUT;
constexpr UINT SBPS_OWNERDRAW = SBT_OWNERDRAW;
constexpr UINT SBPS_DISABLED = 0x04000000;  // the text is kept but not shown
constexpr UINT SBPS_STRETCH = 0x08000000;   // takes the width the other panes leave

// Where a bar goes in its frame; a status bar always goes to the bottom.
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;

// The module's string `id`, else the class library's standard text for it (the indicators and the
// idle message); FALSE when neither exists.
BOOL AfxLoadStandardString(UINT id, CString& text);

class CStatusBar : public CWnd {
  DECLARE_DYNAMIC(CStatusBar)

public:
  // `style` takes window styles and the CBRS_ bits; `controlStyle` the status bar's (SBARS_SIZEGRIP).
  BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
  BOOL CreateEx(CWnd* parent, DWORD controlStyle = 0, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT id = AFX_IDW_STATUS_BAR);

  // One pane per id (null ids: `count` separator panes). FALSE when an indicator's string is
  // missing; the panes before it are set.
  BOOL SetIndicators(const UINT* ids, int count);
  int GetCount() const { return static_cast<int>(m_panes.size()); }
  // The pane of command `id`, or -1.
  int CommandToIndex(UINT id) const;
  UINT GetItemID(int index) const;
  // The pane's rectangle in the bar's client area (empty for a pane that does not exist).
  void GetItemRect(int index, LPRECT rect) const;

  CString GetPaneText(int index) const;
  void GetPaneText(int index, CString& text) const { text = GetPaneText(index); }
  // FALSE for a pane that does not exist. `update` repaints the pane now rather than later.
  BOOL SetPaneText(int index, LPCSTR text, BOOL update = TRUE);
  void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
  void SetPaneInfo(int index, UINT id, UINT style, int width);
  UINT GetPaneStyle(int index) const;
  void SetPaneStyle(int index, UINT style);

  // An SBPS_OWNERDRAW pane paints here (the parent's WM_DRAWITEM comes back to the bar).
  virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  struct Pane {
    UINT id = ID_SEPARATOR;
    UINT style = SBPS_NORMAL;
    int width = 0;  // of the text area, in pixels
    CString text;
  };

  // The parts' right edges from the panes' widths and the bar's width.
  void UpdateParts();
  // Hands the pane's text and look to the control.
  void ShowPane(int index);
  void AskFrameForLayout();
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);

  std::vector<Pane> m_panes;
};
