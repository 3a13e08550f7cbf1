#pragma once
// CPreviewWnd: the preview pane. A still picture is fitted and centred on white; an animated GIF
// plays frame by frame on the window's timer 1 with its own delays (at least 20 ms each); WBMP and
// animator files show their placeholder bitmaps (167, 174); anything else (movies included)
// leaves the pane white.
//
// Threads: the user-interface thread that owns the window; the timer is the window's own.
#include "PreviewRules.h"

#include <user/User.h>

#include <string>

class CPreviewWnd {
 public:
  CPreviewWnd() = default;
  ~CPreviewWnd();
  CPreviewWnd(const CPreviewWnd&) = delete;
  CPreviewWnd& operator=(const CPreviewWnd&) = delete;

  BOOL Create(HWND parent, const RECT& rect, UINT id);
  HWND GetHwnd() const { return m_hWnd; }

  void ShowFile(const std::string& path);
  // A bitmap of the program's resources, fitted and centred.
  void ShowBitmapResource(int id);
  // Stops the animation and shows nothing.
  void Reset();

  const std::string& GetPath() const { return m_path; }
  int GetShownBitmap() const { return m_bitmapId; }
  bool IsAnimating() const { return m_animation.IsRunning(); }
  unsigned GetNextFrame() const { return m_animation.GetFrameIndex(); }

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Step();
  void Paint();
  void FreeBitmap();

  HWND m_hWnd = nullptr;
  std::string m_path;
  int m_bitmapId = 0;
  HBITMAP m_bitmap = nullptr;
  bool m_pictureShown = false;
  CPicture m_picture;
  CGifAnimation m_animation;
};
