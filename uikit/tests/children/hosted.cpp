// A program as the launcher hosts it: its main dialog, an embeddable dialog with the notify flag,
// goes into the window named on its command line. WM_APP (wParam: a length) asks it for a status
// text of that many letters. With " refuse" on its command line it refuses the first close
// request, as a program with unsaved changes whose user cancels.
#include <EmbeddableDialog.h>
#include <HostedApp.h>

#include <kernel/CommandLine.h>

#include <cstring>
#include <string>

namespace {

class CHostedDlg : public CEmbeddableDialog {
public:
  CHostedDlg() : CEmbeddableDialog(1, nullptr, TRUE) {}
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {MapMessage(WM_APP, &CHostedDlg::OnStatus)}};
    return &map;
  }
  BOOL QueryClose() override {
    if (m_refuse) {
      m_refuse = false;
      NotifyCloseRefused();
      return FALSE;
    }
    return CEmbeddableDialog::QueryClose();
  }
  LRESULT OnStatus(WPARAM length, LPARAM) {
    std::string text;
    for (WPARAM i = 0; i < length; ++i) text += static_cast<char>('A' + i % 26);
    return PostStatusToLauncher(text);
  }
  bool m_refuse = std::strstr(GetCommandLineA(), " refuse") != nullptr;
};

class CHostedProgram : public CHostedApp {
public:
  BOOL InitInstance() override {
    CHostedDlg dialog;
    RunMainDialog(dialog);
    return FALSE;
  }
};

CHostedProgram theApp;

}  // namespace

int main() { return AfxWinMain(); }
