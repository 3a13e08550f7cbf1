#pragma once
// The one way the suite writes a file it must not damage: documents, exports, logs, downloads and
// backups. The new contents go to a file no one can see until they are whole; every write, the
// flush and the close are checked; only then does the new file take the target's name, in one
// rename. Any failure, a discarded writer or a killed process leaves the old file byte for byte as
// it was and no partial file behind.
//
// On Linux the new file is made unnamed in the target's folder (O_TMPFILE) and given a name only
// when it is committed, so not even a killed writer leaves a temporary file; on a file system
// without unnamed files it falls back to a hidden temporary name beside the target, removed on
// every failure.
//
// One writer belongs to one thread at a time.
#include <base/WinDef.h>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace tolvar::kernel {

class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  explicit AtomicFileWriter(std::string_view path) { Open(path); }
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Begins a new version of `path` (a suite path: either separator, drive letters). The target need
  // not exist; its folder must. False with the last error set; an open writer is discarded first.
  bool Open(std::string_view path);
  bool IsOpen() const { return m_fd >= 0; }

  // False with the last error set (ERROR_DISK_FULL, ERROR_WRITE_FAULT...); after one failure the
  // writer is broken and every later Write and the Commit fail too, with the same error.
  bool Write(const void* data, std::size_t size);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  bool Write(std::span<const BYTE> bytes) { return Write(bytes.data(), bytes.size()); }

  // Flushes the new file to the disk, closes it and puts it in place of the target. False with the
  // last error set leaves the target as it was; the writer is closed either way.
  bool Commit();
  // Drops the new file; the target stays as it was.
  void Discard();

 private:
  bool Fail(DWORD error);

  int m_fd = -1;
  bool m_broken = false;
  DWORD m_error = 0;           // the failure that broke the writer, reported again by later calls
  bool m_unnamed = false;      // O_TMPFILE: the new file has no name until Commit
  std::string m_target;        // host paths
  std::string m_temporary;     // the fallback's temporary name
};

// The whole of `bytes` as the new contents of `path`, through an AtomicFileWriter.
bool WriteFileAtomically(std::string_view path, std::span<const BYTE> bytes);

// Tests make writes fail as a full disk or a failing close would, to show that the old file
// survives: after `bytesBeforeFailure` more bytes every write fails with `error`; `failClose` makes
// the flush at Commit fail. Reset by SetAtomicFileFaultForTesting({}).
struct AtomicFileFault {
  bool active = false;
  std::size_t bytesBeforeFailure = 0;
  DWORD error = 0;
  bool failClose = false;
};
void SetAtomicFileFaultForTesting(const AtomicFileFault& fault);

}  // namespace tolvar::kernel
