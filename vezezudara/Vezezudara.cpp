// The launcher's start: settings, status record, single instance, the frame, its size and title.
//
// The window text of the frame stays exactly string 129, so that a second instance finds it; the
// phone's name is only painted in the caption ("<string 129> - <phone>").
#include "Vezezudara.h"

#include "MainFrame.h"
#include "VezezudaraDoc.h"
#include "VezezudaraView.h"
#include "resource.h"

#include <StringLoader.h>
#include <LauncherProtocol.h>
#include <SharedMemory.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>
#include <kernel/Module.h>
#include <registry/WinReg.h>
#include <resources/Resource.h>

#include <cstring>
#include <string>

namespace {

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr char kInstanceMutex[] = "VezezudaraApp";
constexpr COLORREF kDialogBackground = 0xFDEAE1;

// Texts through the suite's string loader (bound to "Vezezudara" by the program), so they follow
// the chosen language; the program's own string table answers what the loader cannot.
CString ModuleString(UINT id) { return GetText(id); }

bool ReadSetting(HKEY key, LPCSTR name, std::string& value) {
  char buffer[256] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size) != ERROR_SUCCESS) {
    return false;
  }
  value.assign(buffer, strnlen(buffer, size));
  return true;
}

}  // namespace

HWND FindLauncherWindow() { return FindWindowA(CMainFrame::kClassName, ModuleString(IDS_TITLE)); }

CVezezudaraApp::CVezezudaraApp() : CWinApp("Vezezudara"), m_record(std::make_unique<CSharedMemory>()) {}

CVezezudaraApp::~CVezezudaraApp() = default;

BOOL CVezezudaraApp::InitInstance() {
  HKEY settings = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &settings) != ERROR_SUCCESS) return FALSE;
  std::string build, phone;
  const bool configured = ReadSetting(settings, "Build", build);
  ReadSetting(settings, "Phone", phone);
  RegCloseKey(settings);
  if (!configured) return FALSE;  // the link service's setup has not run

  m_record->SetName(kStatusRecordName);
  m_record->Open(kStatusRecordSize);

  m_instanceMutex = CreateMutexA(nullptr, FALSE, kInstanceMutex);
  if (!m_instanceMutex) return FALSE;
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_INVALID_HANDLE) {
    HandOver();
    return FALSE;
  }

  auto docTemplate = std::make_unique<CSingleDocTemplate>(IDR_MAINFRAME, RUNTIME_CLASS(CVezezudaraDoc),
                                                          RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CVezezudaraView));
  AddDocTemplate(std::move(docTemplate));
  // The frame reaches the record before it starts programs (it may be started with "App=").
  OnFileNew();
  auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
  if (!frame) return FALSE;
  frame->SetStatusRecord(m_record.get());

  frame->SetWindowText(ModuleString(IDS_TITLE));
  CString title = ModuleString(IDS_TITLE);
  if (!phone.empty()) title += (" - " + phone).c_str();
  frame->SetCaptionTitle(title);
  frame->ShowWindow(SW_SHOW);
  frame->UpdateWindow();
  frame->SetWindowPos(nullptr, 0, 0, 801, 580, SWP_NOMOVE | SWP_NOZORDER);
  SetDialogBkColor(kDialogBackground, RGB(0, 0, 0));
  return TRUE;
}

void CVezezudaraApp::HandOver() {
  // Everything after the program's name, as much as the record holds.
  HWND first = FindLauncherWindow();
  m_record->WriteText(m_lpCmdLine ? m_lpCmdLine : "");
  if (first) ::PostMessageA(first, WM_INSTANCE_COMMAND, 0, 0);
  CloseHandle(m_instanceMutex);
  m_instanceMutex = nullptr;
}

int CVezezudaraApp::ExitInstance() {
  if (m_instanceMutex) CloseHandle(m_instanceMutex);
  m_instanceMutex = nullptr;
  return CWinApp::ExitInstance();
}
