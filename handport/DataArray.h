#pragma once
// Byte buffers that cross the CManager interface: a downloaded file's bytes, which the caller
// owns and gives back with DeleteDataArray, and the bytes the message caches keep. One allocator
// for all of them, so whatever the library hands out it can also free.
#include <base/WinDef.h>

#include <span>

// A new buffer holding a copy of `bytes`; never null, also for no bytes.
BYTE* NewDataArray(std::span<const BYTE> bytes);
// Frees a buffer of NewDataArray; null is ignored.
void FreeDataArray(BYTE* data);
