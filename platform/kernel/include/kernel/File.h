#pragma once
// Files and directories with Windows' semantics and error codes. Names go through ToHostPath (either
// separator, drive letters, letter case ignored). A name "\\.\NAME" opens a device through the opener
// registered for it (see kernel/Io.h); reading and writing are in kernel/Io.h.
//
// Share modes are enforced between the handles of one process: an open that the share mode of an
// earlier open forbids fails with ERROR_SHARING_VIOLATION, and so do deleting, moving and copying a
// file that an open handle does not share. Read-only files (no write permission bits) cannot be
// opened for writing, replaced or deleted, whoever the user is, as on Windows.
#include <kernel/Io.h>

#include <base/WinDef.h>

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_EXECUTE = 0x20000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD DELETE = 0x00010000;
constexpr DWORD FILE_READ_DATA = 0x0001;
constexpr DWORD FILE_WRITE_DATA = 0x0002;
constexpr DWORD FILE_APPEND_DATA = 0x0004;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
constexpr DWORD FILE_ATTRIBUTE_NOT_CONTENT_INDEXED = 0x00002000;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Accepted; the layer's files are read and written at once, so they change nothing else.
constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x00000002;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008;

// A file handle, or INVALID_HANDLE_VALUE with the last error set. CREATE_ALWAYS and OPEN_ALWAYS on
// an existing file succeed with the last error ERROR_ALREADY_EXISTS; CREATE_NEW on one fails with
// ERROR_FILE_EXISTS. A directory cannot be opened (ERROR_ACCESS_DENIED).
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
inline HANDLE CreateFile(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                         DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  return CreateFileA(fileName, desiredAccess, shareMode, security, creationDisposition, flagsAndAttributes,
                     templateFile);
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
// The creation time is the file's birth time where the file system keeps one, else its last write.
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);

BOOL DeleteFileA(LPCSTR fileName);
inline BOOL DeleteFile(LPCSTR fileName) { return DeleteFileA(fileName); }
// MoveFileA moves across file systems by copying, as MoveFileExA does with MOVEFILE_COPY_ALLOWED.
BOOL MoveFileA(LPCSTR existingName, LPCSTR newName);
inline BOOL MoveFile(LPCSTR existingName, LPCSTR newName) { return MoveFileA(existingName, newName); }
BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags);
inline BOOL MoveFileEx(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  return MoveFileExA(existingName, newName, flags);
}
// Copies contents, the read-only attribute and the last write time.
BOOL CopyFileA(LPCSTR existingName, LPCSTR newName, BOOL failIfExists);
inline BOOL CopyFile(LPCSTR existingName, LPCSTR newName, BOOL failIfExists) {
  return CopyFileA(existingName, newName, failIfExists);
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security);
inline BOOL CreateDirectory(LPCSTR pathName, LPSECURITY_ATTRIBUTES security) {
  return CreateDirectoryA(pathName, security);
}
BOOL RemoveDirectoryA(LPCSTR pathName);
inline BOOL RemoveDirectory(LPCSTR pathName) { return RemoveDirectoryA(pathName); }

// Files carry FILE_ATTRIBUTE_ARCHIVE, as files on Windows do once written; READONLY when no write
// permission bit is set; HIDDEN for names that begin with a dot; DIRECTORY for folders.
DWORD GetFileAttributesA(LPCSTR fileName);
inline DWORD GetFileAttributes(LPCSTR fileName) { return GetFileAttributesA(fileName); }
// Sets or clears READONLY. ARCHIVE, NORMAL, TEMPORARY and NOT_CONTENT_INDEXED are accepted; HIDDEN
// only as the name already has it; SYSTEM fails with ERROR_INVALID_PARAMETER.
BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);
inline BOOL SetFileAttributes(LPCSTR fileName, DWORD attributes) { return SetFileAttributesA(fileName, attributes); }
