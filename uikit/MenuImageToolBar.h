#pragma once
// MenuImageToolBar: a toolbar resource read only for its pictures. The RT_TOOLBAR record gives the
// image size and the command of each button (0 for a separator); the bitmap of the same id holds the
// buttons' images side by side, one per button that is not a separator, in button order. Menus take
// a command's picture from here. No window is made: nothing shows the bar.
#include <gdi/Unique.h>

#include <span>
#include <vector>

class MenuImageToolBar {
public:
  // Reads toolbar `id` and its bitmap (colours mapped to the system's, as toolbars draw them) from
  // the module the class library names for it, else the program. FALSE when either is missing or
  // the record is damaged.
  BOOL LoadToolBar(UINT id);
  // The same from the record's bytes, without the bitmap (for checking a record).
  BOOL ReadRecord(std::span<const BYTE> record);

  int ImageWidth() const { return m_width; }
  int ImageHeight() const { return m_height; }
  const std::vector<UINT>& Buttons() const { return m_buttons; }
  // The image of the button at `position`; -1 for a separator or no such button.
  int ImageOfButton(int position) const;
  // The image of `command`'s first button; -1 when the toolbar lacks the command.
  int ImageOfCommand(UINT command) const;
  HBITMAP Bitmap() const { return m_bitmap.Get(); }

private:
  int m_width = 0;
  int m_height = 0;
  std::vector<UINT> m_buttons;
  tolvar::gdi::UniqueBitmap m_bitmap;
};
