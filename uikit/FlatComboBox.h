#pragma once
// CFlatComboBox: the suite's owner-drawn combo box (the window needs CBS_OWNERDRAWFIXED and
// CBS_HASSTRINGS). It keeps the full text of every item in an array of its own while the control
// lists a shortened form: a folder path too wide for the drop-down loses its leading folders
// ("C:\a\b\c" becomes "...\b\c", then "...\c"). While the cursor rests on the field and the
// selected item's full text does not fit, a tracking tooltip in the accent colour shows it whole.
// Text typed into a drop-down combo is completed from the items. The frame turns to the accent
// colour while the mouse is over the control or it has the focus.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>
#include <framework/Controls.h>

#include <memory>
#include <vector>

class CFlatComboBox : public CComboBox {
  DECLARE_DYNAMIC(CFlatComboBox)

public:
  static constexpr COLORREF kHotColour = 0x822A08;
  static constexpr COLORREF kItemTextColour = 0x979797;
  // Pixels between an item's left edge and its text.
  static constexpr int kTextMargin = 2;

  CFlatComboBox();
  ~CFlatComboBox() override;

  // The item lists the shortened text; the full text goes into the array at the index the control
  // gave the item (a sorted combo box places it by its shortened text). CB_ERR when the control
  // refused it, and the array is left as it was.
  int AddString(LPCSTR text);
  // `index` -1 appends, as the control does.
  int InsertString(int index, LPCSTR text);
  // CB_ERR, and nothing deleted, for an index that names no item.
  int DeleteString(UINT index);
  void ResetContent();
  void SetTextColor(COLORREF colour);
  void SetFont(LPCSTR face, int height, BOOL bold, BOOL italic);

  // The full text of an item, empty for an index that names none.
  CString GetFullText(int index) const;
  int GetFullTextCount() const { return static_cast<int>(m_fullTexts.size()); }
  // `text` as the item list shows it: shortened by leading folders until it fits the drop-down.
  CString ShortenedText(CDC& dc, const CString& text) const;

  void EnableAutoComplete(BOOL enable) { m_autoComplete = enable; }
  // The tracking tooltip (null until the mouse first moved over the control).
  CToolTipCtrl* GetToolTip() { return m_toolTip.m_hWnd ? &m_toolTip : nullptr; }

  BOOL PreTranslateMessage(MSG* msg) override;
  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  // Draws what a derived box shows before item `index`'s text (an image) in the item's rectangle
  // `item` (`state` the ODS_ flags of the drawing); answers the pixels the text moves right. The
  // kit's box shows none.
  virtual int DrawItemImage(CDC& dc, int index, const RECT& item, UINT state);
  LRESULT OnDrawItem(WPARAM, LPARAM);
  LRESULT OnMeasureItem(WPARAM, LPARAM);
  void OnEditUpdate();
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnSysColorChange(WPARAM, LPARAM);
  LRESULT OnSetFocus(WPARAM, LPARAM);
  LRESULT OnKillFocus(WPARAM, LPARAM);
  LRESULT OnCtlColor(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);

private:
  enum class Look { Normal, Hot, Pressed };
  void DrawCombo(Look look, COLORREF colour);
  // The client area less the drop button: where the text shows.
  RECT TextPart() const;
  void EnsureToolTip();
  void HideToolTip();
  void HoverStep();
  CString Shortened(const CString& text) const;

  int m_dropButtonWidth;
  BOOL m_pressed = FALSE;
  BOOL m_hotDrawn = FALSE;
  BOOL m_focus = FALSE;
  BOOL m_autoComplete = TRUE;
  COLORREF m_hot = kHotColour;
  COLORREF m_shadow;
  COLORREF m_face;
  COLORREF m_itemText = kItemTextColour;
  std::vector<CString> m_fullTexts;
  std::unique_ptr<CFont> m_font;
  CToolTipCtrl m_toolTip;
  std::unique_ptr<CFont> m_tipFont;
  TOOLINFOA m_toolInfo{};
  bool m_completing = false;  // the completion's own changes of the field are not completed again
};
