#pragma once
// Where Mediary's controls lie in the launcher's frame (the launcher at its first size), for the
// scenarios that use Mediary as a person does.
//
// Mediary fills the launcher's right pane. Its dialog's client area starts at (123, 25) of the
// launcher's frame and is 140 pixels narrower and 22 taller than its template's 464 x 310 units; a
// unit is 7/4 pixels across and 13/8 down (the template's 8-point font averages 7 pixels wide and
// is 13 high). The dialog moves its controls by that change: those right of the lists by the
// width's, the buttons below them by the height's, the phone list's frame down by half of it.
#include <cstdint>

namespace suite_testing::mediary {

struct Point {
  int x, y;
};
struct Box {
  int left, top, right, bottom;
};

constexpr int kLeft = 123, kTop = 25, kWider = -140, kTaller = 22;
constexpr int X(int units) { return kLeft + units * 7 / 4; }
constexpr int Y(int units) { return kTop + units * 13 / 8; }
// The lists' rows (14 pixels high: the lists' 14-pixel Verdana) start below the list's border and
// its 18-pixel header; the frames round the lists start at 56 and 180 units, the lists one pixel
// inside.
constexpr int kRowHeight = 14;
constexpr int kPcFirstRow = Y(56) + 20;
constexpr int kPhoneFirstRow = Y(180) + kTaller / 2 + 20;
constexpr Point PcRow(int row) { return {X(60), kPcFirstRow + row * kRowHeight + kRowHeight / 2}; }
constexpr Point PhoneRow(int row) { return {X(60), kPhoneFirstRow + row * kRowHeight + kRowHeight / 2}; }
constexpr Point kToPhone{X(130 + 10) + kWider / 2, Y(162 + 7) + kTaller / 2};  // "v" between the lists
constexpr Point kToPc{X(156 + 10) + kWider / 2, Y(162 + 7) + kTaller / 2};     // "^"
constexpr Point kImages{X(318 + 22) + kWider, Y(30 + 7)};                      // the view kind buttons
constexpr Point kMelodies{X(364 + 22) + kWider, Y(30 + 7)};
constexpr Point kGetList{X(8 + 28), Y(286 + 8) + kTaller};    // "Get List"
constexpr Point kTransfer{X(68 + 28), Y(286 + 8) + kTaller};  // "Transfer"
// The preview lies in the screen of the phone picture (at 318, 62 units): 22 to 128 pixels across
// and 41 to 139 down; a box a little inside it.
constexpr Box kPreview{X(318) + kWider + 26, Y(62) + 45, X(318) + kWider + 124, Y(62) + 135};
constexpr std::uint32_t kButtonFace = 0xB0C9FF;  // the suite's light button face
constexpr std::uint32_t kListBack = 0xFFFFFF;
constexpr std::uint32_t kTextSelection = 0x0A246A;  // selected text in an edit
constexpr std::uint32_t kChosenKind = 0x082A82;     // the face of the chosen view kind's button

}  // namespace suite_testing::mediary
