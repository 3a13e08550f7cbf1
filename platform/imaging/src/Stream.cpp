// A stream over a global memory block. The stream reads and writes the block's bytes in place and
// grows the block (by a new block) when a write runs past its end, as Windows' stream over global
// memory does; the size of the stream is the block's size.
#include <imaging/Com.h>

#include <kernel/GlobalMemory.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

const IID IID_ISequentialStream = {0x0c733a30, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
const IID IID_IStream = {0x0000000c, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

class GlobalStream final : public IStream {
public:
  GlobalStream(HGLOBAL block, bool owned) : m_block(block), m_owned(owned) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
      AddRef();
      *object = static_cast<IStream*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override {
    const ULONG left = --m_references;
    if (left == 0) {
      if (m_owned) GlobalFree(m_block);
      delete this;
    }
    return left;
  }

  HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
    if (!buffer && size) return STG_E_INVALIDFUNCTION;
    const ULONGLONG total = GlobalSize(m_block);
    const ULONG count = m_position >= total ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(size, total - m_position));
    if (count) std::memcpy(buffer, static_cast<const BYTE*>(m_block) + m_position, count);
    m_position += count;
    if (read) *read = count;
    return count == size ? S_OK : S_FALSE;
  }

  HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
    if (!buffer && size) return STG_E_INVALIDFUNCTION;
    if (written) *written = 0;
    const ULONGLONG end = m_position + size;
    if (end > GlobalSize(m_block)) {
      ULARGE_INTEGER newSize{};
      newSize.QuadPart = end;
      if (HRESULT hr = SetSize(newSize); FAILED(hr)) return hr;
    }
    if (size) std::memcpy(static_cast<BYTE*>(m_block) + m_position, buffer, size);
    m_position = end;
    if (written) *written = size;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    LONGLONG base = 0;
    switch (origin) {
      case STREAM_SEEK_SET: base = 0; break;
      case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(m_position); break;
      case STREAM_SEEK_END: base = static_cast<LONGLONG>(GlobalSize(m_block)); break;
      default: return STG_E_INVALIDFUNCTION;
    }
    const LONGLONG target = base + move.QuadPart;
    if (target < 0) return STG_E_INVALIDFUNCTION;
    m_position = static_cast<ULONGLONG>(target);
    if (newPosition) newPosition->QuadPart = m_position;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    const SIZE_T old = GlobalSize(m_block);
    if (size.QuadPart == old) return S_OK;
    HGLOBAL grown = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(size.QuadPart));
    if (!grown) return E_OUTOFMEMORY;
    std::memcpy(grown, m_block, std::min<SIZE_T>(old, static_cast<SIZE_T>(size.QuadPart)));
    if (m_owned) GlobalFree(m_block);
    m_block = grown;
    m_owned = true;  // the stream made this block, so it is the stream's to free
    return S_OK;
  }

private:
  ~GlobalStream() = default;

  HGLOBAL m_block;
  bool m_owned;
  ULONGLONG m_position = 0;
  std::atomic<ULONG> m_references{1};
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, LPSTREAM* stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  bool owned = deleteOnRelease != FALSE;
  if (!block) {
    block = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!block) return E_OUTOFMEMORY;
    owned = true;
  } else if (!GlobalLock(block)) {
    return E_INVALIDARG;  // not a global memory block
  } else {
    GlobalUnlock(block);
  }
  auto* created = new (std::nothrow) GlobalStream(block, owned);
  if (!created) return E_OUTOFMEMORY;
  *stream = created;
  return S_OK;
}
