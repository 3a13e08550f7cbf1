// Threads the class library starts: AfxBeginThread and CWinThread::CreateThread. The new thread
// waits until its creator has stored m_hThread and m_nThreadID (and the priority), so that the
// object is whole before any of its code runs; then it becomes that thread's CWinThread, runs the
// worker function or InitInstance and Run, and deletes the object when it ends if m_bAutoDelete
// says so. No thread is ever created suspended: the object is set up first, then started.
#include <framework/App.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>

#include "ThreadState.h"

#include <memory>
#include <semaphore>

namespace {

struct Start {
  CWinThread* thread = nullptr;
  std::binary_semaphore go{0};  // released when the creator has filled in the object
};

DWORD ThreadEntry(LPVOID parameter) {
  std::unique_ptr<std::shared_ptr<Start>> handed(static_cast<std::shared_ptr<Start>*>(parameter));
  std::shared_ptr<Start> start = std::move(*handed);
  start->go.acquire();
  CWinThread* thread = start->thread;
  start.reset();

  tolvar::framework::Thread().thread = thread;
  DWORD exitCode = 0;
  if (thread->m_pfnThreadProc) {
    exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
  } else if (thread->InitInstance()) {
    exitCode = static_cast<DWORD>(thread->Run());
  } else {
    exitCode = static_cast<DWORD>(thread->ExitInstance());
  }
  tolvar::framework::Thread().thread = nullptr;
  thread->Delete();
  return exitCode;
}

}  // namespace

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID parameter) : CWinThread() {
  m_pfnThreadProc = proc;
  m_pThreadParams = parameter;
}

void CWinThread::Delete() {
  if (m_bAutoDelete) delete this;
}

namespace {

// Starts `thread`'s thread and fills in its handle, id and priority before letting it run.
BOOL StartThread(CWinThread* thread, DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES security, int priority) {
  // An object made on another thread registered itself there; it belongs to the thread it starts.
  if (tolvar::framework::Thread().thread == thread) tolvar::framework::Thread().thread = nullptr;
  if ((createFlags & CREATE_SUSPENDED) || thread->m_hThread) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto start = std::make_shared<Start>();
  start->thread = thread;
  auto handed = std::make_unique<std::shared_ptr<Start>>(start);
  DWORD id = 0;
  HANDLE handle = ::CreateThread(security, stackSize, ThreadEntry, handed.get(), createFlags, &id);
  if (!handle) return FALSE;
  handed.release();  // the thread owns it now
  thread->m_hThread = handle;
  thread->m_nThreadID = id;
  if (priority != THREAD_PRIORITY_NORMAL) ::SetThreadPriority(handle, priority);
  start->go.release();  // from here on an auto-deleting object may be gone
  return TRUE;
}

CWinThread* Begin(std::unique_ptr<CWinThread> thread, int priority, UINT stackSize, DWORD createFlags,
                  LPSECURITY_ATTRIBUTES security) {
  if (!StartThread(thread.get(), createFlags, stackSize, security, priority)) return nullptr;
  return thread.release();  // the thread deletes it, or the caller once it cleared m_bAutoDelete
}

}  // namespace

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES security) {
  return StartThread(this, createFlags, stackSize, security, THREAD_PRIORITY_NORMAL);
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security) {
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Begin(std::make_unique<CWinThread>(proc, parameter), priority, stackSize, createFlags, security);
}

CWinThread* AfxBeginThread(const CRuntimeClass* threadClass, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security) {
  if (!threadClass || !threadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::unique_ptr<CObject> object = threadClass->CreateObject();
  if (!object) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Begin(std::unique_ptr<CWinThread>(static_cast<CWinThread*>(object.release())), priority, stackSize,
               createFlags, security);
}
