#pragma once
// CEmbeddableDialog: the base of every dialog of a hosted program (its main dialog, the pages the
// main dialog holds, the program's message box). It can live inside a window of another process
// (the launcher's view), runs a modal loop of its own that a close request or a WM_NULL ends, tells
// the launcher when it is ready, activated or destroyed (when its notify flag is set), and writes
// status texts into the launcher's status record.
//
// The launcher's main window comes from the process's CHostedApp (none: no launcher); nothing is
// posted to a handle that is no window, except WM_CHILD_ACTIVATE (see DefWindowProc).
//
// Threads: the dialog and its loop belong to the program's user-interface thread.
#include <framework/Afx.h>

#include "LauncherProtocol.h"
#include "SharedMemory.h"

#include <string_view>

class CEmbeddableDialog : public CDialog {
  DECLARE_DYNAMIC(CEmbeddableDialog)

public:
  // Opens the status record. A program's main dialog passes notify TRUE; pages and message boxes
  // FALSE.
  CEmbeddableDialog(UINT templateId, CWnd* owner, BOOL notify);
  ~CEmbeddableDialog() override;

  // Makes the window, modeless. With a parent: inside it, without caption or sizing frame, hidden
  // (the launcher shows it once it is ready). Without: shown and focused. Nothing when the window
  // exists.
  void CreateEmbedded(HWND parent);
  // CreateEmbedded, then the own loop until QueryClose, EndModalLoop, WM_QUIT or WM_NULL ends it;
  // the result EndModalLoop gave (-1 when none). With disableOwner the owner is disabled meanwhile.
  int RunModalLoop(HWND parent, BOOL disableOwner);
  using CWnd::RunModalLoop;  // the class library's loop, which DoModal runs
  void EndModalLoop(int result) override;
  // Asked when a close request (WM_CLOSE, or SC_CLOSE) reaches the own loop; TRUE ends it. The
  // base does the request's default processing and agrees.
  virtual BOOL QueryClose();

  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  HWND GetEmbedParent() const { return m_hEmbedParent; }
  // Puts the window into `parent`; the previous parent.
  HWND SetEmbedParent(HWND parent);
  // Stores `text` in the status record (cut to fit) and posts WM_CHILD_STATUS. The posting's result;
  // 0 with nothing written or posted when the record is not mapped, 0 when the launcher is not there.
  BOOL PostStatusToLauncher(std::string_view text);

  const CSharedMemory& StatusRecord() const { return m_statusRecord; }

protected:
  UINT m_nTemplateId = 0;
  BOOL m_bContinue = FALSE;
  CWnd* m_pOwner = nullptr;
  HWND m_hEmbedParent = nullptr;
  CSharedMemory m_statusRecord;
  BOOL m_bNotify = FALSE;

private:
  BOOL m_bCreating = FALSE;  // in CreateEmbedded: WM_CHILD_READY waits until the window is placed
  BOOL m_bReadyDue = FALSE;
};

// WM_CHILD_CLOSE_REFUSED to the launcher (when it is there): the program's user cancelled a close.
// The posting's result, or 0.
BOOL NotifyCloseRefused();

// The dialog template of `templateId` in the current resource module, as bytes that can be
// changed; empty when there is none.
std::vector<BYTE> LoadEditableTemplate(UINT templateId);
// Changes a template's font (DS_SETFONT) to `face` at `points`, keeping its controls. FALSE, and
// nothing changed, for bytes that are no whole template with a font.
BOOL SetTemplateFont(std::vector<BYTE>& dialogTemplate, LPCSTR face, WORD points);
