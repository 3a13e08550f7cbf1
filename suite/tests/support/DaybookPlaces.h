#pragma once
// Where Daybook's controls lie in the launcher's window at the launcher's first size (800 x 580),
// with Daybook in the launcher's right pane: the places the scenarios click and the pixels they
// read, in pixels from the launcher window's top-left corner (its frame included).
//
// The pane's client area starts at (123, 25) and is 672 x 526; Daybook's pages start 45 pixels
// below the pane's top, so a page's (x, y) is (123 + x, 70 + y) here. The pane is narrower than
// Daybook's own size, so each page fits its row of buttons to it: the buttons share the width
// between the page's margins of 8 pixels, a button whose text needs more than an even share taking
// what it needs. A change of that row, of the texts or of the launcher's first size moves these
// places: the old place of Download may then be Upload, which empties the phone.

#include <cstdint>

namespace suite_testing {

struct Point {
  int x, y;
};
struct Box {
  int left, top, right, bottom;
};

// The light face of the contacts page's buttons, where they have no text.
inline constexpr std::uint32_t kDaybookButtonFace = 0xB0C9FF;

// The header above the pages.
inline constexpr Point kDaybookFile{165, 44};  // the dark "File" button (130..199 x 34..55)
// The page buttons: contacts, schedule, to-do (their pictures at 366..405, 412..451 and 459..498,
// y 32..47).
inline constexpr Point kDaybookPageButtons[] = {{385, 40}, {432, 40}, {479, 40}};
// Where the File button's menu opens, over the groups list.
inline constexpr Box kDaybookFileMenuArea{140, 70, 300, 330};

// The contacts page. Its row of eight buttons at y 515..537: new 131..207, delete 213..289,
// delete all 294..370, Apply 375..451, cancel 456..532, reset groups 538..625, Download 630..706,
// Upload 711..787.
inline constexpr Point kDaybookDownload{633, 526};  // Download's face, left of its text
inline constexpr Point kDaybookUpload{714, 526};    // Upload's face, left of its text
inline constexpr Box kDaybookContactsList{360, 100, 480, 430};  // inside the contacts list (350..497 x 92..445)

// The schedule and the to-do pages, whose rows of seven buttons lie alike at y 515..537: new
// 131..221, delete 227..316, delete all 321..410, Apply 415..504, cancel 509..598, Download
// 604..693, Upload 698..787. Download and Upload by their middles.
inline constexpr Point kDaybookCalendarDownload{648, 526};
inline constexpr Point kDaybookCalendarUpload{742, 526};

// In the suite's test language (every text marked in front) the row cannot give every button its
// text on one line: each gets its text's part of the row, reset groups (507..612) and Download
// (618..707) in two lines.
inline constexpr Point kDaybookDownloadMarked{622, 526};  // its face, left of its two lines of text

}  // namespace suite_testing
