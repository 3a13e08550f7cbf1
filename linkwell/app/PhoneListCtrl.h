#pragma once
// The phone setup dialog's list of phones: the kit's owner-drawn report list with the phone names
// in a column as wide as the list and their build strings in a hidden second column, one selected
// row at most. Dragging is off: the dialog moves no rows.
#include <SkinListCtrl.h>
#include <framework/Afx.h>

#include <string>
#include <vector>

class CPhoneListCtrl : public CSkinListCtrl {
 public:
  static constexpr int kTextIndent = 10;
  static constexpr COLORREF kSelectionColour = 0xFDDAC9;

  // The two columns, the font ("Verdana" of `height`), the text indent and the selection colour.
  void Setup(int height);
  void SetRows(const std::vector<std::string>& names, const std::vector<std::string>& builds);
  int RowCount() const;
  std::string RowText(int row, int column) const;
  // The selected row, -1 for none.
  int Selected() const;
  void Select(int row);  // -1 deselects
  // The rectangle of `row` in client coordinates (for clicks in tests and hit testing).
  RECT RowRect(int row) const;
};
