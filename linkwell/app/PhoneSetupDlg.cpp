#include "PhoneSetupDlg.h"

#include "LinkSettings.h"
#include "PhoneModels.h"
#include "PhoneProbe.h"
#include "ProcessTools.h"
#include "PteChannel.h"
#include "SerialPortDiscovery.h"
#include "resource.h"
#include "LinkMessageBox.h"

#include <controls/Controls.h>
#include <utility>
#include <resources/Resource.h>
#include <StringLoader.h>

namespace {

constexpr DWORD kSetupProbeBaud = 115200;
constexpr DWORD kSetupProbeWait = 100;
constexpr int kSetupProbeRows = 4;  // Y, Z, U and C: the M family is not set up here
constexpr COLORREF kTitleColour = RGB(0x08, 0x2A, 0x82);

}  // namespace

UINT ExitThreadMessage() {
  static const UINT message = RegisterWindowMessageA("WM_EXIT_THREAD");
  return message;
}

CPhoneSetupDlg::CPhoneSetupDlg(ILinkFrame& frame, std::string phoneListPath, CWnd* parent)
    : CDialog(IDD_PHONE_SETUP, parent),
      m_frame(frame),
      m_phoneListPath(std::move(phoneListPath)),
      m_startLauncher([] { StartProcess(kLauncherProgram); }) {
  m_cursor = IDC_ARROW;
}

CPhoneSetupDlg::~CPhoneSetupDlg() {
  m_closeRequested = true;
  if (m_detectThread.joinable()) m_detectThread.join();
}

const AFX_MSGMAP* CPhoneSetupDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CDialog::GetMessageMap(), {
      MapCommand(IDC_AUTODETECT, &CPhoneSetupDlg::OnDetect),
      MapMessage(WM_CLOSE, &CPhoneSetupDlg::OnClose),
      MapNotify(LVN_ITEMCHANGED, IDC_PHONE_LIST, &CPhoneSetupDlg::OnListChanged),
  }};
  return &map;
}

BOOL CPhoneSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (auto [button, id] : {std::pair{&m_ok, IDOK}, std::pair{&m_cancel, IDCANCEL}, std::pair{&m_detect, IDC_AUTODETECT}}) {
    button->SubclassDlgItem(static_cast<UINT>(id), this);
    button->SetDefaultLook();
  }
  SetWindowText(GetText(IDS_PHONE_SELECTION));
  ::SetDlgItemTextA(m_hWnd, IDOK, GetText(IDS_OK));
  ::SetDlgItemTextA(m_hWnd, IDCANCEL, GetText(IDS_CANCEL));
  ::SetDlgItemTextA(m_hWnd, IDC_AUTODETECT, GetText(IDS_AUTODETECT));
  ::SetDlgItemTextA(m_hWnd, IDC_CHOOSE_TEXT, GetText(IDS_CHOOSE_PHONE));
  m_titleFont.CreateFont(16, 0, 0, 0, FW_BOLD, FALSE, FALSE, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Verdana");
  ::SendDlgItemMessageA(m_hWnd, IDC_CHOOSE_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.m_hObject), TRUE);

  if (!m_phones.Read(m_phoneListPath.c_str())) {
    EndDialog(IDCANCEL);
    return TRUE;
  }
  m_list.SubclassDlgItem(IDC_PHONE_LIST, this);
  m_list.Setup(14);
  m_list.SetRows(m_phones.Names(), m_phones.Builds());
  const bool hadChoice = LoadSelection();
  ::EnableWindow(::GetDlgItem(m_hWnd, IDCANCEL), hadChoice);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), m_list.Selected() >= 0);
  return TRUE;
}

bool CPhoneSetupDlg::LoadSelection() {
  CSettingsKey settings;
  m_keptBuild = settings.ReadText("Build").value_or("");
  settings.DeleteValue("Build");
  const std::string phone = settings.ReadText("Phone").value_or("");
  // An empty phone or build is contained in every text: it chooses no row. Every matching row is
  // selected in turn; the list holds one selection, so the last match is the one shown.
  if (!phone.empty() && !m_keptBuild.empty()) {
    for (int row = 0; row < m_list.RowCount(); ++row) {
      if (m_list.RowText(row, 0).find(phone) != std::string::npos &&
          m_list.RowText(row, 1).find(m_keptBuild) != std::string::npos) {
        m_list.Select(row);
      }
    }
  }
  return !m_keptBuild.empty();
}

void CPhoneSetupDlg::SaveSelection() {
  const int row = m_list.Selected();
  if (row < 0) return;
  const std::string phone = m_list.RowText(row, 0);
  const std::string build = m_list.RowText(row, 1);
  CSettingsKey settings;
  settings.WriteText("Phone", phone);
  settings.WriteText("Build", build);
  settings.WriteDword("EuropeanSupport", EuropeanSupportFor(build, phone));
}

void CPhoneSetupDlg::OnOK() {
  if (m_detecting || m_list.Selected() < 0) return;
  SaveSelection();
  m_keptBuild.clear();
  EndDialog(IDOK);
  if (m_startLauncher) m_startLauncher();
}

void CPhoneSetupDlg::OnCancel() { OnClose(); }

void CPhoneSetupDlg::OnClose() {
  if (m_detecting) {
    m_closeRequested = true;  // the thread stops after the port it probes; the user closes again
    return;
  }
  if (!m_keptBuild.empty()) CSettingsKey().WriteText("Build", m_keptBuild);
  EndDialog(IDCANCEL);
}

void CPhoneSetupDlg::OnListChanged(NMHDR* header, LRESULT* result) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  *result = 0;
  if (!(change->uChanged & LVIF_STATE)) return;
  const bool selected = (change->uNewState & LVIS_SELECTED) != 0;
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), selected);
  HBITMAP picture = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_PHONE));
  HANDLE old = reinterpret_cast<HANDLE>(
      ::SendDlgItemMessageA(m_hWnd, IDC_PHONE_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
  if (old && old != picture) DeleteObject(old);
}

void CPhoneSetupDlg::OnDetect() {
  if (m_detecting) return;
  if (m_detectThread.joinable()) m_detectThread.join();
  m_closeRequested = false;
  m_cursor = IDC_WAIT;
  SetCursor(LoadCursorA(nullptr, m_cursor));
  m_frame.StartAnimation(TrayAnimation::Search);
  m_list.Select(-1);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_AUTODETECT), FALSE);
  m_detecting = true;
  m_detectThread = std::thread([this] { DetectThread(); });
}

std::string CPhoneSetupDlg::ProbeSetupVersion(const std::string& port) {
  for (int row = 0; row < kSetupProbeRows; ++row) {
    const char* code = PteProbeTable()[static_cast<std::size_t>(row)].modelCode;
    char version[64] = {};
    CPteChannel channel;
    bool answered = false;
    if (channel.EnterPteMode(port.c_str(), kSetupProbeWait, kSetupProbeBaud)) {
      if (channel.UsePteCommand(code)) {
        answered = channel.ShowSwVersion(version, sizeof version);
      } else {
        // A phone that was not awake yet takes the second wake-up.
        channel.Close();
        answered = channel.EnterPteMode(port.c_str(), kSetupProbeWait, kSetupProbeBaud) &&
                   channel.UsePteCommand(code) && channel.ShowSwVersion(version, sizeof version);
      }
    }
    if (answered && version[0]) {
      channel.PowerOff();
      return version;
    }
  }
  return {};
}

void CPhoneSetupDlg::DetectThread() {
  PortList ports;
  DiscoverSerialPorts(ports);
  int found = -1;
  UINT message = IDS_NO_PHONE;
  bool stopped = m_closeRequested;
  for (const PortRow& port : ports) {
    if (stopped) break;
    std::string model;
    if (ProbePhoneAT(port.probePort, model) != PHONE_TYPE_NONE) {
      const std::string version = ProbeSetupVersion(port.reportPort);
      if (!version.empty()) {
        found = m_phones.FindBuildRow(model, version);
        message = found >= 0 ? IDS_SWITCHED_OFF : IDS_NOT_SUPPORTED;
        break;
      }
    }
    stopped = m_closeRequested;
  }
  // A stop on request shows nothing: the user asked to close.
  ::PostMessageA(m_hWnd, ExitThreadMessage(), static_cast<WPARAM>(found), stopped ? 0 : message);
}

void CPhoneSetupDlg::EndDetection() {
  if (m_detectThread.joinable()) m_detectThread.join();
  m_detecting = false;
  m_frame.StopAnimation();
  m_frame.ShowStatus(IDI_NO_PHONE, m_frame.LoadText(IDS_NO_PHONE_CONNECTED));
  m_cursor = IDC_ARROW;
  SetCursor(LoadCursorA(nullptr, m_cursor));
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_AUTODETECT), TRUE);
}

LRESULT CPhoneSetupDlg::OnExitThread(WPARAM row, LPARAM stringId) {
  EndDetection();
  const int found = static_cast<int>(row);
  if (found >= 0) m_list.Select(found);
  if (stringId == 0) return 0;
  ShowLinkMessage(static_cast<LPCSTR>(GetText(static_cast<UINT>(stringId))), static_cast<LPCSTR>(GetText(IDS_LINKWELL)),
                  MB_ICONINFORMATION);
  if (stringId == IDS_SWITCHED_OFF) PostMessage(WM_COMMAND, IDOK, 0);
  return 0;
}

LRESULT CPhoneSetupDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ExitThreadMessage()) return OnExitThread(wParam, lParam);
  if (message == WM_SETCURSOR && m_cursor != IDC_ARROW) {
    SetCursor(LoadCursorA(nullptr, m_cursor));
    return TRUE;
  }
  if (message == WM_CTLCOLORSTATIC && ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_CHOOSE_TEXT) {
    const LRESULT brush = CDialog::WindowProc(message, wParam, lParam);
    SetTextColor(reinterpret_cast<HDC>(wParam), kTitleColour);
    return brush;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
