// The embeddable dialog: creation inside another process's window, the own modal loop, the
// launcher's notifications and the status record; and the small template editor that swaps a
// dialog's font for large system fonts.
#include "EmbeddableDialog.h"

#include "HostedApp.h"

#include <base/CodePage.h>
#include <kernel/Format.h>
#include <resources/Resource.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CEmbeddableDialog, CDialog)

namespace {

// The launcher's main window, null when the program was not started by it.
HWND LauncherMainWindow() {
  CHostedApp* app = AfxGetHostedApp();
  return app ? app->m_hMainWnd : nullptr;
}

HWND LauncherIfWindow() {
  HWND launcher = LauncherMainWindow();
  return launcher && IsWindow(launcher) ? launcher : nullptr;
}

// With large system fonts (a horizontal dialog unit of 10 pixels) the programs' dialogs would not
// fit the launcher's view; they are built with a smaller font then.
bool LargeSystemFont() { return MulDiv(100, 4, LOWORD(GetDialogBaseUnits())) == 40; }

}  // namespace

CEmbeddableDialog::CEmbeddableDialog(UINT templateId, CWnd* owner, BOOL notify)
    : CDialog(templateId, owner), m_nTemplateId(templateId), m_pOwner(owner) {
  m_statusRecord.SetName(kStatusRecordName);
  m_statusRecord.Open(kStatusRecordSize);
  m_bNotify = notify;
}

CEmbeddableDialog::~CEmbeddableDialog() { m_statusRecord.Close(); }

void CEmbeddableDialog::CreateEmbedded(HWND parent) {
  if (m_hWnd) return;
  // The launcher hears of the dialog once it is in its place: told during WM_INITDIALOG it would
  // look for it in its view before it is there, and show it with its caption.
  m_bCreating = TRUE;
  std::vector<BYTE> editable = LoadEditableTemplate(m_nTemplateId);
  if (!editable.empty()) {
    if (LargeSystemFont()) SetTemplateFont(editable, "Small fonts", 6);
    CreateIndirect(reinterpret_cast<LPCDLGTEMPLATE>(editable.data()), nullptr);
  } else {
    Create(m_nTemplateId & 0xFFFF, nullptr);
  }
  m_bCreating = FALSE;
  if (!m_hWnd) return;
  if (parent) {
    SetEmbedParent(parent);
    // No frame recalculation: the launcher sizes the window itself when it shows it.
    ModifyStyle(WS_CAPTION | WS_THICKFRAME, WS_CLIPCHILDREN);
  } else {
    ShowWindow(SW_SHOW);
    SetFocus();
  }
  if (m_bReadyDue) {
    m_bReadyDue = FALSE;
    if (HWND launcher = LauncherIfWindow()) ::PostMessageA(launcher, WM_CHILD_READY, reinterpret_cast<WPARAM>(m_hWnd), 0);
  }
}

HWND CEmbeddableDialog::SetEmbedParent(HWND parent) {
  HWND previous = ::SetParent(m_hWnd, parent);
  m_hEmbedParent = parent;
  return previous;
}

int CEmbeddableDialog::RunModalLoop(HWND parent, BOOL disableOwner) {
  CWinThread* thread = AfxGetThread();
  // Set before the window exists, so that a dialog ending itself in its initialisation is not
  // started again.
  m_nModalResult = -1;
  m_bContinue = TRUE;
  m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
  CreateEmbedded(parent);
  HWND owner = m_pOwner ? m_pOwner->GetSafeHwnd() : nullptr;
  const bool ownerDisabled = owner && IsWindow(owner) && disableOwner;
  if (ownerDisabled) ::EnableWindow(owner, FALSE);

  BOOL idle = TRUE;
  LONG idleCount = 0;
  MSG msg;
  while (m_bContinue && m_hWnd) {
    while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!thread || !thread->OnIdle(idleCount++)) idle = FALSE;
    }
    do {
      // A window destroyed under the loop can never end it otherwise.
      if (!m_bContinue || !m_hWnd) break;
      if (!GetMessageA(&msg, nullptr, 0, 0)) {
        m_bContinue = FALSE;
        break;
      }
      if (thread) thread->m_msgCur = msg;
      if (msg.message == WM_NULL && (!msg.hwnd || msg.hwnd == m_hWnd)) {
        // Taken off the queue: left there it would end the next loop at once. Another window's
        // wake-up (a modeless dialog's EndDialog) is that window's business and is dispatched.
        m_bContinue = FALSE;
        break;
      }
      if (msg.message == WM_CLOSE || (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE)) {
        // Whichever window it was for, and the launcher's thread message too: never dispatched.
        CCurrentMessage current(msg.hwnd ? msg.hwnd : m_hWnd, msg.message, msg.wParam, msg.lParam);
        if (QueryClose()) m_bContinue = FALSE;
        continue;
      }
      if (msg.message == WM_ENTERIDLE && m_hWnd) ::BringWindowToTop(m_hWnd);
      const BOOL taken = thread ? thread->PreTranslateMessage(&msg) : PreTranslateMessage(&msg);
      if (!taken) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (!thread || thread->IsIdleMessage(&msg)) {
        idle = TRUE;
        idleCount = 0;
      }
    } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  }

  // The wake-ups that EndModalLoop and EndDialog posted to the window go with the loop they ended.
  while (m_hWnd && PeekMessageA(&msg, m_hWnd, 0, 0, PM_NOREMOVE) && msg.message == WM_NULL) {
    PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE);
  }
  m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
  if (ownerDisabled && IsWindow(owner)) ::EnableWindow(owner, TRUE);
  return m_nModalResult;
}

void CEmbeddableDialog::EndModalLoop(int result) {
  m_bContinue = FALSE;
  CDialog::EndModalLoop(result);
}

BOOL CEmbeddableDialog::QueryClose() {
  Default();
  return TRUE;
}

LRESULT CEmbeddableDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND self = m_hWnd;
  if (message == WM_ACTIVATE && m_bNotify && lParam == 0) {
    // Only the handle is tested here, as the launcher has always done: a launcher that has gone
    // simply does not receive it.
    HWND launcher = LauncherMainWindow();
    if (launcher && ::GetForegroundWindow() != launcher) {
      ::PostMessageA(launcher, WM_CHILD_ACTIVATE, wParam, reinterpret_cast<LPARAM>(self));
    }
  }
  const LRESULT result = CDialog::DefWindowProc(message, wParam, lParam);
  if (m_bNotify && message == WM_INITDIALOG && m_bCreating) {
    m_bReadyDue = TRUE;
  } else if (m_bNotify && (message == WM_INITDIALOG || message == WM_DESTROY)) {
    if (HWND launcher = LauncherIfWindow()) {
      ::PostMessageA(launcher, message == WM_INITDIALOG ? WM_CHILD_READY : WM_CHILD_DESTROYED,
                     reinterpret_cast<WPARAM>(self), 0);
    }
  }
  return result;
}

BOOL CEmbeddableDialog::PostStatusToLauncher(std::string_view text) {
  if (!m_statusRecord.WriteText(text)) return FALSE;
  HWND launcher = LauncherIfWindow();
  return launcher ? ::PostMessageA(launcher, WM_CHILD_STATUS, reinterpret_cast<WPARAM>(m_hWnd), 0) : FALSE;
}

BOOL NotifyCloseRefused() {
  HWND launcher = LauncherIfWindow();
  return launcher ? ::PostMessageA(launcher, WM_CHILD_CLOSE_REFUSED, 0, 0) : FALSE;
}

// The template editor. Templates are read and written field by field (little-endian words), in
// both forms the resource compiler writes: DLGTEMPLATE and DLGTEMPLATEEX.
namespace {

class CTemplateReader {
public:
  explicit CTemplateReader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}
  bool Skip(size_t count) {
    if (m_at + count > m_bytes.size()) return false;
    m_at += count;
    return true;
  }
  bool Word(WORD& value) {
    if (m_at + 2 > m_bytes.size()) return false;
    value = static_cast<WORD>(m_bytes[m_at] | (m_bytes[m_at + 1] << 8));
    m_at += 2;
    return true;
  }
  bool Dword(DWORD& value) {
    WORD low = 0, high = 0;
    if (!Word(low) || !Word(high)) return false;
    value = low | (static_cast<DWORD>(high) << 16);
    return true;
  }
  // A UTF-16 string up to and with its NUL.
  bool String() {
    WORD unit = 0;
    do {
      if (!Word(unit)) return false;
    } while (unit != 0);
    return true;
  }
  // A menu or class: none (0), an ordinal (0xFFFF and a word), or a string.
  bool StringOrOrdinal() {
    WORD first = 0;
    if (!Word(first)) return false;
    if (first == 0) return true;
    if (first == 0xFFFF) return Skip(2);
    m_at -= 2;
    return String();
  }
  size_t At() const { return m_at; }

private:
  const std::vector<BYTE>& m_bytes;
  size_t m_at = 0;
};

void PutWord(std::vector<BYTE>& out, WORD value) {
  out.push_back(static_cast<BYTE>(value & 0xFF));
  out.push_back(static_cast<BYTE>(value >> 8));
}

}  // namespace

std::vector<BYTE> LoadEditableTemplate(UINT templateId) {
  HINSTANCE instance = AfxGetResourceHandle();
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(templateId & 0xFFFF), RT_DIALOG);
  if (!found) return {};
  const DWORD size = SizeofResource(instance, found);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
  if (!bytes || size == 0) return {};
  return std::vector<BYTE>(bytes, bytes + size);
}

BOOL SetTemplateFont(std::vector<BYTE>& dialogTemplate, LPCSTR face, WORD points) {
  CTemplateReader reader(dialogTemplate);
  WORD version = 0, signature = 0;
  if (!reader.Word(version) || !reader.Word(signature)) return FALSE;
  const bool extended = version == 1 && signature == 0xFFFF;
  DWORD style = 0;
  if (extended) {
    DWORD ignored = 0;
    if (!reader.Dword(ignored) || !reader.Dword(ignored) || !reader.Dword(style)) return FALSE;
  } else {
    style = version | (static_cast<DWORD>(signature) << 16);
    if (!reader.Skip(4)) return FALSE;  // the extended style
  }
  if (!(style & DS_SETFONT)) return FALSE;
  // Item count and the rectangle; then menu, class and title.
  if (!reader.Skip(2 + 8) || !reader.StringOrOrdinal() || !reader.StringOrOrdinal() || !reader.String()) return FALSE;
  const size_t fontAt = reader.At();
  if (!reader.Skip(2)) return FALSE;           // the point size
  if (extended && !reader.Skip(4)) return FALSE;  // weight, italic, character set
  const size_t faceAt = reader.At();
  if (!reader.String()) return FALSE;
  const size_t itemsAt = (reader.At() + 3) & ~size_t{3};

  std::vector<BYTE> edited(dialogTemplate.begin(), dialogTemplate.begin() + static_cast<std::ptrdiff_t>(faceAt));
  edited[fontAt] = static_cast<BYTE>(points & 0xFF);
  edited[fontAt + 1] = static_cast<BYTE>(points >> 8);
  const int units = MultiByteToWideChar(CP_ACP, 0, face, -1, nullptr, 0);
  std::vector<WCHAR> wide(static_cast<size_t>(units > 0 ? units : 1));
  if (units > 0) MultiByteToWideChar(CP_ACP, 0, face, -1, wide.data(), units);
  wide.back() = 0;
  for (WCHAR unit : wide) PutWord(edited, static_cast<WORD>(unit));
  // Items begin on a four-byte boundary; their own padding is relative to the template's start,
  // so they move as a whole between two such boundaries.
  while (edited.size() % 4) edited.push_back(0);
  if (itemsAt < dialogTemplate.size()) {
    edited.insert(edited.end(), dialogTemplate.begin() + static_cast<std::ptrdiff_t>(itemsAt), dialogTemplate.end());
  }
  dialogTemplate = std::move(edited);
  return TRUE;
}
