#include <framework/File.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/File.h>
#include <kernel/Find.h>
#include <kernel/Path.h>

#include <cstring>
#include <string>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

struct CauseOfError {
  DWORD error;
  int cause;
};

constexpr CauseOfError kCauses[] = {
  {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
  {ERROR_PATH_NOT_FOUND, CFileException::badPath},
  {ERROR_INVALID_NAME, CFileException::badPath},
  {ERROR_BAD_PATHNAME, CFileException::badPath},
  {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
  {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
  {ERROR_ACCESS_DENIED, CFileException::accessDenied},
  {ERROR_FILE_EXISTS, CFileException::accessDenied},
  {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
  {ERROR_INVALID_HANDLE, CFileException::invalidFile},
  {ERROR_DIR_NOT_EMPTY, CFileException::removeCurrentDir},
  {ERROR_CANNOT_MAKE, CFileException::directoryFull},
  {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
  {ERROR_WRITE_FAULT, CFileException::hardIO},
  {ERROR_READ_FAULT, CFileException::hardIO},
  {ERROR_CRC, CFileException::hardIO},
  {ERROR_GEN_FAILURE, CFileException::hardIO},
  {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
  {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
  {ERROR_DISK_FULL, CFileException::diskFull},
  {ERROR_HANDLE_EOF, CFileException::endOfFile},
};

std::string FullPath(LPCSTR fileName) {
  char buffer[MAX_PATH * 4];
  DWORD n = GetFullPathNameA(fileName, sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string(fileName);
}

void CopyName(char (&target)[MAX_PATH], const std::string& name) {
  size_t n = std::min(name.size(), sizeof target - 1);
  std::memcpy(target, name.data(), n);
  target[n] = '\0';
}

}  // namespace

// CFileException ------------------------------------------------------------------------------------

int CFileException::OsErrorToException(LONG osError) {
  for (const CauseOfError& c : kCauses)
    if (c.error == static_cast<DWORD>(osError)) return c.cause;
  return osError == 0 ? none : generic;
}

void CFileException::ThrowOsError(LONG osError, LPCSTR fileName) {
  throw CFileException(OsErrorToException(osError), osError, fileName);
}

// CFile ----------------------------------------------------------------------------------------------

CFile::CFile(HANDLE file) : m_hFile(file) {}

CFile::CFile(LPCSTR fileName, UINT openFlags) {
  CFileException error;
  if (!OpenHandle(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() {
  if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

BOOL CFile::Open(LPCSTR fileName, UINT openFlags, CFileException* error) {
  return OpenHandle(fileName, openFlags, error);
}

BOOL CFile::OpenHandle(LPCSTR fileName, UINT openFlags, CFileException* error) {
  if (m_hFile != hFileNull) Abort();  // opening again lets go of the file held before
  DWORD access;
  switch (openFlags & 0x3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: access = 0; break;
  }
  DWORD share;
  switch (openFlags & 0x70) {
    case 0: // the class library's "compatibility" sharing is exclusive on Win32
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case 0x30: share = FILE_SHARE_WRITE; break;  // deny read
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: access = 0; share = 0; break;
  }
  DWORD disposition = (openFlags & modeCreate) ? ((openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS)
                                               : OPEN_EXISTING;
  std::string path = fileName ? FullPath(fileName) : std::string();
  if (access == 0 || !fileName) {
    if (error) *error = CFileException(CFileException::generic, static_cast<LONG>(ERROR_INVALID_PARAMETER), fileName);
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE handle = CreateFileA(fileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD osError = GetLastError();
    if (error) {
      *error = CFileException(CFileException::OsErrorToException(static_cast<LONG>(osError)),
                              static_cast<LONG>(osError), fileName);
    }
    return FALSE;
  }
  m_hFile = handle;
  m_bCloseOnDelete = TRUE;
  m_strFileName = path.c_str();
  return TRUE;
}

void CFile::ThrowLastError() const { CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName); }

UINT CFile::Read(void* buffer, UINT count) {
  if (count == 0) return 0;
  DWORD read = 0;
  if (!ReadFile(m_hFile, buffer, count, &read, nullptr)) ThrowLastError();
  return read;
}

void CFile::Write(const void* buffer, UINT count) {
  if (count == 0) return;
  DWORD written = 0;
  if (!WriteFile(m_hFile, buffer, count, &written, nullptr)) ThrowLastError();
  if (written < count) CFileException::ThrowOsError(static_cast<LONG>(ERROR_DISK_FULL), m_strFileName);
}

LONG CFile::Seek(LONG offset, UINT from) {
  DWORD position = SetFilePointer(m_hFile, offset, nullptr, from);
  if (position == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) ThrowLastError();
  return static_cast<LONG>(position);
}

DWORD CFile::GetPosition() const {
  DWORD position = SetFilePointer(m_hFile, 0, nullptr, FILE_CURRENT);
  if (position == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) ThrowLastError();
  return position;
}

DWORD CFile::GetLength() const {
  DWORD size = GetFileSize(m_hFile, nullptr);
  if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) ThrowLastError();
  return size;
}

void CFile::SetLength(DWORD newLength) {
  Seek(static_cast<LONG>(newLength), begin);
  if (!SetEndOfFile(m_hFile)) ThrowLastError();
}

void CFile::Flush() {
  if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile)) ThrowLastError();
}

void CFile::Close() {
  BOOL ok = TRUE;
  DWORD osError = ERROR_SUCCESS;
  if (m_hFile != hFileNull) {
    ok = CloseHandle(m_hFile);
    osError = GetLastError();
  }
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
  CString name = m_strFileName;
  m_strFileName.Empty();
  if (!ok) CFileException::ThrowOsError(static_cast<LONG>(osError), name);
}

void CFile::Abort() {
  if (m_hFile != hFileNull) CloseHandle(m_hFile);
  m_hFile = hFileNull;
  m_bCloseOnDelete = FALSE;
  m_strFileName.Empty();
}

CString CFile::GetFileName() const {
  int slash = std::max(m_strFileName.ReverseFind('\\'), m_strFileName.ReverseFind('/'));
  return m_strFileName.Mid(slash + 1);
}

CString CFile::GetFilePath() const { return m_strFileName; }

BOOL CFile::GetStatus(CFileStatus& status) const {
  status = CFileStatus{};
  CopyName(status.m_szFullName, std::string(m_strFileName));
  if (m_hFile == hFileNull) return FALSE;
  FILETIME created, accessed, written;
  if (!GetFileTime(m_hFile, &created, &accessed, &written)) return FALSE;
  status.m_ctime = CTime(created);
  status.m_atime = CTime(accessed);
  status.m_mtime = CTime(written);
  DWORD size = GetFileSize(m_hFile, nullptr);
  status.m_size = static_cast<LONG>(size);
  DWORD attributes = m_strFileName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(m_strFileName);
  status.m_attribute = attributes == INVALID_FILE_ATTRIBUTES ? 0 : static_cast<BYTE>(attributes & 0x37);
  return TRUE;
}

BOOL CFile::GetStatus(LPCSTR fileName, CFileStatus& status) {
  status = CFileStatus{};
  if (!fileName || !*fileName) return FALSE;
  CopyName(status.m_szFullName, FullPath(fileName));
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(fileName, &data);
  if (find == INVALID_HANDLE_VALUE) return FALSE;
  FindClose(find);
  status.m_ctime = CTime(data.ftCreationTime);
  status.m_atime = CTime(data.ftLastAccessTime);
  status.m_mtime = CTime(data.ftLastWriteTime);
  status.m_size = static_cast<LONG>(data.nFileSizeLow);
  status.m_attribute = static_cast<BYTE>(data.dwFileAttributes & 0x37);
  return TRUE;
}

void CFile::Remove(LPCSTR fileName) {
  if (!DeleteFileA(fileName)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), fileName);
}

void CFile::Rename(LPCSTR oldName, LPCSTR newName) {
  if (!MoveFileA(oldName, newName)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), oldName);
}
