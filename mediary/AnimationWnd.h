#pragma once
// CAnimationWnd: a window that plays a list of decoded frames. Its frame player's worker only says
// which frame is due, by a message posted to the window; the window paints that frame (fitted and
// centred when it is larger than the window). A left click starts or stops it, a right click
// rewinds it. Destroying the window stops and joins the worker.
//
// Threads: created and used on one user-interface thread; the worker posts only.
#include "FramePlayer.h"

#include <user/User.h>

#include <memory>

class CAnimationWnd {
 public:
  CAnimationWnd();
  ~CAnimationWnd();
  CAnimationWnd(const CAnimationWnd&) = delete;
  CAnimationWnd& operator=(const CAnimationWnd&) = delete;

  BOOL Create(HWND parent, const RECT& rect, UINT id);
  HWND GetHwnd() const { return m_hWnd; }

  void SetFrames(AnimationFrames frames) { m_player.SetFrames(std::move(frames)); }
  void Start() { m_player.Start(); }
  void Stop() { m_player.Stop(); }
  void Rewind() { m_player.Rewind(); }
  // Stops, frees the frames and destroys the window.
  void Destroy();
  bool IsRunning() const { return m_player.IsRunning(); }
  // The frame the window shows now (the last one the worker announced).
  unsigned GetShownFrame() const { return m_shown; }

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  HWND m_hWnd = nullptr;
  unsigned m_shown = 0;
  CFramePlayer m_player;
};
