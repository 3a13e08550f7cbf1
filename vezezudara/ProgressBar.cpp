// The status-bar progress pane.
#include "ProgressBar.h"

#include <algorithm>

RECT ProgressPaneRect(const RECT& pane, int textWidth, int share) {
  const int left = static_cast<int>(pane.left) + std::max(0, textWidth);
  const int rest = std::max(0, static_cast<int>(pane.right) - left);
  const int width = std::max(0, rest * std::clamp(share, 0, 100) / 100);
  const int inset = static_cast<int>(pane.bottom - pane.top) / 10;
  return RECT{left, pane.top + inset, left + width, pane.bottom - inset};
}
