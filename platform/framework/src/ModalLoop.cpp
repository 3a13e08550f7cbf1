// A window's modal loop: the thread's message step until EndModalLoop, with idle kicks to the
// window while the queue is empty and WM_ENTERIDLE to its parent once per idle spell.
//
// A window shown on idle shows when the queue first runs empty, after what its creation queued, so
// that it does not show half made. Until then the loop never waits for a message: a message that a
// look saw may be gone when the wait looks again (a paint that a sent message handled meanwhile
// did, as a host in another process asks a hosted window to paint for it), and the wait would keep
// the window unshown until some other message came, maybe never.
#include <framework/App.h>
#include <framework/Wnd.h>

#include "ThreadState.h"

int CWnd::RunModalLoop(DWORD flags) {
  BOOL idle = TRUE;
  LONG idleCount = 0;
  BOOL showOnIdle = (flags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
  HWND parent = ::GetParent(m_hWnd);
  m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
  CWinThread* thread = AfxGetThread();
  MSG peek;
  for (;;) {
    while (idle && !PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (showOnIdle) {
        ShowWindow(SW_SHOWNORMAL);
        UpdateWindow();
        showOnIdle = FALSE;
      }
      if (!(flags & MLF_NOIDLEMSG) && parent && idleCount == 0) {
        ::SendMessageA(parent, WM_ENTERIDLE, 0 /* MSGF_DIALOGBOX */, reinterpret_cast<LPARAM>(m_hWnd));
      }
      if ((flags & MLF_NOKICKIDLE) || !SendMessage(WM_KICKIDLE, 0, idleCount++)) idle = FALSE;
      if (!ContinueModal() || !m_hWnd) goto done;
    }
    do {
      const int pumped = tolvar::framework::PumpMessage(!showOnIdle);
      if (pumped < 0) break;  // gone meanwhile: the queue is empty, and the window shows
      if (pumped == 0) {
        // WM_QUIT: the loop ends and the quit goes on to the loop outside.
        const MSG& quit = thread ? thread->m_msgCur : tolvar::framework::Thread().pumped;
        PostQuitMessage(static_cast<int>(quit.wParam));
        m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
        return -1;
      }
      // A window destroyed meanwhile (its object let go of it) can never end its loop otherwise.
      if (!ContinueModal() || !m_hWnd) goto done;
      if (!thread || thread->IsIdleMessage(&thread->m_msgCur)) {
        idle = TRUE;
        idleCount = 0;
      }
    } while (PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));
  }
done:
  m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
  return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return (m_nFlags & WF_CONTINUEMODAL) != 0; }

void CWnd::EndModalLoop(int result) {
  m_nModalResult = result;
  if (m_nFlags & WF_CONTINUEMODAL) {
    m_nFlags &= ~WF_CONTINUEMODAL;
    PostMessage(WM_NULL);  // wakes the loop should it be waiting for a message
  }
}
