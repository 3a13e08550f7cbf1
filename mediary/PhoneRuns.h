#pragma once
// The two phone runs of Mediary, Get (the phone's folder tree into the phone pane) and Transfer
// (queued downloads, uploads, new folders and deletions), without windows. They run on the
// dialog's one worker thread; everything they show goes through IRunView, which the dialog
// implements by posting to its user-interface thread (and which tests record). The phone is
// reached through IMediaryPhone, the manager's calls the runs make.
//
// The pane models are the worker's while a run is busy: the dialog keeps both lists disabled and
// reloads them from the models when the run has ended.
#include "MediaRules.h"
#include "PcPaneModel.h"
#include "PhonePaneModel.h"
#include "TransferRules.h"

#include <handport/Manager.h>

#include <atomic>
#include <string>
#include <vector>

class IMediaryPhone {
 public:
  virtual ~IMediaryPhone() = default;
  virtual void SetCallbackFunction(PA_PROGRESS_CALLBACK callback, void* user) = 0;
  virtual PA_MS_RESULT TestModeOn() = 0;
  virtual DWORD LastError() = 0;  // the thread's last error after a failed TestModeOn
  virtual void PowerOff() = 0;
  virtual PA_MS_RESULT PA_ClosePort() = 0;
  virtual void PA_CancelTransfer() = 0;
  virtual PA_MS_RESULT CheckLockInfo() = 0;
  virtual PA_MS_RESULT PA_GetFileSystemFreeSpace(int* bytes) = 0;
  virtual PA_MS_RESULT PA_GetNumMainFolders(short* count) = 0;
  virtual PA_MS_RESULT PA_GetMainFolder(PA_FOLDER_INFO* folder, short index) = 0;
  virtual PA_MS_RESULT PA_GetNumSubfolders(short* count, short folder) = 0;
  virtual PA_MS_RESULT PA_GetFolderInfo(PA_FOLDER_INFO* info, short folder, short index) = 0;
  virtual PA_MS_RESULT PA_GetNumResources(short* count, short folder, unsigned char option) = 0;
  virtual PA_MS_RESULT PA_GetResourceInfo(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option) = 0;
  virtual PA_MS_RESULT PA_DownloadResource(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option) = 0;
  virtual void DeleteDataArray(unsigned char* data) = 0;
  virtual PA_MS_RESULT PA_UploadResource(PA_RESOURCE_INFO* record) = 0;
  virtual PA_MS_RESULT PA_CreateFolder(PA_FOLDER_INFO* folder) = 0;
  virtual PA_MS_RESULT PA_RemoveMSResource(short fileId) = 0;
  virtual PA_MS_RESULT PA_RemoveMSFolder(short first, short second) = 0;
};

// The process's manager behind the seam.
class CManagerMediaryPhone : public IMediaryPhone {
 public:
  explicit CManagerMediaryPhone(CManager& manager) : m(manager) {}
  void SetCallbackFunction(PA_PROGRESS_CALLBACK callback, void* user) override { m.SetCallbackFunction(callback, user); }
  PA_MS_RESULT TestModeOn() override { return m.TestModeOn(); }
  DWORD LastError() override { return GetLastError(); }
  void PowerOff() override { m.PowerOff(); }
  PA_MS_RESULT PA_ClosePort() override { return m.PA_ClosePort(); }
  void PA_CancelTransfer() override { m.PA_CancelTransfer(); }
  PA_MS_RESULT CheckLockInfo() override { return m.CheckLockInfo(); }
  PA_MS_RESULT PA_GetFileSystemFreeSpace(int* bytes) override { return m.PA_GetFileSystemFreeSpace(bytes); }
  PA_MS_RESULT PA_GetNumMainFolders(short* count) override { return m.PA_GetNumMainFolders(count); }
  PA_MS_RESULT PA_GetMainFolder(PA_FOLDER_INFO* folder, short index) override { return m.PA_GetMainFolder(folder, index); }
  PA_MS_RESULT PA_GetNumSubfolders(short* count, short folder) override { return m.PA_GetNumSubfolders(count, folder); }
  PA_MS_RESULT PA_GetFolderInfo(PA_FOLDER_INFO* info, short folder, short index) override {
    return m.PA_GetFolderInfo(info, folder, index);
  }
  PA_MS_RESULT PA_GetNumResources(short* count, short folder, unsigned char option) override {
    return m.PA_GetNumResources(count, folder, option);
  }
  PA_MS_RESULT PA_GetResourceInfo(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option) override {
    return m.PA_GetResourceInfo(record, folder, index, option);
  }
  PA_MS_RESULT PA_DownloadResource(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option) override {
    return m.PA_DownloadResource(record, folder, index, option);
  }
  void DeleteDataArray(unsigned char* data) override { m.DeleteDataArray(data); }
  PA_MS_RESULT PA_UploadResource(PA_RESOURCE_INFO* record) override { return m.PA_UploadResource(record); }
  PA_MS_RESULT PA_CreateFolder(PA_FOLDER_INFO* folder) override { return m.PA_CreateFolder(folder); }
  PA_MS_RESULT PA_RemoveMSResource(short fileId) override { return m.PA_RemoveMSResource(fileId); }
  PA_MS_RESULT PA_RemoveMSFolder(short first, short second) override { return m.PA_RemoveMSFolder(first, second); }

 private:
  CManager& m;
};

// What a run shows. Every call comes from the worker thread; the dialog turns each into a message
// to its own thread (and waits for the answer of Ask).
class IRunView {
 public:
  virtual ~IRunView() = default;
  // The bar's overlay text ("" clears it); `mode` is the overlay mode.
  virtual void Overlay(const std::string& text, unsigned mode) = 0;
  // The same with a text of the string table.
  virtual void OverlayId(int textId, unsigned mode) = 0;
  // Detection: on starts timer 501 (marquee style, wait cursor), off stops it.
  virtual void Detecting(bool on) = 0;
  virtual void Progress(std::uint32_t range, std::uint32_t position, bool rangeChanged) = 0;
  virtual void Counter(const std::string& text) = 0;
  // A message box of the texts `ids` joined by a line break, caption 1001; returns the button.
  virtual int Ask(const std::vector<int>& ids, unsigned type) = 0;
  // The launcher's status line.
  virtual void Status(int freeBytes) = 0;
  // The PC pane's queued downloads were dropped or the folder changed: reload the PC list.
  virtual void ReloadPc() = 0;
  // The pause before a retry (2000 ms in the program).
  virtual void Pause() = 0;
};

class CPhoneRuns {
 public:
  CPhoneRuns(IMediaryPhone& phone, IRunView& view, CPhonePaneModel& phonePane, CPcPaneModel& pcPane,
             const CMediaRules& rules)
      : m_phone(phone), m_view(view), m_phonePane(phonePane), m_pcPane(pcPane), m_rules(rules) {}

  // The model's special folder id (11, or 12/13 by the variant).
  void SetSpecialFolderId(std::uint32_t id) { m_specialFolder = id; }

  // Get: 1 after a failed detection or when closing, else 0.
  int ListSession();
  // Transfer; `total` is what CountQueued found. 1 after a failed detection, else 0.
  int TransferSession(int total);
  // The queued work (downloads whose phone file is known, uploads, new folders, deletions).
  int CountQueued();

  // From the user-interface thread. Cancel asks the phone call under way to end; it does nothing
  // once the phone exchange is over, so a late Yes cancels nothing else.
  void Cancel();
  // The dialog closes: the run ends quietly at its next phone wait.
  void SetClosing() { m_closing = true; Cancel(); }
  bool IsClosing() const { return m_closing; }
  bool InExchange() const { return m_inExchange; }

  // The last free space read (-1 before).
  int FreeSpace() const { return m_freeSpace; }

 private:
  static int ProgressCallback(int total, int current, void* user);
  // Detection with its failure table; true when connected.
  bool Detect();
  int Ask(const std::vector<int>& ids, unsigned type);
  void ClosePort();
  int EnumPhoneFolder(RecordTable& table, std::uint32_t folderId, CFolderTrail& trail);
  int DownloadQueued(bool run);
  int UploadQueued(RecordTable& table, std::uint32_t folderId, bool run);
  int Reconnect();
  void CounterStep(const std::string& name, int delta);
  int MainFolderId(int index) const;

  IMediaryPhone& m_phone;
  IRunView& m_view;
  CPhonePaneModel& m_phonePane;
  CPcPaneModel& m_pcPane;
  const CMediaRules& m_rules;
  std::uint32_t m_specialFolder = 11;
  std::atomic<bool> m_closing{false};
  std::atomic<bool> m_inExchange{false};
  ProgressScale m_scale;
  int m_done = 0;
  int m_total = 0;
  int m_freeSpace = -1;
  std::vector<int> m_mainIds;
};
