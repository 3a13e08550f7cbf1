#pragma once
// The phone setup dialog: the phones of "Phones.ini", detection of the connected phone, and the
// choice written into the settings key that every program of the suite reads ("Phone", "Build",
// "EuropeanSupport").
//
// Threads: the dialog lives on the main thread. The detection thread probes the ports and touches
// nothing of the dialog: it tells its progress and its end by messages posted to the dialog
// (WM_EXIT_THREAD, lParam the string id of the message to show, wParam the row found or -1), and
// the dialog carries them out. "Build" is absent from the registry while the dialog is open and is
// put back when it closes without a choice.
#include "LinkFrame.h"
#include "PhoneList.h"
#include "PhoneListCtrl.h"

#include <SkinButton.h>
#include <framework/Afx.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// The message the detection thread ends with (registered "WM_EXIT_THREAD").
UINT ExitThreadMessage();

class CPhoneSetupDlg : public CDialog {
 public:
  CPhoneSetupDlg(ILinkFrame& frame, std::string phoneListPath = "Phones.ini", CWnd* parent = nullptr);
  ~CPhoneSetupDlg() override;

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // True when a previous choice existed ("Build" was there); takes "Build" out of the registry.
  bool LoadSelection();
  void SaveSelection();
  bool IsDetecting() const { return m_detecting; }
  CPhoneListCtrl& List() { return m_list; }
  // What OK does once the choice is written: start the launcher ("Vezezudara.exe"). A test that
  // drives the dialog in its own process puts something else here.
  void SetLauncherStart(std::function<void()> start) { m_startLauncher = std::move(start); }

  // The software version of the phone on `port` by the setup's PTE probe (families Y, Z, U and C),
  // which switches the phone off when it answered; empty when none answered.
  static std::string ProbeSetupVersion(const std::string& port);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnClose();
  void OnDetect();
  void OnListChanged(NMHDR* header, LRESULT* result);
  LRESULT OnExitThread(WPARAM row, LPARAM stringId);
  void DetectThread();
  void EndDetection();

  ILinkFrame& m_frame;
  std::string m_phoneListPath;
  std::function<void()> m_startLauncher;
  std::string m_keptBuild;
  CPhoneList m_phones;
  CPhoneListCtrl m_list;
  CSkinButton m_ok;
  CSkinButton m_cancel;
  CSkinButton m_detect;
  CFont m_titleFont;
  std::atomic<bool> m_closeRequested{false};
  std::atomic<bool> m_detecting{false};
  std::thread m_detectThread;
  LPCSTR m_cursor = nullptr;  // IDC_ARROW, or IDC_WAIT while detecting
};
