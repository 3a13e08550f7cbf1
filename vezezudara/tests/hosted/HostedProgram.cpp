// A suite program made for the launcher's tests, built twice with two resource scripts (its name,
// colour, dialog and version record). Its main dialog, a coloured panel with its name, goes into
// the launcher's view; once ready it posts the status text "<name> ready".
//
// Behaviours a test asks for through the environment it passes on to the launcher and so to us:
// VZD_HOSTED_REFUSE=<name> refuses the first close request (as a program with unsaved changes
// whose user cancels); VZD_HOSTED_CRASH=<name> dies at the close request without a word.
//
// What reached it, for the tests to read from another process: the static 11 holds the keys it was
// given ("65 66 "), the static 12 how often it was hidden while it stood in the view. Alpha also has a
// field (13) that a person can type into.
#include <EmbeddableDialog.h>
#include <HostedApp.h>

#include <kernel/Module.h>
#include <resources/Resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr UINT kNameString = 1;
constexpr UINT kColourString = 2;  // "red,green,blue"
constexpr UINT kPostReady = WM_APP + 1;

std::string ModuleString(UINT id) {
  char text[128] = {};
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return text;
}

bool Asked(const char* variable, const std::string& name) {
  const char* value = std::getenv(variable);
  return value && name == value;
}

class CHostedDlg : public CEmbeddableDialog {
public:
  CHostedDlg() : CEmbeddableDialog(1, nullptr, TRUE) {
    int red = 0, green = 0, blue = 0;
    std::sscanf(ModuleString(kColourString).c_str(), "%d,%d,%d", &red, &green, &blue);
    m_colour = RGB(red, green, blue);
  }
  ~CHostedDlg() override {
    if (m_brush) DeleteObject(m_brush);
  }
  BOOL OnInitDialog() override {
    CEmbeddableDialog::OnInitDialog();
    m_brush = CreateSolidBrush(m_colour);
    PostMessage(kPostReady);
    return TRUE;
  }
  BOOL QueryClose() override {
    if (Asked("VZD_HOSTED_CRASH", m_name)) _exit(9);
    if (m_refuse) {
      m_refuse = false;
      NotifyCloseRefused();
      return FALSE;
    }
    return CEmbeddableDialog::QueryClose();
  }
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
        MapMessage(kPostReady, &CHostedDlg::OnPostReady),
        MapMessage(WM_CTLCOLORDLG, &CHostedDlg::OnColour),
        MapMessage(WM_CTLCOLORSTATIC, &CHostedDlg::OnColour),
        MapMessage(WM_KEYDOWN, &CHostedDlg::OnKey),
        MapMessage(WM_SYSKEYDOWN, &CHostedDlg::OnKey),
        MapMessage(WM_SHOWWINDOW, &CHostedDlg::OnShow),
    }};
    return &map;
  }

private:
  LRESULT OnPostReady(WPARAM, LPARAM) {
    PostStatusToLauncher(m_name + " ready");
    return 0;
  }
  LRESULT OnKey(WPARAM key, LPARAM) {
    m_keys += std::to_string(key) + " ";
    SetDlgItemTextA(m_hWnd, 11, m_keys.c_str());
    return 0;
  }
  LRESULT OnShow(WPARAM shown, LPARAM) {
    if (!shown) SetDlgItemTextA(m_hWnd, 12, std::to_string(++m_hidden).c_str());
    return Default();
  }
  LRESULT OnColour(WPARAM wParam, LPARAM) {
    SetBkColor(reinterpret_cast<HDC>(wParam), m_colour);
    return reinterpret_cast<LRESULT>(m_brush);
  }

  std::string m_name = ModuleString(kNameString);
  COLORREF m_colour = 0;
  HBRUSH m_brush = nullptr;
  bool m_refuse = Asked("VZD_HOSTED_REFUSE", m_name);
  std::string m_keys;
  int m_hidden = 0;
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
