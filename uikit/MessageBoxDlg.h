#pragma once
// The program message box: ShowMessageBox takes the platform message box's arguments and gives its
// results, but shows the suite's own dialog (template 178 of the program's resources, see
// res/MessageBox.rc): the text in "Verdana", one of the four standard icons, up to three skinned
// buttons captioned from the program's string table. The dialog sizes itself to the text, which
// never wraps: each line feed starts a line.
//
// Keys: Enter presses the focused button; Escape (and closing the window) answers Cancel where a
// Cancel button is shown, OK on a box with only OK, and does nothing on the others, so a Yes/No
// question is never answered by a key that means neither. A button set above 5 shows OK.
#include <framework/Afx.h>
#include <framework/Controls.h>

#include "EmbeddableDialog.h"
#include "SkinButton.h"
#include "res/MessageBoxRes.h"

#include <array>

extern "C" int ShowMessageBox(const char* text, const char* caption, UINT type);

// Program-wide settings of the message box, set once at start. A program whose string table holds
// the button captions under ids of its own names them here. With `raiseToTop` each box puts itself
// at the top of the window order at the end of its initialisation: input is joined only between
// threads of one process here, so the place in the order alone brings it to the front.
struct MessageBoxSettings {
  UINT ok = IDS_UIKIT_MB_OK;
  UINT cancel = IDS_UIKIT_MB_CANCEL;
  UINT no = IDS_UIKIT_MB_NO;
  UINT yes = IDS_UIKIT_MB_YES;
  UINT abort = IDS_UIKIT_MB_ABORT;
  UINT retry = IDS_UIKIT_MB_RETRY;
  UINT ignore = IDS_UIKIT_MB_IGNORE;
  bool raiseToTop = false;
};
void SetMessageBoxSettings(const MessageBoxSettings& settings);
const MessageBoxSettings& GetMessageBoxSettings();

class CMessageBoxDlg : public CEmbeddableDialog {
  DECLARE_DYNAMIC(CMessageBoxDlg)

public:
  CMessageBoxDlg();
  ~CMessageBoxDlg() override;

  // What ShowMessageBox stores before the run.
  LPCSTR m_lpszText = "";
  LPCSTR m_lpszCaption = "";
  UINT m_nType = 0;

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  void OnOK() override;
  void OnCancel() override;
  void OnButton(UINT id);

  CStatic m_text;
  CStatic m_icon;
  std::array<CSkinButton, 3> m_buttons;  // 901, 902, 903
  std::array<int, 3> m_results{};    // what each button answers; 0 while it is not shown
  CFont m_font;
};
