#pragma once
// The launcher's own window messages: those its parts send one another (caption painter, caption
// buttons, view, folder bar). The messages hosted programs post to the launcher belong to the UI
// kit's launcher client, which both sides include.
#include <user/User.h>

// The caption painter asks the frame to paint gradient and title into its bitmap; lParam points to
// a CaptionPaintBlock, or is 0 to drop the caption font.
constexpr UINT WM_CAPTION_REPAINT = WM_USER + 4;
// The caption painter asks the frame to draw the caption buttons into the device context in wParam.
constexpr UINT WM_CAPTION_DRAWBUTTONS = WM_USER + 5;
// The view has painted; the frame restarts its one-second check of the shown program.
constexpr UINT WM_VIEW_PAINTED = WM_USER + 6;
// The folder bar's notifications to its owner (sent): wParam the code, lParam per code.
constexpr UINT WM_OUTBAR_NOTIFY = WM_USER + 100;
// WM_CAPTION_BUTTON (WM_USER + 101), a caption button released on, is the caption-button bar's:
// titlebar/TitleButtonBar.h.

struct CaptionPaintBlock {
  int width;
  int height;
  HDC dc;
  int active;
};
