// The phone transfers without windows; see Transfers.h.
#include "Transfers.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

#include <array>
#include <cstring>

namespace daybook {

namespace {

constexpr int kArrowCursor = 32512;
constexpr int kWaitCursor = 32514;

// The total each page's bar was last given, so that the range is set once per total.
std::array<std::atomic<int>, 3> g_lastTotal{};

TransferEvent Event(TransferEvent::Type type, Page page) {
  TransferEvent event;
  event.type = type;
  event.page = page;
  return event;
}

struct ProgressContext {
  ITransferSink* sink;
  Page page;
};

int Progress(int total, int current, void* user) {
  auto* context = static_cast<ProgressContext*>(user);
  std::atomic<int>& last = g_lastTotal[static_cast<int>(context->page)];
  if (last.exchange(total) != total) {
    TransferEvent range = Event(TransferEvent::Type::Range, context->page);
    range.value = total;
    context->sink->OnTransferEvent(std::move(range));
  }
  TransferEvent position = Event(TransferEvent::Type::Position, context->page);
  position.value = current;
  context->sink->OnTransferEvent(std::move(position));
  return 0;
}

// Tells the sink one simple event.
void Tell(ITransferSink& sink, TransferEvent::Type type, Page page, int value = 0, UINT textId = 0,
          bool allPages = false) {
  TransferEvent event = Event(type, page);
  event.allPages = allPages;
  event.value = value;
  event.textId = textId;
  sink.OnTransferEvent(std::move(event));
}

void TellEnd(ITransferSink& sink, Page page, const TransferText& text, bool toMainDialog) {
  TransferEvent event = Event(TransferEvent::Type::Ended, page);
  event.allPages = toMainDialog;
  event.text = text;
  event.toMainDialog = toMainDialog;
  sink.OnTransferEvent(std::move(event));
}

void PowerOff(CManager& manager, ITransferSink& sink, Page page) {
  Tell(sink, TransferEvent::Type::PhoneOff, page);
  manager.PowerOff();
}

void ClosePort(CManager& manager, TransferState& control) {
  control.EndExchange();
  manager.PA_ClosePort();
}

std::vector<PA_RESOURCE_INFO> ResourceList(CManager& manager, short type) {
  // The count is asked right before the list on this thread, so the array fits what is copied.
  short count = 0;
  if (manager.PA_GetNumResourcesList(&count, type) != PA_OK || count <= 0) return {};
  std::vector<PA_RESOURCE_INFO> records(static_cast<std::size_t>(count));
  manager.PA_GetResourceList(static_cast<unsigned short>(type), records.data());
  return records;
}

}  // namespace

bool TransferText::operator==(const TransferText& other) const {
  return first == other.first && second == other.second && std::strcmp(joiner, other.joiner) == 0;
}

Page PageOf(TransferKind kind) {
  switch (kind) {
    case TransferKind::ContactsDownload:
    case TransferKind::ContactsUpload: return Page::Contacts;
    case TransferKind::ScheduleDownload:
    case TransferKind::ScheduleUpload: return Page::Schedule;
    case TransferKind::ToDoDownload:
    case TransferKind::ToDoUpload: return Page::ToDo;
  }
  return Page::Contacts;
}

bool IsDownload(TransferKind kind) {
  return kind == TransferKind::ContactsDownload || kind == TransferKind::ScheduleDownload ||
         kind == TransferKind::ToDoDownload;
}

bool FetchesResourceList(TransferKind kind) {
  return kind == TransferKind::ContactsDownload || kind == TransferKind::ScheduleDownload;
}

bool ShowsDetection(TransferKind kind) { return !FetchesResourceList(kind); }

CString ComposeText(const TransferText& text, CString (*load)(UINT id)) {
  if (text.Empty()) return CString();
  CString result = load(text.first);
  if (text.second != 0) {
    result += text.joiner;
    result += load(text.second);
  }
  return result;
}

DetectionOutcome DetectionFailure(DWORD lastError) {
  switch (lastError - ERROR_PA_CANCELLED) {
    case 0: return {{}, true};
    case 2: return {{kTextDetectionProblem}, false};
    case 3: return {{kTextNotSupported, "\n", kTextSwitchedOff}, true};
    case 4: return {{kTextOtherModel, "\n", kTextSwitchedOff}, true};
    default: return {{kTextCannotConnect}, false};
  }
}

UINT LockText(PA_MS_RESULT lockState) {
  switch (lockState) {
    case PA_MS_NO_SIM: return kTextNoSim;
    case PA_MS_PHONE_LOCKED: return kTextPhoneLock;
    case PA_MS_DAYBOOK_LOCKED: return kTextDaybookLock;
    default: return 0;
  }
}

TransferText LockStopText(UINT lockText) {
  if (lockText == 0) return {kTextComplete};
  return {lockText, "\n\n", kTextSwitchedOff};
}

void TransferState::BeginExchange() {
  std::lock_guard lock(m_lock);
  m_running = true;
}

void TransferState::EndExchange() {
  std::lock_guard lock(m_lock);
  m_running = false;
}

bool TransferState::CancelIfRunning(CManager& manager) {
  // Held while cancelling, so the worker cannot close the port between the test and the cancel.
  std::lock_guard lock(m_lock);
  if (!m_running) return false;
  manager.PA_CancelTransfer();
  return true;
}

bool TransferState::ExchangeRunning() const {
  std::lock_guard lock(m_lock);
  return m_running;
}

CString ChoiceName(const CString& displayName) {
  const int back = displayName.Find('\\');
  return back < 0 ? displayName : displayName.Mid(back + 1);
}

void ChoicesFromResources(const std::vector<PA_RESOURCE_INFO>& pictures, const std::vector<PA_RESOURCE_INFO>& sounds,
                          std::vector<Melody>& pictureChoices, std::vector<Melody>& melodyChoices) {
  pictureChoices.clear();
  melodyChoices.clear();
  for (const PA_RESOURCE_INFO& r : pictures) {
    if (r.strTitle == "keFTGifAnim" || r.strTitle == "keFTQVGAPictureFrame" || r.strTitle == "keFTEAnimator") continue;
    pictureChoices.push_back({ChoiceName(r.strDisplayName), r.dwFileId});
  }
  for (const PA_RESOURCE_INFO& r : sounds) melodyChoices.push_back({ChoiceName(r.strDisplayName), r.dwFileId});
}

int FetchResourceList(CManager& manager, ITransferSink& sink, TransferState& control, bool downloadFollows) {
  using T = TransferEvent::Type;
  constexpr Page any = Page::Contacts;
  UINT lockText = 0;
  Tell(sink, T::Cursor, any, kWaitCursor, 0, true);
  Tell(sink, T::Detecting, any, 1, kTextDetecting, true);

  control.BeginExchange();
  if (manager.TestModeOn() != PA_MS_OK) {
    const DWORD error = GetLastError();
    Tell(sink, T::Detecting, any, 0, 0, true);
    if (control.Closing()) {
      ClosePort(manager, control);
      return 1;
    }
    Tell(sink, T::HideBar, any, 0, 0, true);
    const DetectionOutcome outcome = DetectionFailure(error);
    if (!outcome.text.Empty()) TellEnd(sink, any, outcome.text, true);
    if (outcome.powerOff) PowerOff(manager, sink, any);
    ClosePort(manager, control);
    Tell(sink, T::Cursor, any, kArrowCursor, 0, true);
    return 1;
  }

  lockText = LockText(manager.CheckLockInfo());
  if (lockText == 0) {
    Tell(sink, T::Overlay, any, 0, kTextRetrievingList, true);
    if (manager.PA_DownloadResourceList(1) != PA_MS_OK) {
      Tell(sink, T::Cursor, any, kArrowCursor, 0, true);
      // The list download can fail because the dialog is closing; then no control is touched.
      if (!control.Closing()) TellEnd(sink, any, {kTextCancelled}, true);
      PowerOff(manager, sink, any);
      ClosePort(manager, control);
      Tell(sink, T::Detecting, any, 0, 0, true);
      return 1;
    }
    TransferEvent choices = Event(T::Choices, any);
    choices.allPages = true;
    ChoicesFromResources(ResourceList(manager, 0), ResourceList(manager, 1), choices.pictures, choices.melodies);
    sink.OnTransferEvent(std::move(choices));
  }

  Tell(sink, T::Detecting, any, 0, 0, true);
  if (!downloadFollows) {
    TellEnd(sink, any, LockStopText(lockText), true);
    PowerOff(manager, sink, any);
    ClosePort(manager, control);
  }
  Tell(sink, T::DeselectAll, any, 0, 0, true);
  Tell(sink, T::Cursor, any, kArrowCursor, 0, true);
  return 0;
}

int RunTransferBody(TransferKind kind, CManager& manager, ITransferSink& sink, TransferState& control,
                    bool connected) {
  using T = TransferEvent::Type;
  const Page page = PageOf(kind);
  ProgressContext context{&sink, page};
  manager.SetCallbackFunction(&Progress, &context);
  const auto unhook = [&] { manager.SetCallbackFunction(nullptr, nullptr); };
  Tell(sink, T::Cursor, page, kWaitCursor);

  if (!connected) {
    const bool display = ShowsDetection(kind);
    if (display) Tell(sink, T::Detecting, page, 1, kTextDetecting);
    control.BeginExchange();
    const PA_MS_RESULT detected = manager.TestModeOn();
    const DWORD error = GetLastError();
    if (display) Tell(sink, T::Detecting, page, 0);
    Progress(0, 0, &context);
    if (detected != PA_MS_OK) {
      if (display) Tell(sink, T::HideBar, page);
      const DetectionOutcome outcome = DetectionFailure(error);
      if (!outcome.text.Empty()) TellEnd(sink, page, outcome.text, false);
      if (outcome.powerOff) PowerOff(manager, sink, page);
      ClosePort(manager, control);
      Tell(sink, T::Cursor, page, kArrowCursor);
      unhook();
      return 0;
    }
  } else {
    Progress(0, 0, &context);
  }

  const UINT lockText = LockText(manager.CheckLockInfo());
  bool transferred = false;
  if (lockText == 0) {
    PA_MS_RESULT result = PA_MS_OK;
    switch (kind) {
      case TransferKind::ContactsDownload:
        result = manager.PA_DownloadGroups();
        if (result == PA_MS_OK) {
          for (short g = 1; g <= 19; ++g) {
            PA_GROUP_INFO group;
            if (manager.PA_GetGroup(&group, g) == PA_OK && group.bExists) {
              TransferEvent named = Event(T::GroupName, page);
              named.value = g;
              named.name = group.strName;
              sink.OnTransferEvent(std::move(named));
            }
          }
          result = manager.PA_DownloadPhoneBook(-1);
        }
        break;
      case TransferKind::ContactsUpload:
        result = manager.PA_UploadGroups();
        if (result == PA_MS_OK) result = manager.PA_UploadPhoneBook(-1);
        break;
      case TransferKind::ScheduleDownload: result = manager.PA_DownloadSchedule(-1); break;
      case TransferKind::ScheduleUpload: result = manager.PA_UploadSchedule(-1); break;
      case TransferKind::ToDoDownload: result = manager.PA_DownloadToDo(-1); break;
      case TransferKind::ToDoUpload: result = manager.PA_UploadToDo(-1); break;
    }
    if (result != PA_MS_OK) {
      // Cancelled or failed: the page is not refreshed; the store keeps what the library left.
      PowerOff(manager, sink, page);
      ClosePort(manager, control);
      TellEnd(sink, page, {kTextCancelled}, false);
      Tell(sink, T::Cursor, page, kArrowCursor);
      unhook();
      return 0;
    }
    transferred = true;
  }

  if (ShowsDetection(kind)) Tell(sink, T::HideBar, page);
  PowerOff(manager, sink, page);
  ClosePort(manager, control);
  unhook();
  // The schedule download refills its list only after records moved; the others also after a lock stop.
  if (transferred || kind != TransferKind::ScheduleDownload) Tell(sink, T::Refresh, page);
  TellEnd(sink, page, LockStopText(lockText), false);
  Tell(sink, T::Cursor, page, kArrowCursor);
  return 1;
}

void RunTransferWorker(TransferKind kind, CManager& manager, ITransferSink& sink, TransferState& control) {
  using T = TransferEvent::Type;
  const Page page = PageOf(kind);
  Tell(sink, T::LockControls, page);
  if (FetchesResourceList(kind)) {
    control.downloadRunning = true;
    const int fetched = FetchResourceList(manager, sink, control, true);
    if (control.Closing()) {
      control.downloadRunning = false;
      return;
    }
    if (fetched == 0) {
      RunTransferBody(kind, manager, sink, control, true);
      if (control.Closing()) {
        control.downloadRunning = false;
        return;
      }
    }
    control.downloadRunning = false;
  } else {
    RunTransferBody(kind, manager, sink, control, false);
    if (control.Closing()) return;
  }
  Tell(sink, T::RestoreControls, page);
}

void RunResourceListWorker(CManager& manager, ITransferSink& sink, TransferState& control) {
  using T = TransferEvent::Type;
  Tell(sink, T::LockControls, Page::Contacts, 0, 0, true);
  FetchResourceList(manager, sink, control, false);
  if (control.Closing()) return;
  Tell(sink, T::RestoreControls, Page::Contacts, 0, 0, true);
}

}  // namespace daybook
