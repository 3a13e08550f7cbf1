#pragma once
// Daybook's process-wide state: the one manager of the phone library, the document-modified flag
// and the texts of the program's own string table.
#include <handport/Manager.h>

#include <framework/Afx.h>

extern CManager* g_pManager;
extern BOOL g_bDocumentModified;
extern CString g_strLastFolder;

// The text of a string id in the current language.
CString DaybookText(UINT id);
// The program's message box with the text of `id` (or a text) and the caption of `captionId`.
int DaybookMessage(UINT id, UINT captionId, UINT type);
int DaybookMessageText(const CString& text, UINT captionId, UINT type);
