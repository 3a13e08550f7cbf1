#pragma once
// The link engine: the library's one way to the phone. It starts the link service, connects to it
// on loopback TCP and says hello, claims the link, wakes the phone into its PTE command mode, and
// runs the phone's text commands as PTE frames. Everything runs on the caller's thread; only the
// service link's receive thread runs beside it, and the cancel event is set from another thread.
//
// Every operation returns 1 (or true) on success and 0 on failure with the thread's last error:
// ERROR_LINK_DOWN, ERROR_PHONE_NO_REPLY, ERROR_PHONE_BAD_REPLY, ERROR_PA_CANCELLED and the others
// of <handport/PhoneErrors.h>.
#include "ReplyFields.h"
#include "ServiceLink.h"

#include <handport/PhoneRecords.h>

#include <framework/Afx.h>

#include <array>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Where the link service listens.
struct LinkServiceAddress {
  std::string host = "localhost";
  u_short port = 4000;
};

struct CFlashBlock;

// What a chunked transfer reports after each chunk, and the event that stops it there.
struct TransferControl {
  HANDLE cancel = nullptr;
  PA_PROGRESS_CALLBACK progress = nullptr;
  void* user = nullptr;

  void Report(int total, int current) const;
  // Whether the cancel event is set (which takes its signal); when it is, the last error is
  // ERROR_PA_CANCELLED.
  bool Cancelled() const;
};

// What the header of a downloaded multimedia file names.
struct ResourceFileHeader {
  CString name;
  CString title;
  DWORD fileId = 0;
  DWORD folder = 0;
};

// What "ShowLockInfo" reported when the phone is not free to use.
enum LockState : int {
  LOCK_NO_SIM = 0,       // "SIM=NG"
  LOCK_PHONE = 1,        // "PhoneLock=ON"
  LOCK_DAYBOOK = 2,      // "DaybookLock=ON"
  LOCK_UNKNOWN = 3,      // none of the known texts
  LOCK_NOT_REPORTED = -1,  // the query itself failed
};

class CLinkEngine {
 public:
  static constexpr int kTextSize = 8192;  // command and reply texts hold at most kTextSize - 1 bytes
  static constexpr int kDefaultChunkSize = 64;

  explicit CLinkEngine(LinkServiceAddress service = {});
  ~CLinkEngine();
  CLinkEngine(const CLinkEngine&) = delete;
  CLinkEngine& operator=(const CLinkEngine&) = delete;

  // Starts "Linkwell.exe Test"; a missing program is no error (the link service keeps itself to
  // one instance, so every load of the library may ask). The library asks once per load, when the
  // application makes its first manager (StartLinkServiceOnce).
  static void StartLinkService();

  // --- the link ---
  int Connect();
  int ConnectOnce();
  int Hello();
  void Disconnect();
  void SetTimeout(int milliseconds) { m_replyTimeout = milliseconds; }
  int Timeout() const { return m_replyTimeout; }
  bool SendToPhone(const BYTE* bytes, DWORD length);
  // Phone data into `buffer`: what is pending of the current packet, else the next packet within
  // the reply time-out (rounded up to whole 10 ms, plus 10 ms). Returns the bytes delivered; 0 on
  // failure. The cancel event ends the wait as soon as it is set.
  int ReadBytes(BYTE* buffer, int maximum);
  int WakePhone(int replyTimeout);
  int SendFrame(std::string_view text);
  // The text of the next valid reply frame.
  int ReadReply(std::string& reply);
  bool IsLinkOpen() const { return m_linkOpen != 0; }

  // --- the command client ---
  // One command, up to the retry count of attempts, with the late answers to repeated copies
  // drained afterwards; the reply text of the first valid reply.
  int Exchange(std::string_view text, std::string& reply);
  // One attempt: the frame, then one reply.
  int ExchangeOnce(std::string_view text, std::string& reply);
  int UsePteCommand(std::string_view modelCode);
  void SetProgressCallback(PA_PROGRESS_CALLBACK callback, void* user);
  void ReportProgress(int total, int current) const;

  // --- mode, identity and power commands ---
  int BackLightOff();
  int TestModeOn();
  int PowerSavingOff();
  int PowerOff();
  int ForceHWWD();
  int Exit();
  int SetCliConvert();
  int SetFunctionTest();
  int ShowSwVersion(CString& version);
  int ShowProductSerialNum(CString& serial);
  // The phone's identity into `text`, NUL-terminated; fails with ERROR_INSUFFICIENT_BUFFER when it
  // does not fit.
  int ShowIMEI(std::span<char> text);
  // 1 when the SIM is present and no lock is on; else 0 and the state (LOCK_NOT_REPORTED when the
  // query failed, its last error standing).
  int ShowLockInfo(LockState& state);
  // The lock check of the whole-phone sequences: 1, or 0 with ERROR_NO_SIM, ERROR_PHONE_LOCKED,
  // ERROR_DATA_LOCKED or ERROR_PHONE_BAD_REPLY.
  int VerifyLockInfo();
  int ScheduleInit(int& value);
  int GetFileSystemFreeSpace(int& bytes);
  // The number of phonebook records; a phone that answers "ERROR" for it gives `slotCount`.
  int GetPBRecordCount(int slotCount, int& count);

  // --- multimedia folder and file commands ---
  int GetFolderNum(int folder, int& count);
  // Fills number, type, attributes and name of sub-folder `index` of `folder`; folder id = folder.
  int GetFolderName(int folder, int index, PA_FOLDER_INFO& info);
  int GetResourceFileNumWFolder(int type, int folder, int& count);
  // Fills file id, attribute, size, file name and title of file `index` of `folder`; folder id
  // and index are the arguments.
  int GetResourceFileNameWFolder(int type, int folder, int index, PA_RESOURCE_INFO& info);
  int DeleteResourceFileWFolder(int fileId);
  int RenameResourceFileWFolder(int fileId, const CString& name);
  int MoveResourceFileWFolder(int fileId, int folder);
  int DeleteFolderAll(int first, int second);
  // Creates `name` under `parent`: 1 with its type and number; when it exists already, 0 with
  // ERROR_PA_EXISTS and the existing folder's type and number (-1 when it was not found again).
  int CreateFolder(int parent, const CString& name, int& type, int& number);
  int AssignResourceFileWFolder(int type, int folder, int index);

  // --- multimedia file transfers (the file chosen by "AssignResourceFileWFolder" comes down; a
  // new file goes up into a folder), in hex chunks: downloads of the download chunk size, uploads
  // of the size given. Progress and cancel as for the block transfers. ---
  // A download fills `data` (left empty on failure) and `header`: the file's name and title,
  // converted from the phone's UTF-8, its file id and its folder.
  int GetResourceFileWFolder(const TransferControl& control, std::vector<BYTE>& data, ResourceFileHeader& header);
  // An upload gives `fileId` the new file's id. When the folder holds a file of that name already,
  // nothing is sent: 0 with ERROR_PA_EXISTS, and `fileId` is the existing file's id when the
  // phone's listing names it.
  int PutResourceFileWFolder(const TransferControl& control, std::span<const BYTE> data, const CString& name,
                             const CString& title, int folder, int chunkSize, DWORD& fileId);

  // --- message and mail commands ---
  // The message counts text of the reply (see the messages download).
  int UMBInitMsgs(int box, CString& counts);
  int UMBFinishMsgs();
  int UMBDeleteMsgs(int box, int index);
  int CNFPInitialize();
  int CNFStartDataExchange(BYTE mode);
  int CNFPGetMailCnt(std::array<int, 6>& counts);
  int CNFEndDataExchange();

  // --- flash-file block transfers: the file named by the block's numbers, whole; a read fills
  // the block's data, a write sends it. Progress goes to `callback` with the block's length and
  // the bytes still to go after each chunk; the block's cancel event stops a read or a write
  // after the chunk in hand. A failed read leaves the block without data. ---
  int ReadBlock(CFlashBlock& block, PA_PROGRESS_CALLBACK callback, void* user);
  int WriteBlock(const CFlashBlock& block, PA_PROGRESS_CALLBACK callback, void* user);
  int EraseBlock(const CFlashBlock& block);

  // --- message and mail transfers: the bytes of one message of (box 1 to 3, sub-folder, index)
  // or one mail of (kind 0 to 5, number), in hex chunks of the transfer chunk size. A read fills
  // `data` (left empty on failure). Progress and cancel as for the block transfers. ---
  int UMBGetMsgs(int box, int folder, int index, const TransferControl& control, std::vector<BYTE>& data);
  int UMBSetMsgs(int box, int folder, int index, std::span<const BYTE> data, const TransferControl& control);
  int CNFPReadData(int kind, int number, const TransferControl& control, std::vector<BYTE>& data);
  // A mail of no bytes sends nothing and succeeds.
  int CNFPWriteData(int kind, int number, std::span<const BYTE> data, const TransferControl& control);

  // --- settings of the engine ---
  // Where the next Connect goes.
  void SetServiceAddress(LinkServiceAddress service) { m_service = std::move(service); }
  const CString& ModelCode() const { return m_modelCode; }
  void SetModelCode(const CString& code) { m_modelCode = code; }
  int UploadChunkSize() const { return m_chunkSizes[0]; }
  int TransferChunkSize() const { return m_chunkSizes[1]; }
  int DownloadChunkSize() const { return m_chunkSizes[2]; }
  void SetChunkSizes(int upload, int transfer, int download) { m_chunkSizes = {upload, transfer, download}; }
  void SetWakeUpDrainTime(int milliseconds) { m_wakeUpDrainTime = milliseconds; }
  // The event whose signal ends a wait; none until the manager hands its cancel event over.
  void SetCancelEvent(HANDLE event) { m_cancelEvent = event; }
  // Cancels the transfer in progress: sets the cancel event while a connection is open (from
  // Connect to Disconnect), and does nothing otherwise. Each connection starts with the event clear
  // and its end clears it, so a cancel that comes after a transfer ended (the user answered a
  // question while the worker finished) cannot end the next transfer at once. Any thread.
  void CancelTransfer();
  // The model name the link service reported at the hello; empty when none.
  const CString& HelloText() const { return m_helloText; }

 private:
  // The one source that codes frames: the wake-up sequence as four packets.
  bool SendWakeUpSequence();
  bool CancelSignalled() const;
  // Ends a wait that the cancel event stopped: nothing pending, ERROR_PA_CANCELLED, 0.
  int Cancelled();
  void ForgetPending();
  // A command whose only good answer is one fixed text.
  int RunDoneCommand(std::string_view command, std::string_view expected, bool ignoreCase);
  // A command answered "<name>:RET:<value>": at least `minimum` ':'-fields (exactly, when
  // `exact`), the third field handed out; `once` for a single attempt.
  int RunValueCommand(std::string_view command, std::size_t minimum, bool exact, bool once, std::string& value);
  // A multimedia command answered "<name>:RET:<value>" with exactly three fields, whose first
  // is the command's name in any case.
  int RunMediaCommand(std::string_view command, std::string& value);
  int RunMediaSuccessCommand(std::string_view command);
  int FindFolder(int parent, const CString& name, int& type, int& number);
  // The id of the file named `name` in `folder`, from the phone's listing; false when not found.
  bool FindFile(int folder, const CString& name, DWORD& fileId);

  int m_linkOpen = 0;
  // Held while the link opens or closes and while a cancel looks whether it is open, so that a
  // cancel lands either inside a connection or not at all.
  std::mutex m_cancelLock;
  int m_retryCount = 3;
  CString m_modelCode = "00126";
  std::array<int, 3> m_chunkSizes{kDefaultChunkSize, kDefaultChunkSize, kDefaultChunkSize};
  int m_replyTimeout = 5000;
  int m_wakeUpDrainTime = 3000;
  LinkServiceAddress m_service;
  std::unique_ptr<CServiceLink> m_serviceLink;
  PA_PROGRESS_CALLBACK m_progress = nullptr;
  void* m_progressUser = nullptr;
  HANDLE m_cancelEvent = nullptr;
  CString m_helloText;
  // How the last hello failed: no answer came (the service, searching for another program's
  // hello, dropped it), or it was refused (another program owns the link).
  bool m_helloUnanswered = false;
  bool m_helloRefused = false;

  // The reader: the payload of the packet being read, where reading stands in it, and how many of
  // its bytes are still to be read.
  std::unique_ptr<BYTE[]> m_replyBuffer;
  DWORD m_readPosition = 0;
  DWORD m_pending = 0;
};

// The library's one engine, built when the library is loaded.
CLinkEngine& TheLinkEngine();

// Formats a command text the printf way.
std::string CommandText(const char* format, ...) __attribute__((format(printf, 1, 2)));
