#pragma once
// The few pieces of the component object model that the image library is reached through: class and
// format identifiers (GUID), result codes, and a stream over a block of global memory, which is how
// a caller hands a file's bytes to Image::FromStream.
#include <base/WinDef.h>

using HRESULT = LONG;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using CLSID = GUID;
using IID = GUID;
using REFGUID = const GUID&;
using REFCLSID = const GUID&;
using REFIID = const GUID&;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
constexpr bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }

union ULARGE_INTEGER {
  struct { DWORD LowPart; DWORD HighPart; } u;
  ULONGLONG QuadPart;
};

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

extern const IID IID_IUnknown;
extern const IID IID_ISequentialStream;
extern const IID IID_IStream;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

protected:
  ~IUnknown() = default;  // objects end through Release
};

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
