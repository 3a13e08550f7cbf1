// The system message table: the texts people see for the error numbers this layer reports (Win32
// errors and Windows Sockets errors), and FormatMessage over it. A program shows these texts in its
// message boxes ("the system's error text"), so every number the layer can produce has one.
#include <kernel/Format.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

struct SystemMessage {
  DWORD id;
  std::string_view text;
};

// Sorted by number; each text is one sentence or two, without the final line break.
constexpr SystemMessage kMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough storage is available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    {ERROR_INVALID_DRIVE, "The system cannot find the drive specified."},
    {ERROR_NOT_SAME_DEVICE, "The system cannot move the file to a different disk drive."},
    {ERROR_NO_MORE_FILES, "There are no more files."},
    {ERROR_NOT_READY, "The device is not ready."},
    {ERROR_BAD_COMMAND, "The device does not recognize the command."},
    {ERROR_CRC, "Data error (cyclic redundancy check)."},
    {ERROR_BAD_LENGTH, "The program issued a command but the command length is incorrect."},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {ERROR_READ_FAULT, "The system cannot read from the specified device."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION, "The process cannot access the file because another process has locked a portion of the file."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_DEV_NOT_EXIST, "The specified network resource or device is no longer available."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_CANNOT_MAKE, "The directory or file cannot be created."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, "The pipe has been ended."},
    {ERROR_OPEN_FAILED, "The system cannot open the device or file specified."},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported on this system."},
    {ERROR_SEM_TIMEOUT, "The semaphore timeout period has expired."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_NEGATIVE_SEEK, "An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
    {ERROR_BAD_PATHNAME, "The specified path is invalid."},
    {ERROR_BUSY, "The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_BAD_EXE_FORMAT, "The program is not a valid application."},
    {ERROR_ENVVAR_NOT_FOUND, "The system could not find the environment option that was entered."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_BAD_PIPE, "The pipe state is invalid."},
    {ERROR_NO_DATA, "The pipe is being closed."},
    {ERROR_MORE_DATA, "More data is available."},
    {WAIT_TIMEOUT, "The wait operation timed out."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_DIRECTORY, "The directory name is invalid."},
    {ERROR_NOT_OWNER, "Attempt to release mutex not owned by caller."},
    {ERROR_TOO_MANY_POSTS, "Too many posts were made to a semaphore."},
    {ERROR_PARTIAL_COPY, "Only part of a memory read or write request was completed."},
    {ERROR_MR_MID_NOT_FOUND, "The system cannot find message text for the message number."},
    {ERROR_INVALID_ADDRESS, "Attempt to access invalid address."},
    {ERROR_ARITHMETIC_OVERFLOW, "Arithmetic result exceeded 32 bits."},
    {ERROR_OPERATION_ABORTED, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {ERROR_IO_INCOMPLETE, "Overlapped I/O event is not in a signaled state."},
    {ERROR_IO_PENDING, "Overlapped I/O operation is in progress."},
    {ERROR_NOACCESS, "Invalid access to memory location."},
    {ERROR_INVALID_FLAGS, "Invalid flags."},
    {ERROR_CANTOPEN, "The configuration registry key could not be opened."},
    {ERROR_CANTREAD, "The configuration registry key could not be read."},
    {ERROR_CANTWRITE, "The configuration registry key could not be written."},
    {ERROR_REGISTRY_CORRUPT, "The configuration registry database is corrupt."},
    {ERROR_REGISTRY_IO_FAILED, "An I/O operation initiated by the registry failed."},
    {ERROR_KEY_DELETED, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {ERROR_SERVICE_REQUEST_TIMEOUT, "The service did not respond to the start or control request in a timely fashion."},
    {ERROR_NO_UNICODE_TRANSLATION, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_DLL_INIT_FAILED, "A dynamic link library (DLL) initialization routine failed."},
    {ERROR_COUNTER_TIMEOUT, "A serial I/O operation completed because the time-out period expired."},
    {ERROR_MAPPED_ALIGNMENT, "The base address or the file offset specified does not have the proper alignment."},
    {ERROR_MESSAGE_SYNC_ONLY, "The message can be used only with synchronous operations."},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
    {ERROR_INVALID_MENU_HANDLE, "Invalid menu handle."},
    {ERROR_TLW_WITH_WSCHILD, "Cannot create a top-level child window."},
    {ERROR_CANNOT_FIND_WND_CLASS, "Cannot find window class."},
    {ERROR_WINDOW_OF_OTHER_THREAD, "Invalid window; it belongs to other thread."},
    {ERROR_CLASS_ALREADY_EXISTS, "Class already exists."},
    {ERROR_CLASS_DOES_NOT_EXIST, "Class does not exist."},
    {ERROR_CLASS_HAS_WINDOWS, "Class still has open windows."},
    {ERROR_INVALID_INDEX, "Invalid index."},
    {ERROR_CONTROL_ID_NOT_FOUND, "Control ID not found."},
    {ERROR_NOT_CHILD_WINDOW, "The window is not a child window."},
    {ERROR_INVALID_THREAD_ID, "Invalid thread identifier."},
    {ERROR_MENU_ITEM_NOT_FOUND, "A menu item was not found."},
    {ERROR_TIMEOUT, "This operation returned because the timeout period expired."},
    {ERROR_INVALID_HANDLE_STATE, "Handle is in an invalid state."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The specified image file did not contain a resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "The specified resource name cannot be found in the image file."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "The specified resource language ID cannot be found in the image file."},
    // Windows Sockets
    {WSAEINTR, "A blocking operation was interrupted by a call to WSACancelBlockingCall."},
    {WSAEBADF, "The file handle supplied is not valid."},
    {WSAEACCES, "An attempt was made to access a socket in a way forbidden by its access permissions."},
    {WSAEFAULT, "The system detected an invalid pointer address in attempting to use a pointer argument in a call."},
    {WSAEINVAL, "An invalid argument was supplied."},
    {WSAEMFILE, "Too many open sockets."},
    {WSAEWOULDBLOCK, "A non-blocking socket operation could not be completed immediately."},
    {WSAEINPROGRESS, "A blocking operation is currently executing."},
    {WSAEALREADY, "An operation was attempted on a non-blocking socket that already had an operation in progress."},
    {WSAENOTSOCK, "An operation was attempted on something that is not a socket."},
    {WSAEDESTADDRREQ, "A required address was omitted from an operation on a socket."},
    {WSAEMSGSIZE, "A message sent on a datagram socket was larger than the internal message buffer or some other network limit, or the buffer used to receive a datagram into was smaller than the datagram itself."},
    {WSAEPROTOTYPE, "A protocol was specified in the socket function call that does not support the semantics of the socket type requested."},
    {WSAENOPROTOOPT, "An unknown, invalid, or unsupported option or level was specified in a getsockopt or setsockopt call."},
    {WSAEPROTONOSUPPORT, "The requested protocol has not been configured into the system, or no implementation for it exists."},
    {WSAESOCKTNOSUPPORT, "The support for the specified socket type does not exist in this address family."},
    {WSAEOPNOTSUPP, "The attempted operation is not supported for the type of object referenced."},
    {WSAEPFNOSUPPORT, "The protocol family has not been configured into the system or no implementation for it exists."},
    {WSAEAFNOSUPPORT, "An address incompatible with the requested protocol was used."},
    {WSAEADDRINUSE, "Only one usage of each socket address (protocol/network address/port) is normally permitted."},
    {WSAEADDRNOTAVAIL, "The requested address is not valid in its context."},
    {WSAENETDOWN, "A socket operation encountered a dead network."},
    {WSAENETUNREACH, "A socket operation was attempted to an unreachable network."},
    {WSAENETRESET, "The connection has been broken due to keep-alive activity detecting a failure while the operation was in progress."},
    {WSAECONNABORTED, "An established connection was aborted by the software in your host machine."},
    {WSAECONNRESET, "An existing connection was forcibly closed by the remote host."},
    {WSAENOBUFS, "An operation on a socket could not be performed because the system lacked sufficient buffer space or because a queue was full."},
    {WSAEISCONN, "A connect request was made on an already connected socket."},
    {WSAENOTCONN, "A request to send or receive data was disallowed because the socket is not connected and (when sending on a datagram socket using a sendto call) no address was supplied."},
    {WSAESHUTDOWN, "A request to send or receive data was disallowed because the socket had already been shut down in that direction with a previous shutdown call."},
    {WSAETIMEDOUT, "A connection attempt failed because the connected party did not properly respond after a period of time, or established connection failed because connected host has failed to respond."},
    {WSAECONNREFUSED, "No connection could be made because the target machine actively refused it."},
    {10064, "A socket operation failed because the destination host was down."},  // WSAEHOSTDOWN
    {WSAEHOSTUNREACH, "A socket operation was attempted to an unreachable host."},
    {10091, "WSAStartup cannot function at this time because the underlying system it uses to provide network services is currently unavailable."},  // WSASYSNOTREADY
    {10092, "The Windows Sockets version requested is not supported."},  // WSAVERNOTSUPPORTED
    {WSANOTINITIALISED, "Either the application has not called WSAStartup, or WSAStartup failed."},
    {WSAHOST_NOT_FOUND, "No such host is known."},
    {11002, "This is usually a temporary error during hostname resolution and means that the local server did not receive a response from an authoritative server."},  // WSATRY_AGAIN
    {11003, "A non-recoverable error occurred during a database lookup."},  // WSANO_RECOVERY
    {11004, "The requested name is valid, but no data of the requested type was found."},  // WSANO_DATA
};

constexpr bool Sorted() {
  for (std::size_t i = 1; i < std::size(kMessages); ++i)
    if (kMessages[i - 1].id >= kMessages[i].id) return false;
  return true;
}
static_assert(Sorted(), "the message table is searched by halves");

const SystemMessage* Find(DWORD id) {
  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), id,
                             [](const SystemMessage& m, DWORD wanted) { return m.id < wanted; });
  return it != std::end(kMessages) && it->id == id ? it : nullptr;
}

bool IsEnglishOrNeutral(DWORD language) {
  WORD primary = static_cast<WORD>(language & 0x3FF);
  return language == 0 || primary == LANG_NEUTRAL || primary == LANG_ENGLISH;
}

// Width 0: the text's own line break at its end. FORMAT_MESSAGE_MAX_WIDTH_MASK: no breaks at all.
// Another width: lines broken at spaces so that none is longer, where a space allows it.
std::string Shape(std::string_view text, DWORD width) {
  if (width == 0) return std::string(text) + "\r\n";
  if (width == FORMAT_MESSAGE_MAX_WIDTH_MASK) return std::string(text);
  std::string out;
  std::size_t lineStart = 0;
  std::size_t lastSpace = std::string::npos;
  for (char c : text) {
    out += c;
    if (c == ' ') lastSpace = out.size() - 1;
    if (out.size() - lineStart > width && lastSpace != std::string::npos && lastSpace >= lineStart) {
      out.replace(lastSpace, 1, "\r\n");
      lineStart = lastSpace + 2;
      lastSpace = std::string::npos;
    }
  }
  return out;
}

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  void* memory = (flags & LMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
  if (!memory) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return memory;
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size, va_list*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer) return Fail(ERROR_INVALID_PARAMETER);
  if (!IsEnglishOrNeutral(languageId)) return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
  const SystemMessage* message = Find(messageId);
  if (!message) return Fail(ERROR_MR_MID_NOT_FOUND);
  std::string text = Shape(message->text, flags & FORMAT_MESSAGE_MAX_WIDTH_MASK);
  DWORD length = static_cast<DWORD>(text.size());
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    // `size` is then the least the caller wants allocated.
    auto* memory = static_cast<char*>(LocalAlloc(LMEM_FIXED, std::max<std::size_t>(text.size() + 1, size)));
    if (!memory) return 0;
    std::memcpy(memory, text.c_str(), text.size() + 1);
    *reinterpret_cast<LPSTR*>(buffer) = memory;
    return length;
  }
  if (size < length + 1) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return length;
}

int MulDiv(int value, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long product = static_cast<long long>(value) * numerator;
  long long divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  long long result = (product + (product >= 0 ? divisor / 2 : -(divisor / 2))) / divisor;
  if (result > std::numeric_limits<int>::max() || result < -std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(result);
}
