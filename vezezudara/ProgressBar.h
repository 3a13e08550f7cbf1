#pragma once
// The status-bar progress pane: a progress control placed in one pane of a status bar after a
// text. The control starts after the text and four blanks (at the pane's left edge without text),
// takes `share` percent of the rest of the pane, and keeps a tenth of the pane's height free above
// and below.
#include <framework/Afx.h>

// The control's rectangle in pane `pane` (status-bar coordinates) after a text `textWidth` wide
// (the text with its four blanks; 0 without text).
RECT ProgressPaneRect(const RECT& pane, int textWidth, int share);
