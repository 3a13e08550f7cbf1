#pragma once
// The backup run: the checked kinds of the phone's data, read through the phone-access library,
// into one new backup file. It runs on a worker thread of its own; everything it shows goes through
// IRunReport, which the dialog implements by handing it to its user-interface thread.
//
// The file is written through the archive's staged writer: it appears under its name only when the
// run completes, so a failed or cancelled run leaves no partial file and an earlier file of that
// name as it was.
#include "BackupArchive.h"
#include "BackupModel.h"
#include "BackupPhone.h"

#include <atomic>
#include <utility>
#include <vector>

// What a run shows. Called on the run's thread.
class IRunReport {
 public:
  virtual ~IRunReport() = default;
  // A log line (kind 0 step, 1 file, 2 headline).
  virtual void Log(const CString& text, int kind) = 0;
  // The progress bar's text.
  virtual void Overlay(const CString& text) = 0;
  // The progress bar's busy mode: on starts its timer, off stops it (the window's thread does both).
  virtual void Busy(bool on) = 0;
  // The progress bar's range (0 to `maximum`) and position.
  virtual void Progress(int maximum, int position) = 0;
  // A restore changes the phone's media: a running multimedia manager is told ("CHANGE_RESOURCES").
  virtual void MediaChanged() {}
};

// The end of a run: whether the end message goes out, and its text.
struct RunOutcome {
  bool endMessage = false;
  CString endText;
  bool fileWritten = false;  // a backup file is in place (the kinds can be shown)
  bool skippedFiles = false;
};

// The progress state of one run: totals above 32768 are shifted right by 7 bits, and further while
// the shifted total would not fit the bar's 16-bit range.
class CTransferProgress {
 public:
  explicit CTransferProgress(IRunReport& report) : m_report(report) {}
  void Update(int total, int current);
  void Reset() { Update(0, 0); }
  static int ShiftFor(int total);
  static int Callback(int total, int current, void* user);

 private:
  IRunReport& m_report;
  int m_lastTotal = 0;
  int m_shift = 0;
  int m_maximum = 0;
};

// What the dialog's columns chose for a run.
struct RunChoice {
  DWORD kinds = 0;  // backup: the header's kind bits; restore: the checked restore rows' bits
  BackupVariant variant;
};

class CBackupRun {
 public:
  CBackupRun(IBackupPhone& phone, IRunReport& report)
      : m_phone(phone), m_media(phone.Media()), m_report(report), m_progress(report) {}
  // The library keeps no pointer to the run's progress after the run.
  ~CBackupRun() { m_media.SetCallbackFunction(nullptr, nullptr); }
  CBackupRun(const CBackupRun&) = delete;
  CBackupRun& operator=(const CBackupRun&) = delete;

  RunOutcome Run(const CString& path, const RunChoice& choice);

  // While this is true a cancel may reach the phone exchange (PA_CancelTransfer).
  bool Exchanging() const { return m_exchanging; }

  // The identity as the header keeps it: every "0x" removed (again until none is left), then every
  // ',', cut to 19 characters.
  static CString CleanIdentity(const char* text);

 private:
  bool WriteDataRecords(CBackupArchive& archive, const RunChoice& choice);
  // 0 done; else the failing result (a write failure counts as PA_MS_FAILED).
  PA_MS_RESULT SaveMediaFolder(CBackupArchive& archive, short folder, DWORD kind, int depth);
  void StepLine(UINT textId, UINT nameId);
  void Completed();
  // A run that stops part way: the file is discarded and the end text says why.
  RunOutcome Fail(CBackupArchive& archive, PA_MS_RESULT result);
  RunOutcome WriteFailed(CBackupArchive& archive);
  RunOutcome DetectionFailed();

  IBackupPhone& m_phone;
  IMediaryPhone& m_media;
  IRunReport& m_report;
  CTransferProgress m_progress;
  std::atomic<bool> m_exchanging{false};
  bool m_skipped = false;
  bool m_writeFailed = false;
};

// The restore run: a backup file back onto the phone, for the kinds checked in the restore column.
// The whole file is read and checked before anything on the phone or in the library's stores
// changes; a file that fails changes nothing.
class CRestoreRun {
 public:
  CRestoreRun(IBackupPhone& phone, IRunReport& report)
      : m_phone(phone), m_media(phone.Media()), m_report(report), m_progress(report) {}
  ~CRestoreRun() { m_media.SetCallbackFunction(nullptr, nullptr); }
  CRestoreRun(const CRestoreRun&) = delete;
  CRestoreRun& operator=(const CRestoreRun&) = delete;

  RunOutcome Run(const CString& path, const RunChoice& choice);
  bool Exchanging() const { return m_exchanging; }

  // Pairs {old id, new id} in the order folders were created and files uploaded; an id is replaced
  // by the new id of the first pair whose old id equals it.
  using IdMap = std::vector<std::pair<DWORD, DWORD>>;
  static DWORD Remap(const IdMap& map, DWORD id);

  // Deletes the content of one phone folder, sub-folders emptied before they go: 1 done, 0 failed
  // or cancelled.
  int ClearPhoneFolder(short folder, int depth = 0);

 private:
  // PA_MS_OK, or the result of the failed upload or folder creation (PA_MS_FAILED for a record
  // that cannot be decoded).
  PA_MS_RESULT RecordLoop(CBackupArchive& archive, DWORD kinds);
  RunOutcome Fail(PA_MS_RESULT result);
  void StepLine(UINT textId, UINT nameId);
  void Completed();

  IBackupPhone& m_phone;
  IMediaryPhone& m_media;
  IRunReport& m_report;
  CTransferProgress m_progress;
  std::atomic<bool> m_exchanging{false};
  IdMap m_folderIds;
  IdMap m_fileIds;
  int m_refused = 0;
};

// The end texts for a failed phone detection (TestModeOn), by the thread's last error; empty for a
// cancel, which only logs.
CString DetectionFailureText(DWORD lastError);
// The end text of a run that stopped part way, by the failed call's result and the thread's last
// error: "Transfer canceled" only for a cancel; a backup file that could not be written says so;
// any other failure is the phone's.
CString StoppedRunText(PA_MS_RESULT result, DWORD lastError, bool fileFailed);
