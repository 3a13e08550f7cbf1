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

#include <kernel/Thread.h>

#include <memory>
#include <vector>

class CWnd;
class CDocTemplate;

// A worker function of AfxBeginThread; its result is the thread's exit code.
using AFX_THREADPROC = UINT (*)(LPVOID parameter);

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)

public:
  CWinThread();
  // A worker thread object that runs `proc` (set it up, then CreateThread).
  CWinThread(AFX_THREADPROC proc, LPVOID parameter);
  // Closes m_hThread (the thread itself runs on until it ends).
  ~CWinThread() override;

  // Starts the thread; it runs proc, or else InitInstance and then Run (ExitInstance when
  // InitInstance refuses). Threads here never start suspended: CREATE_SUSPENDED is refused with
  // ERROR_INVALID_PARAMETER, so set the object up (m_bAutoDelete...) before calling this. The thread
  // sees m_hThread and m_nThreadID filled in. FALSE when no thread could be made.
  BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);
  int GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
  BOOL SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }
  operator HANDLE() const { return m_hThread; }
  // Called by the thread when it ends: deletes the object when m_bAutoDelete is set.
  virtual void Delete();

  CWnd* m_pMainWnd = nullptr;  // closing it (its WM_NCDESTROY) ends the thread's loop
  // The thread deletes this object when it ends; cleared, the owner deletes it, after the thread
  // has ended (wait on m_hThread).
  BOOL m_bAutoDelete = TRUE;
  HANDLE m_hThread = nullptr;  // the thread's handle, waitable; owned by this object
  DWORD m_nThreadID = 0;
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;

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
  // Controls are drawn three-dimensional already: accepted, changes nothing, TRUE.
  BOOL Enable3dControls() { return TRUE; }
  BOOL Enable3dControlsStatic() { return TRUE; }
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

// Starts a worker thread that runs `proc` with `parameter`, or a user-interface thread of a class
// derived from CWinThread (made from its run-time class, then InitInstance and Run on the new
// thread). The object deletes itself when the thread ends unless m_bAutoDelete is cleared, which a
// caller that keeps the object must do through the two steps (construct, then CreateThread): there
// is no suspended start (CREATE_SUSPENDED gives NULL and ERROR_INVALID_PARAMETER). NULL when the
// thread could not be started (the object is then deleted).
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
CWinThread* AfxBeginThread(const CRuntimeClass* threadClass, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);

// Control containment needs nothing set up here; the call is accepted, as programs make it at start.
inline void AfxEnableControlContainer() {}

// The standard commands of the class library.
constexpr UINT ID_FILE_NEW = 0xE100;
constexpr UINT ID_APP_EXIT = 0xE141;
constexpr UINT ID_APP_ABOUT = 0xE140;
