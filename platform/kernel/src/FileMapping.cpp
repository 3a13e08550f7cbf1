#include <kernel/FileMapping.h>

#include "NamedObjects.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <map>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvar::kernel {
namespace {

constexpr std::uint64_t kAllocationGranularity = 65536;
constexpr DWORD SEC_COMMIT = 0x08000000;  // the default for mappings of no file; accepted and implied

class FileMappingObject : public Object {
public:
  FileMappingObject(std::unique_ptr<NamedSegment> segment, bool writable)
      : m_segment(std::move(segment)), m_fd(m_segment->Fd()), m_base(NamedSegment::kPayloadOffset),
        m_size(m_segment->Header().payloadSize), m_writable(writable) {}
  FileMappingObject(int memfd, std::uint64_t size, bool writable)
      : m_fd(memfd), m_base(0), m_size(size), m_writable(writable) {}
  ~FileMappingObject() override {
    if (!m_segment) close(m_fd);
  }
  ObjectType Type() const override { return ObjectType::FileMapping; }

  int Fd() const { return m_fd; }
  std::uint64_t Base() const { return m_base; }
  std::uint64_t Size() const { return m_size; }
  bool Writable() const { return m_writable; }

private:
  std::unique_ptr<NamedSegment> m_segment;  // null for an unnamed mapping
  int m_fd;
  std::uint64_t m_base;  // where the data starts in the file
  std::uint64_t m_size;
  bool m_writable;
};

struct View {
  std::shared_ptr<FileMappingObject> mapping;  // a view keeps its mapping alive
  size_t length;
};

struct ViewTable {
  std::mutex lock;
  std::map<std::uintptr_t, View> views;
};

ViewTable& Views() {
  static auto* table = new ViewTable;  // never destroyed: views may be unmapped during exit
  return *table;
}

MakeNamedObject MakeMapping(bool writable) {
  return [writable](std::unique_ptr<NamedSegment> segment) {
    return std::make_shared<FileMappingObject>(std::move(segment), writable);
  };
}

}  // namespace
}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name) {
  if (file != INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DWORD page = protect & ~SEC_COMMIT;
  const std::uint64_t size = (static_cast<std::uint64_t>(maximumSizeHigh) << 32) | maximumSizeLow;
  if ((page != PAGE_READONLY && page != PAGE_READWRITE) || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool writable = page == PAGE_READWRITE;
  if (!name || !*name) {
    int fd = memfd_create("tolvar-mapping", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
      if (fd >= 0) close(fd);
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(std::make_shared<FileMappingObject>(fd, size, writable));
  }
  return HandleForCreated(OpenNamedObject(name, NamedKind::FileMapping, size, NamedSegment::Mode::CreateOrOpen,
                                          nullptr, MakeMapping(writable)));
}

HANDLE OpenFileMappingA(DWORD access, BOOL, LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool writable = (access & FILE_MAP_WRITE) != 0;
  return HandleForOpened(OpenNamedObject(name, NamedKind::FileMapping, 0, NamedSegment::Mode::OpenExisting,
                                         nullptr, MakeMapping(writable)));
}

LPVOID MapViewOfFile(HANDLE handle, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
  auto mapping = LookupHandleAs<FileMappingObject>(handle);
  if (!mapping) return nullptr;
  const bool copy = desiredAccess == FILE_MAP_COPY;
  const bool write = (desiredAccess & FILE_MAP_WRITE) != 0;
  if (!copy && !write && (desiredAccess & FILE_MAP_READ) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::uint64_t offset = (static_cast<std::uint64_t>(offsetHigh) << 32) | offsetLow;
  if (offset % kAllocationGranularity != 0) {
    SetLastError(ERROR_MAPPED_ALIGNMENT);
    return nullptr;
  }
  if (offset >= mapping->Size() || bytes > mapping->Size() - offset || (write && !mapping->Writable())) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (bytes == 0) bytes = static_cast<SIZE_T>(mapping->Size() - offset);
  // A named segment's file may have been cut short since it was opened: a view never reaches past
  // its end, where an access would fault.
  struct stat status;
  if (fstat(mapping->Fd(), &status) != 0 ||
      mapping->Base() + offset + bytes > static_cast<std::uint64_t>(status.st_size)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  int protection = (write || copy) ? PROT_READ | PROT_WRITE : PROT_READ;
  void* address = mmap(nullptr, bytes, protection, copy ? MAP_PRIVATE : MAP_SHARED, mapping->Fd(),
                       static_cast<off_t>(mapping->Base() + offset));
  if (address == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  ViewTable& views = Views();
  std::lock_guard guard(views.lock);
  views.views[reinterpret_cast<std::uintptr_t>(address)] = View{std::move(mapping), bytes};
  return address;
}

BOOL UnmapViewOfFile(LPCVOID address) {
  View view;
  {
    ViewTable& views = Views();
    std::lock_guard guard(views.lock);
    auto it = views.views.find(reinterpret_cast<std::uintptr_t>(address));
    if (it == views.views.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    view = std::move(it->second);
    views.views.erase(it);
  }
  munmap(const_cast<void*>(address), view.length);
  return TRUE;  // the mapping goes with `view` when this was its last user
}
