#pragma once
// The stream of the component object model that the image library is reached through: a stream over
// a block of global memory, which is how a caller hands a file's bytes to Image::FromStream. The
// basics (GUID, HRESULT, IUnknown) are the layer's own, in <base/Com.h>.
#include <base/Com.h>

union ULARGE_INTEGER {
  struct { DWORD LowPart; DWORD HighPart; } u;
  ULONGLONG QuadPart;
};

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

extern const IID IID_ISequentialStream;
extern const IID IID_IStream;

struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
  virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;

protected:
  ~ISequentialStream() = default;
};

// The stream's methods that the image library and its callers use: reading, writing and seeking.
struct IStream : ISequentialStream {
  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;

protected:
  ~IStream() = default;
};
using LPSTREAM = IStream*;

// A stream over the bytes of a global memory block (kernel/GlobalMemory.h). With a NULL block the
// stream makes its own, empty one. With deleteOnRelease the block is freed with the stream's last
// Release; otherwise the caller keeps it and must keep it alive while the stream lives.
HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, LPSTREAM* stream);
