// Daybook's process-wide state and its two ways of showing texts.
#include "Daybook.h"

#include <MessageBoxDlg.h>
#include <StringLoader.h>

CManager* g_pManager = nullptr;
BOOL g_bDocumentModified = FALSE;
CString g_strLastFolder;

CString DaybookText(UINT id) { return GetText(id); }

int DaybookMessageText(const CString& text, UINT captionId, UINT type) {
  return ShowMessageBox(text, DaybookText(captionId), type);
}

int DaybookMessage(UINT id, UINT captionId, UINT type) { return DaybookMessageText(DaybookText(id), captionId, type); }
