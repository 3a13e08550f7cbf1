#pragma once
// The phone setup dialog's list of phones: a report list with the phone names in a column as wide
// as the list and their build strings in a hidden second column, one selected row at most.
// kit: CSkinListCtrl becomes the base (owner-drawn flat rows in the colours below, bold selected
// rows, row height from the font); until then the rows are the list view's own.
#include <framework/Afx.h>

#include <string>
#include <vector>

class CPhoneListCtrl : public CWnd {
 public:
  static constexpr COLORREF kTextColour = RGB(0x08, 0x2A, 0x82);
  static constexpr COLORREF kSelectionColour = RGB(0xC9, 0xDA, 0xFD);
  static constexpr int kTextIndent = 10;

  // The two columns, the font ("Verdana" of `height`) and the colours.
  void Setup(int height);
  void SetRows(const std::vector<std::string>& names, const std::vector<std::string>& builds);
  int RowCount() const;
  std::string RowText(int row, int column) const;
  // The selected row, -1 for none.
  int Selected() const;
  void Select(int row);  // -1 deselects
  // The rectangle of `row` in client coordinates (for clicks in tests and hit testing).
  RECT RowRect(int row) const;

 private:
  CFont m_font;
};
