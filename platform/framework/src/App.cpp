// The application object, the threads' run loop and the one message step every loop shares.
#include <framework/App.h>
#include <framework/Dc.h>
#include <framework/Doc.h>
#include <framework/Menu.h>
#include <framework/ModuleState.h>
#include <framework/Wnd.h>

#include <kernel/CommandLine.h>
#include <kernel/Object.h>

#include "ThreadState.h"

#include <cstdio>
#include <cstdlib>

using tolvar::framework::Thread;

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {
constexpr UINT WM_SYSTIMER = 0x0118;  // the caret's blink
}

CWinThread::CWinThread() {
  if (!Thread().thread) Thread().thread = this;
}

CWinThread::~CWinThread() {
  // The application object outlives the main thread's state at the process's end.
  if (auto* state = tolvar::framework::ThreadIfAlive(); state && state->thread == this) state->thread = nullptr;
  if (m_hThread) CloseHandle(m_hThread);
}

int CWinThread::ExitInstance() {
  CWnd::DeleteTempMap();
  return static_cast<int>(m_msgCur.wParam);
}

BOOL AfxWalkPreTranslateTree(HWND stop, MSG* msg) {
  for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
    if (CWnd* object = CWnd::FromHandlePermanent(window); object && object->PreTranslateMessage(msg)) return TRUE;
    if (window == stop || !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) break;
  }
  return FALSE;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg) {
  if (!msg->hwnd) {
    // A thread message: the thread object's own map takes it when it has an entry.
    if (const AFX_MSGMAP_ENTRY* entry = FindEntry(msg->message, 0, 0)) {
      LRESULT ignored = 0;
      AFX_CALL call{msg->message, msg->wParam, msg->lParam, 0, nullptr, &ignored};
      return entry->call(*this, call);
    }
    return FALSE;
  }
  CWnd* mainWnd = GetMainWnd();
  {
    if (AfxWalkPreTranslateTree(mainWnd ? mainWnd->m_hWnd : nullptr, msg)) return TRUE;
    // The main window hears about messages of the other top-level windows of the thread too.
    if (mainWnd && mainWnd->m_hWnd && msg->hwnd != mainWnd->m_hWnd &&
        !::IsChild(mainWnd->m_hWnd, msg->hwnd) && mainWnd->PreTranslateMessage(msg)) {
      return TRUE;
    }
  }
  return FALSE;
}

int tolvar::framework::PumpMessage(bool wait) {
  CWinThread* thread = AfxGetThread();
  MSG& msg = thread ? thread->m_msgCur : Thread().pumped;
  if (wait) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) return 0;
  } else {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return -1;
    if (msg.message == WM_QUIT) return 0;
  }
  BOOL taken = FALSE;
  if (thread) {
    taken = thread->PreTranslateMessage(&msg);
  } else if (msg.hwnd) {
    taken = AfxWalkPreTranslateTree(nullptr, &msg);
  }
  if (!taken) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 1;
}

BOOL AfxPumpMessage() { return tolvar::framework::PumpMessage(true) != 0; }

BOOL CWinThread::PumpMessage() { return AfxPumpMessage(); }

BOOL CWinThread::IsIdleMessage(MSG* msg) {
  if (msg->message == WM_MOUSEMOVE || msg->message == WM_NCMOUSEMOVE) {
    POINT at{static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
    if (m_nMsgLast == msg->message && at.x == m_ptCursorLast.x && at.y == m_ptCursorLast.y) return FALSE;
    m_ptCursorLast = at;
    m_nMsgLast = msg->message;
    return TRUE;
  }
  return msg->message != WM_PAINT && msg->message != WM_SYSTIMER;
}

BOOL CWinThread::OnIdle(LONG count) {
  if (count <= 0) {
    // Command updates of the main window and its children (the frame and its bars): only this
    // thread's window objects. A program hosted in the window has its own idle time; asking each of
    // its windows from here would be a round trip to its process after every message, and wait
    // for that program whenever it is busy.
    if (CWnd* mainWnd = GetMainWnd(); mainWnd && mainWnd->m_hWnd && mainWnd->IsWindowVisible()) {
      mainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
      mainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
  } else if (count == 1) {
    CWnd::DeleteTempMap();
    CMenu::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    CDC::DeleteTempMap();
  }
  return count < 1;
}

int CWinThread::Run() {
  BOOL idle = TRUE;
  LONG idleCount = 0;
  MSG peek;
  for (;;) {
    while (idle && !PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = FALSE;
    }
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        idle = TRUE;
        idleCount = 0;
      }
    } while (PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));
  }
}

// ---- CWinApp ----

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(LPCSTR appName) {
  if (g_app) {
    std::fprintf(stderr, "CWinApp: a second application object in one process\n");
    std::abort();
  }
  g_app = this;
  Thread().thread = this;  // the application is its thread's CWinThread, even over an earlier one
  AFX_MODULE_STATE* state = AfxGetAppModuleState();
  state->m_pCurrentWinApp = this;
  m_hInstance = state->m_hCurrentInstanceHandle;
  if (appName) m_appName = appName;
  m_pszAppName = m_appName;
}

CWinApp::~CWinApp() {
  m_templates.clear();
  AfxGetAppModuleState()->m_pCurrentWinApp = nullptr;
  g_app = nullptr;
}

BOOL CWinApp::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  // The standard "new" and "exit" commands work without an entry of the program's own.
  if (nCode != CN_COMMAND) return FALSE;
  if (nID == ID_FILE_NEW && !m_templates.empty()) {
    if (!pHandlerInfo) OnFileNew();
    return TRUE;
  }
  if (nID == ID_APP_EXIT && m_pMainWnd) {
    if (!pHandlerInfo) m_pMainWnd->SendMessage(WM_CLOSE);
    return TRUE;
  }
  return FALSE;
}

void CWinApp::SetDialogBkColor(COLORREF background, COLORREF text) { AfxSetDialogBkColor(background, text); }

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
  m_templates.push_back(std::move(docTemplate));
}

void CWinApp::OnFileNew() {
  if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::CloseAllDocuments(BOOL endSession) {
  for (auto& docTemplate : m_templates) docTemplate->CloseAllDocuments(endSession);
}

CWinApp* AfxGetApp() { return g_app; }

CWinThread* AfxGetThread() { return Thread().thread; }

CWnd* AfxGetMainWnd() {
  if (CWinThread* thread = AfxGetThread(); thread && thread->GetMainWnd()) return thread->GetMainWnd();
  return g_app ? g_app->GetMainWnd() : nullptr;
}

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  // The arguments: the command line after the program's name (quoted or not) and its blanks.
  LPSTR line = GetCommandLineA();
  if (*line == '"') {
    for (++line; *line && *line != '"'; ++line) {}
    if (*line) ++line;
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  app->m_lpCmdLine = line;
  if (!app->InitApplication() || !app->InitInstance()) {
    if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}
