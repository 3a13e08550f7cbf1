#pragma once
// Memory shared between processes through file mappings backed by no file (INVALID_HANDLE_VALUE,
// "the paging file"), named or not. Views stay valid after the mapping's handle is closed, until
// UnmapViewOfFile.
#include <base/WinDef.h>

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;

constexpr DWORD FILE_MAP_COPY = 0x0001;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0x000F001F;

// Only mappings of no file exist here: any other `file` fails with ERROR_INVALID_HANDLE. The size
// must not be 0. An existing named mapping is opened with its own size (ERROR_ALREADY_EXISTS).
HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name);
inline HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                                DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCSTR name) {
  return CreateFileMappingA(file, attributes, protect, maximumSizeHigh, maximumSizeLow, name);
}
HANDLE OpenFileMappingA(DWORD access, BOOL inheritHandle, LPCSTR name);
inline HANDLE OpenFileMapping(DWORD access, BOOL inheritHandle, LPCSTR name) {
  return OpenFileMappingA(access, inheritHandle, name);
}

// `bytes` 0 maps from the offset to the end. The offset must be a multiple of 64 KiB
// (ERROR_MAPPED_ALIGNMENT); a view past the end fails with ERROR_ACCESS_DENIED, as does a writable
// view of a read-only mapping.
LPVOID MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
// `address` must be the start of a view; anything else fails with ERROR_INVALID_ADDRESS.
BOOL UnmapViewOfFile(LPCVOID address);
