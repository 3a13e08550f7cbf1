#pragma once
// Global memory blocks: the form in which Windows hands a block of bytes to a stream over memory
// (CreateStreamOnHGlobal). There is one heap here, so a handle is the block's address whether the
// block was asked for fixed or moveable, and locking only counts.
#include <base/WinDef.h>

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// NULL with ERROR_NOT_ENOUGH_MEMORY when the block cannot be had.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// NULL (and the handle given back) when freed; the handle with ERROR_INVALID_HANDLE otherwise.
HGLOBAL GlobalFree(HGLOBAL block);
LPVOID GlobalLock(HGLOBAL block);
// FALSE once the block is no longer locked (the last error is then NO_ERROR), as Windows reports it.
BOOL GlobalUnlock(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);
