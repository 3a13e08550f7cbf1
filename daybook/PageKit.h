#pragma once
// What the three pages share of the window side: controls that keep their distance to the page's
// right or bottom edge or grow with it, the field icons, the list's context menu, and the free-slot
// status text.
#include <EmbeddableDialog.h>
#include <SkinFrame.h>

#include <framework/Afx.h>

#include <initializer_list>
#include <vector>

namespace daybook {

// How a control follows the page's size: unmoved, moved with the right or bottom edge, or grown
// with it. Flags combine (a list grows both ways; a bottom-right button moves both ways).
enum Anchor : unsigned { kStay = 0, kMoveX = 1, kMoveY = 2, kGrowX = 4, kGrowY = 8 };

// `start` (the control's rectangle at the page's first size) after the page grew by dx, dy; a
// control never shrinks below one pixel.
RECT AnchoredRect(const RECT& start, unsigned anchor, int dx, int dy);

// A row of buttons along the page's bottom, left to right, where the page's size put them. A row
// that ends beyond `limit` (a page narrower than the dialog's own size, as the launcher's pane is)
// keeps its left end and its gaps, and its buttons share the room up to `limit`: each at least
// `least` wide (what its text needs) while the room allows, the widest needs served first, the
// others alike; when not even the texts fit, each its need's part of the room. A row that ends
// within `limit` is left as it is.
std::vector<RECT> FitRow(std::vector<RECT> row, const std::vector<int>& least, int limit);

}  // namespace daybook

// The controls of a page with their anchors, measured once at the page's first size.
class CAnchorLayout {
 public:
  // Measures the page's client size and each listed control's rectangle now. `row`: the buttons
  // along the bottom, left to right; they keep to the bottom and stay whole on the page, as far
  // from its right edge as the first is from its left (daybook::FitRow).
  void Capture(CWnd& page, const std::vector<std::pair<UINT, unsigned>>& controls, const std::vector<UINT>& row = {});
  void Apply(CWnd& page, int cx, int cy) const;
  bool Captured() const { return m_width > 0; }

 private:
  struct Item {
    UINT id;
    unsigned anchor;
    RECT start;
  };
  std::vector<Item> m_items;
  std::vector<Item> m_row;
  int m_width = 0, m_height = 0;
};

// Controls drawn inside the pages' white frames: the frame leaves them out when it paints, and they
// draw on its white.
class CFramedControls {
 public:
  void Add(CWnd& page, CSkinFrame& frame, std::initializer_list<UINT> ids);
  void AddRange(CWnd& page, CSkinFrame& frame, UINT first, UINT last);
  // A framed control's colour request: the white brush (the text's background set to white); null
  // for any other control.
  HBRUSH Brush(WPARAM dc, LPARAM control);

 private:
  void AddOne(CWnd& page, CSkinFrame& frame, UINT id);
  std::vector<UINT> m_ids;
  CBrush m_white;
};

// The static control shows the bitmap resource; the bitmap it showed before is deleted.
void SetFieldIcon(CWnd& page, UINT staticId, UINT bitmapId);
// The pages' context menu (menu 230) in the kit's look at the cursor, its texts from the string
// table; the chosen command goes to the main dialog (the page's parent), which carries it out.
// Returns the command (0 when none was chosen).
UINT TrackListMenu(CWnd& page);
// "%d ... free" to the launcher's status, when the page is visible.
void PublishFreeStatus(CEmbeddableDialog& page, UINT textId, int free);
