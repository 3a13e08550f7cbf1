#pragma once
// The contact groups' default settings: per group number 0..19, the melody, picture and light colour
// that a member without its own gets. They live in the contacts page and travel in the document,
// which keeps the four words of groups 1..19.
#include <base/WinDef.h>

#include <array>

namespace daybook {

constexpr int kGroupCount = 19;          // groups 1..19; 0 is "no group"
constexpr int kContactSlots = 500;
constexpr int kScheduleSlots = 600;
constexpr int kToDoSlots = 100;

struct GroupDefault {
  DWORD set = 0;        // word 0: 1 when any default is chosen; the other words count only then
  DWORD melodyId = 0;   // word 1
  DWORD pictureId = 0;  // word 2
  DWORD light = 0;      // word 3: index of the light colour, 0 none
  friend bool operator==(const GroupDefault&, const GroupDefault&) = default;
};

using GroupDefaults = std::array<GroupDefault, kGroupCount + 1>;

}  // namespace daybook
