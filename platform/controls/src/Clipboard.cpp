// The clipboard: a file under home ("clipboard/data") holding the owner and each format's bytes,
// replaced whole (a temporary file and a rename) when a process that changed it closes it. Opening
// takes an exclusive lock on "clipboard/lock" that lasts until CloseClipboard, which is what makes
// the clipboard one window's at a time across the home's processes; a crashed holder's lock goes
// with its process. What a process reads is a snapshot taken when it opens the clipboard.
//
// The file: "TOLVARCB" u32 owner, u32 count, then per format u32 format, u32 size, bytes (little
// endian).
#include <controls/Clipboard.h>

#include <base/CodePage.h>
#include <base/Home.h>
#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Thread.h>
#include <user/User.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<char>;

constexpr DWORD kErrorClipboardNotOpen = 1418;  // ERROR_CLIPBOARD_NOT_OPEN

struct Clipboard {
  std::mutex lock;
  int lockFile = -1;          // held open (and locked) while this process has the clipboard open
  DWORD openThread = 0;
  HWND openWindow = nullptr;
  bool changed = false;
  HWND owner = nullptr;
  std::map<UINT, Bytes> formats;  // the snapshot, changed in place until closed
  std::vector<HGLOBAL> lent;      // blocks GetClipboardData handed out
};

Clipboard& State() {
  static Clipboard clipboard;
  return clipboard;
}

std::string Folder() {
  std::string folder = tolvar::HomeFolder() + "/clipboard";
  ::mkdir(folder.c_str(), 0700);
  return folder;
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
bool GetU32(const std::string& in, std::size_t& at, std::uint32_t& value) {
  if (in.size() - at < 4 || at > in.size()) return false;
  value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  at += 4;
  return true;
}

// The length of an 8-bit text up to its terminator or the block's end. An empty block has no data
// pointer to hand to strnlen.
std::size_t TextLength(const Bytes& bytes) { return bytes.empty() ? 0 : strnlen(bytes.data(), bytes.size()); }

// Text is kept up to its terminator, which a block may be larger than, and always ends with one:
// whoever reads it may rely on that, whatever block or file it came from.
void KeepTextToTerminator(UINT format, Bytes& bytes) {
  if (format == CF_TEXT || format == CF_OEMTEXT) {
    bytes.resize(TextLength(bytes));
    bytes.push_back('\0');
  } else if (format == CF_UNICODETEXT) {
    std::size_t units = bytes.size() / sizeof(WCHAR), n = 0;
    while (n < units && (bytes[2 * n] || bytes[2 * n + 1])) ++n;
    bytes.resize(2 * n);
    bytes.push_back('\0');
    bytes.push_back('\0');
  }
}

// A file that cannot be read as a whole counts as an empty clipboard. Its texts are held to the
// same rule as texts handed over here: another process, or a damaged file, may have left them
// without their terminator.
void Load(Clipboard& clip) {
  clip.formats.clear();
  clip.owner = nullptr;
  std::ifstream file(Folder() + "/data", std::ios::binary);
  if (!file) return;
  std::stringstream buffer;
  buffer << file.rdbuf();
  const std::string in = buffer.str();
  if (in.size() < 8 || in.compare(0, 8, "TOLVARCB") != 0) return;
  std::size_t at = 8;
  std::uint32_t owner = 0, count = 0;
  if (!GetU32(in, at, owner) || !GetU32(in, at, count)) return;
  std::map<UINT, Bytes> formats;
  for (std::uint32_t n = 0; n < count; ++n) {
    std::uint32_t format = 0, size = 0;
    if (!GetU32(in, at, format) || !GetU32(in, at, size) || in.size() - at < size) return;
    Bytes bytes(in.begin() + static_cast<std::ptrdiff_t>(at), in.begin() + static_cast<std::ptrdiff_t>(at + size));
    KeepTextToTerminator(format, bytes);
    formats[format] = std::move(bytes);
    at += size;
  }
  clip.formats = std::move(formats);
  clip.owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(owner));
}

bool Save(const Clipboard& clip) {
  std::string out = "TOLVARCB";
  PutU32(out, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(clip.owner)));
  PutU32(out, static_cast<std::uint32_t>(clip.formats.size()));
  for (const auto& [format, bytes] : clip.formats) {
    PutU32(out, format);
    PutU32(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes.data(), bytes.size());
  }
  const std::string folder = Folder();
  const std::string temporary = folder + "/data." + std::to_string(::getpid());
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file.write(out.data(), static_cast<std::streamsize>(out.size()))) return false;
  }
  return std::rename(temporary.c_str(), (folder + "/data").c_str()) == 0;
}

bool IsOpenHere(const Clipboard& clip) { return clip.lockFile >= 0 && clip.openThread == GetCurrentThreadId(); }

void FreeLent(Clipboard& clip) {
  for (HGLOBAL block : clip.lent) GlobalFree(block);
  clip.lent.clear();
}

HGLOBAL Lend(Clipboard& clip, const Bytes& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return nullptr;
  if (!bytes.empty()) {  // an empty entry is an empty block: nothing to copy, no pointer to copy from
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
  }
  clip.lent.push_back(block);
  return block;
}

// CF_TEXT from CF_UNICODETEXT and back, each ending with its terminator.
Bytes Converted(const std::map<UINT, Bytes>& formats, UINT wanted) {
  if (wanted == CF_TEXT || wanted == CF_OEMTEXT) {
    auto it = formats.find(CF_UNICODETEXT);
    if (it == formats.end()) {
      it = formats.find(wanted == CF_TEXT ? CF_OEMTEXT : CF_TEXT);
      return it == formats.end() ? Bytes{} : it->second;
    }
    const auto* wide = reinterpret_cast<LPCWSTR>(it->second.data());
    int units = static_cast<int>(it->second.size() / sizeof(WCHAR));
    int n = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    Bytes out(static_cast<std::size_t>(n) + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, units, out.data(), n, nullptr, nullptr);
    return out;
  }
  if (wanted == CF_UNICODETEXT) {
    auto it = formats.find(CF_TEXT);
    if (it == formats.end()) it = formats.find(CF_OEMTEXT);
    if (it == formats.end()) return {};
    int bytes = static_cast<int>(TextLength(it->second));
    int n = MultiByteToWideChar(CP_ACP, 0, it->second.data(), bytes, nullptr, 0);
    Bytes out((static_cast<std::size_t>(n) + 1) * sizeof(WCHAR), '\0');
    MultiByteToWideChar(CP_ACP, 0, it->second.data(), bytes, reinterpret_cast<LPWSTR>(out.data()), n);
    return out;
  }
  return {};
}

bool IsText(UINT format) { return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT; }

bool Available(const std::map<UINT, Bytes>& formats, UINT format) {
  if (formats.count(format)) return true;
  if (!IsText(format)) return false;
  return formats.count(CF_TEXT) || formats.count(CF_UNICODETEXT) || formats.count(CF_OEMTEXT);
}

}  // namespace

BOOL OpenClipboard(HWND owner) {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  if (clip.lockFile >= 0) {
    if (clip.openThread == GetCurrentThreadId()) {
      clip.openWindow = owner;  // opened again by its holder: it stays open
      return TRUE;
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  int fd = ::open((Folder() + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (fd >= 0) ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  clip.lockFile = fd;
  clip.openThread = GetCurrentThreadId();
  clip.openWindow = owner;
  clip.changed = false;
  FreeLent(clip);
  Load(clip);
  return TRUE;
}

BOOL CloseClipboard() {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  if (!IsOpenHere(clip)) {
    SetLastError(kErrorClipboardNotOpen);
    return FALSE;
  }
  BOOL saved = clip.changed ? Save(clip) : TRUE;
  FreeLent(clip);
  ::flock(clip.lockFile, LOCK_UN);
  ::close(clip.lockFile);
  clip.lockFile = -1;
  clip.openThread = 0;
  clip.openWindow = nullptr;
  return saved;
}

BOOL EmptyClipboard() {
  HWND previous = nullptr;
  HWND next = nullptr;
  {
    Clipboard& clip = State();
    std::lock_guard guard(clip.lock);
    if (!IsOpenHere(clip)) {
      SetLastError(kErrorClipboardNotOpen);
      return FALSE;
    }
    previous = clip.owner;
    next = clip.openWindow;
    clip.formats.clear();
    clip.owner = next;
    clip.changed = true;
    FreeLent(clip);
  }
  if (previous && previous != next && IsWindow(previous)) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(previous, WM_DESTROYCLIPBOARD, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  }
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  if (!IsOpenHere(clip)) {
    SetLastError(kErrorClipboardNotOpen);
    return nullptr;
  }
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SIZE_T size = GlobalSize(data);
  const char* bytes = static_cast<const char*>(GlobalLock(data));
  if (!bytes) return nullptr;
  Bytes copy(bytes, bytes + size);
  GlobalUnlock(data);
  KeepTextToTerminator(format, copy);
  clip.formats[format] = std::move(copy);
  clip.changed = true;
  // The clipboard now owns the block, as Windows' does: the caller must not use it again.
  GlobalFree(data);
  return data;
}

HANDLE GetClipboardData(UINT format) {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  if (!IsOpenHere(clip)) {
    SetLastError(kErrorClipboardNotOpen);
    return nullptr;
  }
  auto it = clip.formats.find(format);
  if (it != clip.formats.end()) return Lend(clip, it->second);
  if (!IsText(format)) return nullptr;
  Bytes converted = Converted(clip.formats, format);
  return converted.empty() ? nullptr : Lend(clip, converted);
}

BOOL IsClipboardFormatAvailable(UINT format) {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  if (IsOpenHere(clip)) return Available(clip.formats, format);
  Clipboard peek;
  Load(peek);
  return Available(peek.formats, format);
}

int CountClipboardFormats() {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  if (IsOpenHere(clip)) return static_cast<int>(clip.formats.size());
  Clipboard peek;
  Load(peek);
  return static_cast<int>(peek.formats.size());
}

HWND GetClipboardOwner() {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  HWND owner = nullptr;
  if (IsOpenHere(clip)) {
    owner = clip.owner;
  } else {
    Clipboard peek;
    Load(peek);
    owner = peek.owner;
  }
  return owner && IsWindow(owner) ? owner : nullptr;
}

HWND GetOpenClipboardWindow() {
  Clipboard& clip = State();
  std::lock_guard guard(clip.lock);
  return clip.lockFile >= 0 ? clip.openWindow : nullptr;
}
