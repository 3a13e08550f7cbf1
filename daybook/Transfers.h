#pragma once
// The phone transfers of Daybook without windows: the resource-list fetch and the six workers
// (contacts, schedule and to-do, each down and up) as one family. A worker runs these on its own
// thread against the process's CManager and tells what the windows should show as a sequence of
// TransferEvents; the windows apply them on their own thread. Texts travel as string ids so that
// the rules can be tested without the program's resources.
#include "CalendarModels.h"
#include "MainDialogRules.h"

#include <handport/Manager.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace daybook {

enum class TransferKind { ContactsDownload, ContactsUpload, ScheduleDownload, ScheduleUpload, ToDoDownload, ToDoUpload };

Page PageOf(TransferKind kind);
bool IsDownload(TransferKind kind);
// The contacts and schedule downloads fetch the phone's resource list first, on the same connection.
bool FetchesResourceList(TransferKind kind);
// The members that detect the phone themselves show "Detecting phone..." while they do.
bool ShowsDetection(TransferKind kind);

// Texts of the transfers.
constexpr UINT kTextCancelButton = 315;
constexpr UINT kTextRetrievingList = 393;
constexpr UINT kTextWait = 400;
constexpr UINT kTextNoSim = 412;
constexpr UINT kTextDaybookLock = 413;
constexpr UINT kTextPhoneLock = 414;
constexpr UINT kTextComplete = 415;
constexpr UINT kTextCancelQuestion = 418;
constexpr UINT kTextSwitchedOff = 419;
constexpr UINT kTextCannotConnect = 420;
constexpr UINT kTextCancelled = 421;
constexpr UINT kTextDetectionProblem = 422;
constexpr UINT kTextDetecting = 424;
constexpr UINT kTextNotSupported = 425;
constexpr UINT kTextOtherModel = 475;

// A message for the user: `first`, then `joiner` and `second` when second is not 0. An empty
// message (first 0) shows nothing.
struct TransferText {
  UINT first = 0;
  const char* joiner = "";
  UINT second = 0;
  bool Empty() const { return first == 0; }
  bool operator==(const TransferText& other) const;
};
CString ComposeText(const TransferText& text, CString (*load)(UINT id));

// What detection failures and lock results become.
struct DetectionOutcome {
  TransferText text;  // empty: no message (a cancel)
  bool powerOff = false;
};
DetectionOutcome DetectionFailure(DWORD lastError);
// 0 for a lock state that lets the transfer go on (0 and 11), else the lock text.
UINT LockText(PA_MS_RESULT lockState);
TransferText LockStopText(UINT lockText);

// What the windows are told. Each event names the page it is for; the fetch speaks to all three.
struct TransferEvent {
  enum class Type {
    LockControls,       // bar at 0 and shown, cancel button "&cancel" shown, buttons hidden, lists disabled
    RestoreControls,    // the reverse: buttons shown, lists enabled, bar and cancel button hidden
    HideBar,            // bar and cancel button hidden (a detecting body before it ends)
    Detecting,          // overlay `textId`, 0..100, moving display on, timer 1000 started (value 1) or all off (0)
    Overlay,            // overlay text `textId` on the bar
    Range,              // range 0..value
    Position,           // position value
    Cursor,             // value 32514 or 32512
    GroupName,          // group `value` is named `name` (row value + 1 of the group list)
    Choices,            // the fetch's pictures and melodies are ready (`pictures`, `melodies`)
    DeselectAll,        // the contact and schedule lists lose their selection, the forms refresh
    Refresh,            // the page refills its list from the store
    Ended,              // the end message (posted before the phone is switched off)
    PhoneOff,           // the phone is being switched off (no window change; the order is observable)
  };
  Type type{};
  Page page = Page::Contacts;
  bool allPages = false;  // the fetch's display changes reach the three pages
  int value = 0;
  UINT textId = 0;
  TransferText text;      // Ended
  bool toMainDialog = false;  // Ended: the fetch's message goes to the main dialog
  CString name;
  std::vector<Melody> pictures, melodies;
};

// Receives the events, on the worker's thread; the windows' side queues them for the UI thread.
class ITransferSink {
 public:
  virtual ~ITransferSink() = default;
  virtual void OnTransferEvent(TransferEvent event) = 0;
};

// What the worker and the UI thread share about one page's transfer: the main dialog's closing
// flag and the cancel. A Yes to the cancel question cancels only while the phone exchange still
// runs; once the worker has closed the port, a late Yes cancels nothing (the next connection would
// otherwise start cancelled).
class TransferState {
 public:
  void BeginExchange();
  void EndExchange();
  // Calls PA_CancelTransfer when the exchange is running; true when it did.
  bool CancelIfRunning(CManager& manager);
  bool ExchangeRunning() const;

  std::atomic<bool>* closing = nullptr;  // the main dialog's m_bClosing
  bool Closing() const { return closing && closing->load(); }
  // The contacts and schedule downloads set it while they run; the fetch reads it.
  std::atomic<bool> downloadRunning{false};

 private:
  mutable std::mutex m_lock;
  bool m_running = false;
};

// The pictures and melodies the pages offer from the fetched lists: pictures of the three animated
// or framed kinds are left out; the choice name drops everything up to the first "\".
void ChoicesFromResources(const std::vector<PA_RESOURCE_INFO>& pictures, const std::vector<PA_RESOURCE_INFO>& sounds,
                          std::vector<Melody>& pictureChoices, std::vector<Melody>& melodyChoices);
CString ChoiceName(const CString& displayName);

// The resource-list fetch on an open or new connection. `downloadFollows`: a page download runs it
// and goes on with the same connection, so the phone stays in command mode and no outcome message
// is posted. 0: the lists were read (or the lock refused a plain fetch); 1: the phone could not be
// reached or the list download failed, the link is closed.
int FetchResourceList(CManager& manager, ITransferSink& sink, TransferState& control, bool downloadFollows);

// The transfer body of one member on the worker thread. `connected`: the fetch left the link open.
// 1 when the transfer part was reached and ended normally (a lock stop included), 0 on every early end.
int RunTransferBody(TransferKind kind, CManager& manager, ITransferSink& sink, TransferState& control,
                    bool connected);

// The whole worker of one member: controls locked, the fetch where the member has one, the body,
// controls restored; nothing is told to the windows after the main dialog started closing.
void RunTransferWorker(TransferKind kind, CManager& manager, ITransferSink& sink, TransferState& control);

// The Get Resource List command's worker: the three pages locked, a plain fetch, the pages restored.
void RunResourceListWorker(CManager& manager, ITransferSink& sink, TransferState& control);

}  // namespace daybook
