#pragma once
// A named kernel object's shared-memory segment (POSIX shared memory, one segment per name).
//
// The segment's name carries the home folder's tag, so different homes never meet. Its life follows
// Windows': the name goes when the last handle in the last process goes, and a process that dies
// simply drops out. Each process that has the object open holds a shared lock on byte 1 of the
// segment (an open-file-description lock, which the kernel drops when the process dies); opening and
// closing take byte 0 exclusively, so "no one else holds byte 1" is a reliable test for "this object
// is ours alone": the last closer removes the name, and an opener that finds a leftover of a crashed
// process starts it afresh instead of trusting its state.
#include "SyncBlock.h"

#include <base/WinDef.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tolvar::kernel {

enum class NamedKind : std::uint32_t { Event = 1, Mutex = 2, Semaphore = 3, FileMapping = 4 };

struct SegmentHeader {
  std::uint32_t magic;  // written last, once the segment is ready
  NamedKind kind;
  std::uint64_t payloadSize;
  char name[MAX_PATH + 1];  // the object's own name: two names that shorten alike are told apart
  SyncBlock sync;
};

class NamedSegment {
public:
  enum class Mode { CreateOrOpen, OpenExisting };
  struct Result {
    std::unique_ptr<NamedSegment> segment;
    bool existed = false;
    DWORD error = 0;  // when there is no segment
  };

  // Data of a file mapping starts at this offset, a multiple of every page size.
  static constexpr std::uint64_t kPayloadOffset = 65536;

  // Opens the segment of `name`, creating it when `mode` allows. `initialise` fills a new segment's
  // state (a mutex created owned is taken here) before any other process can see it.
  static Result Open(std::string_view name, NamedKind kind, std::uint64_t payloadSize, Mode mode,
                     const std::function<void(SegmentHeader&)>& initialise);

  // The segment name of an object name under the current home.
  static std::string SegmentName(std::string_view name);

  ~NamedSegment();
  NamedSegment(const NamedSegment&) = delete;
  NamedSegment& operator=(const NamedSegment&) = delete;

  SegmentHeader& Header() { return *m_header; }
  int Fd() const { return m_fd; }
  const std::string& Name() const { return m_segmentName; }

private:
  NamedSegment(std::string segmentName, int fd, SegmentHeader* header);

  std::string m_segmentName;
  int m_fd;
  SegmentHeader* m_header;
};

}  // namespace tolvar::kernel
