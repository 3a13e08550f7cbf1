#pragma once
// What the link service needs of the program's main frame: the tray icon with its animations and
// status text, timer 2 (the idle time-out), the search-failure notice, the program's texts and the
// message box for socket errors. The frame owns all of these; the link service only asks.
//
// Every call may come from the link worker or the connect thread as well as from the main thread,
// so the frame must carry each out safely from any thread (on Windows: post to, or set a timer on,
// the main window; the tray calls themselves are safe from any thread).
#include <base/WinDef.h>

#include <string>

// Tray icons and string ids the link service names.
constexpr UINT IDI_NO_PHONE = 137;          // no phone known
constexpr UINT IDI_PHONE_CONNECTED = 138;   // a phone was found
constexpr UINT IDS_NO_PHONE_CONNECTED = 129;  // "No phone connected."
constexpr UINT IDS_CONNECTED_ON = 136;        // " connected on "
constexpr UINT WM_LINK_NOTICE = 0x0400 + 11;  // WM_USER+11: wParam the string id of the notice
constexpr UINT IDLE_TIMER_ID = 2;

enum class TrayAnimation {
  Search,  // icons 130 to 133, every 50 ms: a phone search runs
  InUse,   // icons 143 to 146, every 500 ms: a client owns the link
};

class ILinkFrame {
 public:
  virtual ~ILinkFrame() = default;

  virtual void StartAnimation(TrayAnimation animation) = 0;
  virtual void StopAnimation() = 0;
  // Shows `icon` in the tray, and `status` as the tray tip and as the text of the tray menu's first
  // item.
  virtual void ShowStatus(UINT icon, const std::string& status) = 0;

  // Timer 2 of the main window: (re)started with `ms`, or killed. When it runs out the frame calls
  // CLinkService::OnIdleTimer (from its main thread).
  virtual void SetIdleTimer(UINT ms) = 0;
  virtual void KillIdleTimer() = 0;

  // Posts WM_LINK_NOTICE with `stringId` to the main window; its handler asks
  // CLinkService::TakeNotice whether to show the text (caption "Phone selection", information icon).
  virtual void PostNotice(UINT stringId) = 0;

  // The program's text for `stringId` (through the string loader).
  virtual std::string LoadText(UINT stringId) = 0;

  // Shows the system's text for a Windows Sockets error in the link service's message box (caption
  // "Phone selection", information icon). Called on the main thread.
  virtual void ReportSocketError(int error) = 0;
};
