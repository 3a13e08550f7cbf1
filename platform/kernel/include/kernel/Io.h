#pragma once
// Reading and writing through a handle: files, and devices that other modules provide (the serial
// ports of the comm module). ReadFile, WriteFile, FlushFileBuffers, CancelIo and GetOverlappedResult
// work on any IoObject; CreateFileA("\\.\NAME") opens a device through the opener registered for it.
#include <kernel/Object.h>

#include <base/WinDef.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// Windows' layout. `Internal` is STATUS_PENDING while the transfer runs and then its Win32 error code
// (0 for success); `InternalHigh` is the number of bytes moved. `Offset`/`OffsetHigh` give the file
// position for files.
struct OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

constexpr ULONG_PTR STATUS_PENDING = 0x103;
inline bool HasOverlappedIoCompleted(const OVERLAPPED* o) { return o->Internal != STATUS_PENDING; }

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
BOOL FlushFileBuffers(HANDLE file);
BOOL CancelIo(HANDLE file);
BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);

namespace tolvar::kernel {

// An object that the I/O functions above work on. Each operation returns a Win32 error code:
// ERROR_SUCCESS when it finished (`done` holds the bytes moved), ERROR_IO_PENDING when it started an
// overlapped transfer that the object finishes later with CompleteOverlapped, or the error.
//
// With `overlapped`, the caller has already marked it pending and reset its event; an object that
// finishes at once just returns ERROR_SUCCESS (the caller records the result and signals the event).
// An object calls CompleteOverlapped only for transfers it answered with ERROR_IO_PENDING.
class IoObject : public Object {
public:
  virtual DWORD Read(std::span<BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) = 0;
  virtual DWORD Write(std::span<const BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) = 0;
  // Pushes written data to the file or device (FlushFileBuffers).
  virtual DWORD Flush() = 0;
  // Ends the transfers still pending; each completes with ERROR_OPERATION_ABORTED (CancelIo).
  virtual DWORD Cancel() = 0;
};

// Records the end of a pending transfer: InternalHigh = bytes, Internal = error (0 for success), then
// signals the transfer's event and wakes GetOverlappedResult. Safe from any thread.
void CompleteOverlapped(OVERLAPPED* overlapped, DWORD error, DWORD bytes);

// What CreateFileA was asked for when its name is a device ("\\.\COM3": `name` is "COM3").
struct DeviceOpenRequest {
  std::string name;
  DWORD desiredAccess = 0;
  DWORD shareMode = 0;
  DWORD creationDisposition = 0;
  DWORD flagsAndAttributes = 0;
};

// Opens a device; returns nullptr with the last error set when it cannot.
using DeviceOpener = std::function<std::shared_ptr<IoObject>(const DeviceOpenRequest& request)>;

// Routes CreateFileA("\\.\<prefix>...") (either separator, prefix compared without regard to case) to
// `opener`; a later registration for the same prefix replaces the earlier one. A device name that no
// opener claims gives ERROR_FILE_NOT_FOUND, once the platform module that provides such devices (if
// one does: "COM" is the comm module's) has been loaded and has had its chance to register.
void RegisterDeviceOpener(std::string prefix, DeviceOpener opener);

}  // namespace tolvar::kernel
