#pragma once
// What the exchange asks of the person: files to read, a folder to write into, and answers to its
// messages. CInterlex runs on this interface so that its rules can be tested with scripted answers;
// CDialogExchangeUi is the real one (the shell's open dialog and folder browser, the kit's message box).
#include <framework/Afx.h>

#include <vector>

class IExchangeUi {
public:
  virtual ~IExchangeUi() = default;
  // The multi-select open dialog; false when cancelled. `paths` gets the chosen files in order.
  virtual bool ChooseFiles(HWND owner, LPCSTR defaultExtension, LPCSTR filter, std::vector<CString>& paths) = 0;
  // The folder picker; an empty text when cancelled.
  virtual CString ChooseFolder(HWND owner) = 0;
  // A message box of the kit: the button pressed (IDYES, IDNO, IDCANCEL, IDOK...), 0 when it could
  // not be shown.
  virtual int Show(HWND owner, const CString& text, const CString& caption, UINT type) = 0;
};

class CDialogExchangeUi : public IExchangeUi {
public:
  bool ChooseFiles(HWND owner, LPCSTR defaultExtension, LPCSTR filter, std::vector<CString>& paths) override;
  CString ChooseFolder(HWND owner) override;
  int Show(HWND owner, const CString& text, const CString& caption, UINT type) override;
};
