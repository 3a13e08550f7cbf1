// The named block and its mutex. The mutex is created before the block, so that every process that
// has the block also has the lock; waits on it have no time limit (a holder only ever copies a
// text) and a crashed holder's lock comes back abandoned, which still grants it.
#include "SharedMemory.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>

#include <algorithm>
#include <cstring>

namespace {

// Holds a mutex for one scope.
class CHold {
public:
  explicit CHold(HANDLE mutex) : m_mutex(mutex) { WaitForSingleObject(m_mutex, INFINITE); }
  ~CHold() { ReleaseMutex(m_mutex); }
  CHold(const CHold&) = delete;
  CHold& operator=(const CHold&) = delete;

private:
  HANDLE m_mutex;
};

// The longest start of `text` that fits `room` bytes without cutting a UTF-8 character in two.
size_t FittingLength(std::string_view text, size_t room) {
  if (text.size() <= room) return text.size();
  size_t length = room;
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  return length;
}

}  // namespace

void CSharedMemory::SetName(LPCSTR name) {
  m_strName = name;
  m_strMutexName = m_strName + "Mutex";
}

BOOL CSharedMemory::Open(DWORD size) {
  Close();
  m_bExisted = FALSE;
  m_strMutexName = m_strName + "Mutex";
  m_hMutex.Reset(CreateMutexA(nullptr, FALSE, m_strMutexName));
  m_nSize = size;
  m_hMapping.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, m_strName));
  if (!m_hMapping) return FALSE;
  if (GetLastError() == ERROR_ALREADY_EXISTS) m_bExisted = TRUE;
  m_pView = MapViewOfFile(m_hMapping.Get(), FILE_MAP_WRITE, 0, 0, size);
  if (!m_pView) {
    m_hMapping.Reset();
    return FALSE;
  }
  m_bMapped = TRUE;
  return TRUE;
}

void CSharedMemory::Close() {
  if (m_bMapped) UnmapViewOfFile(m_pView);
  m_pView = nullptr;
  m_bMapped = FALSE;
  m_hMapping.Reset();
  m_hMutex.Reset();
}

BOOL CSharedMemory::WriteText(std::string_view text) {
  if (!m_bMapped || m_nSize == 0) return FALSE;
  // A text is cut at its first NUL, as a C string would be.
  text = text.substr(0, std::min(text.size(), text.find('\0')));
  const size_t length = FittingLength(text, m_nSize - 1);
  CHold hold(m_hMutex.Get());
  auto* view = static_cast<char*>(m_pView);
  std::memcpy(view, text.data(), length);
  view[length] = '\0';
  return TRUE;
}

CString CSharedMemory::ReadText() const {
  if (!m_bMapped) return CString();
  CHold hold(m_hMutex.Get());
  const auto* view = static_cast<const char*>(m_pView);
  const size_t length = strnlen(view, m_nSize);
  return CString(view, static_cast<int>(length));
}
