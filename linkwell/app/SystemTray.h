#pragma once
// The link service's icon in the notification area: its picture, its tip, a timed animation over a
// range of icon resources, and the pop-up menu a right click opens.
//
// The tray owns a hidden 10 x 10 pop-up window of its own that gets the icon's callback message
// and the animation's timer. Every call is made on the thread that created it (the main frame
// carries the link threads' requests over to that thread).
//
// A mouse event over the icon is first offered to the main window's PreTranslateMessage as the
// message {callback, id, mouse message}; the main frame refuses or prepares the menu there.
#include <framework/Afx.h>
#include <shell/ShellApi.h>

#include <vector>

class CSystemTray : public CWnd {
 public:
  static constexpr UINT_PTR kAnimationTimer = 4567;

  CSystemTray() = default;
  ~CSystemTray() override;

  // Creates the hidden window, adds the icon (with `tip`, cut to 63 characters) and loads the
  // pop-up menu of resource `id`. False when the system is older than version 4 or the icon could
  // not be added (no notification area).
  BOOL Create(CWnd* parent, UINT callbackMessage, LPCSTR tip, HICON icon, UINT id);
  bool IsEnabled() const { return m_enabled; }

  // Replace the picture (nothing while the icon is not added) and the tip.
  BOOL SetIcon(HICON icon);
  BOOL SetIcon(UINT resourceId);
  BOOL SetTooltipText(LPCSTR tip);
  HICON GetIcon() const { return m_data.hIcon; }
  std::string GetTooltipText() const { return m_data.szTip; }

  // Loads icons `first` to `last` as the animation's pictures. False, with an empty list, when
  // `last` is below `first` or an icon is missing.
  BOOL SetIconList(UINT first, UINT last);
  std::size_t IconCount() const { return m_icons.size(); }
  // Stops a running animation, remembers the icon showing now and steps through the list every
  // `intervalMs` on timer 4567, for `durationSeconds` (0: until stopped). With no icons in the list
  // there is nothing to show and nothing starts.
  BOOL Animate(UINT intervalMs, int durationSeconds);
  BOOL StepAnimation();
  // Kills the timer and shows the remembered icon again.
  BOOL StopAnimation();
  bool IsAnimating() const { return m_timer != 0; }
  std::size_t AnimationIndex() const { return m_index; }

  BOOL HideIcon();
  BOOL ShowIcon();

  // The item a double click runs, and the menu's default entry.
  BOOL SetMenuDefaultItem(UINT item, BOOL byPosition);
  // kit: GlyphMenu replaces CMenu here (the owner-drawn menu in "Verdana" 14).
  CMenu& Menu() { return m_menu; }

  // What the tray does with the callback message; public so tests can feed it a mouse message.
  LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnAnimationTimer();
  void ShowMenu();

  bool m_enabled = false;
  NOTIFYICONDATAA m_data{};
  CMenu m_menu;
  std::vector<HICON> m_icons;
  std::size_t m_index = 0;
  UINT_PTR m_timer = 0;
  DWORD m_animationStart = 0;
  int m_duration = 0;
  HICON m_iconBeforeAnimation = nullptr;
  bool m_hidden = false;
  UINT m_defaultItem = 0;
  bool m_defaultByPosition = false;
};
