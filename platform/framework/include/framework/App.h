#pragma once
// The application and its threads.
//
// Every loop of the class library (the run loop, CDialog's modal loop, RunModalLoop) takes messages
// through one step, AfxPumpMessage: take a message, offer it to PreTranslateMessage (the target
// window's object, then its parents' up to the top-level window, then the main window, then the
// thread), and translate and dispatch whatever nobody took, window-less thread messages included.
// Idle work (OnIdle) runs only while the queue is empty.
//
// One CWinApp exists per process; it is the main thread's CWinThread.
#include <framework/CmdTarget.h>
#include <framework/String.h>

#include <memory>
#include <vector>

class CWnd;
class CDocTemplate;

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)

public:
  CWinThread();
  ~CWinThread() override;

  CWnd* m_pMainWnd = nullptr;  // closing it (its WM_NCDESTROY) ends the thread's loop

  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance();
  // The run loop: idle work while the queue is empty, then messages until WM_QUIT; ExitInstance's
  // result.
  virtual int Run();
  // A window's message goes to the objects of the window and its parents, then to the main window;
  // a thread message (no window) to this object's map (MapMessage entries).
  virtual BOOL PreTranslateMessage(MSG* msg);
  // One message through the shared step; FALSE when it was WM_QUIT.
  virtual BOOL PumpMessage();
  // Idle work; count is 0 on the first call after messages. TRUE asks for more calls.
  virtual BOOL OnIdle(LONG count);
  // Whether idle work is due again after this message (a mouse move that did not move, a paint and
  // the caret's timer are not worth it).
  virtual BOOL IsIdleMessage(MSG* msg);
  virtual CWnd* GetMainWnd() { return m_pMainWnd; }

  MSG m_msgCur{};  // the message the loop took last

protected:
  POINT m_ptCursorLast{-1, -1};
  UINT m_nMsgLast = 0;
};

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)

public:
  explicit CWinApp(LPCSTR appName = nullptr);
  ~CWinApp() override;

  LPCSTR m_pszAppName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  LPSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = 5;  // SW_SHOW

  virtual BOOL InitApplication() { return TRUE; }
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  // Paints every dialog of the process on `background` with `text`.
  void SetDialogBkColor(COLORREF background = 0xC0C0C0, COLORREF text = 0);
  void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
  // The standard "new file" command: the first template opens an empty document.
  void OnFileNew();
  // Closes every document's frame.
  void CloseAllDocuments(BOOL endSession);

private:
  std::vector<std::unique_ptr<CDocTemplate>> m_templates;
  CString m_appName;
};

CWinApp* AfxGetApp();
// The calling thread's CWinThread (the application's on the main thread), or null.
CWinThread* AfxGetThread();
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
// The shared message step for the calling thread (see the top of this file).
BOOL AfxPumpMessage();
// PreTranslateMessage from the message's window up through its parents to the top-level window,
// stopping when one takes it; TRUE when taken.
BOOL AfxWalkPreTranslateTree(HWND stop, MSG* msg);
// The program's start for the application object: InitApplication, InitInstance, Run (or
// ExitInstance when InitInstance refuses); the program's exit code.
int AfxWinMain();

// The standard commands of the class library.
constexpr UINT ID_FILE_NEW = 0xE100;
constexpr UINT ID_APP_EXIT = 0xE141;
constexpr UINT ID_APP_ABOUT = 0xE140;
