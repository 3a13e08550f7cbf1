#pragma once
// CMainFrame: the launcher's window. On the left the folder bar lists the suite's programs, on the
// right the view hosts the window of the program shown; a status bar below shows the shown
// program's status text, and the caption is painted by the launcher with its own buttons.
//
// The hosted programs talk to the frame only by posted messages (WM_CHILD_READY and the others of
// the launcher protocol) and the status record; the frame handles them as they leave its queue
// (PreTranslateMessage). It never waits on another process while it holds the record's mutex, and
// it never waits for a program without a bound.
//
// Suite close: every running program's main thread is asked with WM_CLOSE; each answers with
// "WM_CLOSE_MAIN_FRAME" as it ends, or with WM_CHILD_CLOSE_REFUSED, which abandons the close. A
// program that ends without answering (killed, crashed) counts as closed once its process is seen
// to have ended, so the launcher never waits for ever.
//
// Threads: the launcher's user-interface thread only.
#include "CaptionPainter.h"
#include "FixedSplitterWnd.h"
#include "OutBarCtrl.h"
#include "ProgramSlots.h"
#include "TitleButtonBar.h"

#include <framework/Afx.h>
#include <framework/StatusBar.h>

#include <array>
#include <string>

class CVezezudaraView;
class CSharedMemory;

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)

public:
  CMainFrame();
  ~CMainFrame() override;

  // The window class of the launcher's frame: a second instance finds the first by it and by the
  // window text.
  static constexpr char kClassName[] = "VezezudaraFrame";
  static constexpr UINT_PTR kStartTimer = 1;    // re-enables the frame if a started program never reports
  static constexpr UINT_PTR kFrontTimer = 2;    // a second after painting: the shown program in front
  static constexpr UINT_PTR kClosingTimer = 3;  // while closing: programs that ended without answering

  // The status record the frame reads texts from (the application's); may stay null.
  void SetStatusRecord(CSharedMemory* record) { m_record = record; }
  // The folder the programs are read from and started in (the working directory by default).
  void SetProgramFolder(LPCSTR folder) { m_folder = folder; }
  // The link service's program, started into slot 10 ("Linkwell.exe"; empty: none, for tests).
  void SetLinkServiceName(LPCSTR name) { m_linkService = name; }

  void ScanPrograms(LPCSTR folder, int pass);
  int LaunchProgram(const std::string& exeName, int slot, LPCSTR directory);
  void RefreshSlots();
  void HideAllPrograms();
  int ShowProgramByCommand(LPCSTR text);
  LRESULT OnOutBarNotify(WPARAM code, LPARAM index);

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // The caption's title (the window text stays string 129, see Vezezudara.cpp).
  void SetCaptionTitle(LPCSTR title);

  // For tests and the About dialog's owner.
  CProgramSlots& Slots() { return m_slots; }
  CGfxOutBarCtrl& OutBar() { return m_outBar; }
  CVezezudaraView* View() const { return m_pView; }
  CTitleButtonBar& CaptionButtons() { return m_buttons; }
  CCaptionPainter& Caption() { return m_caption; }
  CStatusBar& StatusBar() { return m_statusBar; }
  int PendingCloses() const { return m_pendingCloses; }
  const std::string& LastApp() const { return m_lastApp; }

protected:
  enum class ShowResult { Nothing, Shown, Started };
  ShowResult ShowOrStart(int slot);

  LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
  void OnClose();
  void OnCloseMainFrame();
  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM lParam);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnCaptionRepaint(WPARAM wParam, LPARAM lParam);
  LRESULT OnCaptionDrawButtons(WPARAM wParam, LPARAM);
  LRESULT OnOutBarNotifyMessage(WPARAM wParam, LPARAM lParam);

  void OnChildReady(HWND child);
  void OnInstanceCommand();
  void OnChildDestroyed(HWND child);
  void OnChildActivate(WPARAM state);
  void OnChildStatus();
  void OnCaptionButton(UINT id);
  void RunAbout();
  void SetCaptionActive();
  void BringToFront(HWND after, UINT flags);
  // The suite close is complete: every asked program answered or ended.
  bool CloseAnswered();
  void FinishClose();
  LRESULT OnFinishClose(WPARAM, LPARAM);
  static constexpr UINT kFinishClose = WM_APP + 0x300;  // private: the close, from the queue
  void SetStatusText(LPCSTR text);
  void MeasureView();

  CProgramSlots m_slots;
  std::array<bool, CProgramSlots::kProgramSlots> m_closeAsked{};
  std::string m_lastApp;
  std::string m_folder = ".";
  std::string m_linkService = "Linkwell.exe";
  int m_pendingCloses = 0;
  bool m_closing = false;
  bool m_finishPosted = false;
  DWORD m_ownActive = 0;
  DWORD m_programActive = 0;
  DWORD m_displayStatusBar = 0;
  RECT m_viewRect{};
  HWND m_linkwellWindow = nullptr;
  UINT m_closeMainFrame = 0;
  bool m_aboutOpen = false;

  CVezezudaraView* m_pView = nullptr;
  CFixedSplitterWnd m_splitter;
  CGfxOutBarCtrl m_outBar;
  CImageList m_largeImages;
  CImageList m_smallImages;
  CCaptionPainter m_caption;
  CTitleButtonBar m_buttons;
  CStatusBar m_statusBar;
  HFONT m_statusFont = nullptr;
  CSharedMemory* m_record = nullptr;
};
