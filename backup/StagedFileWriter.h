#pragma once
// A new version of a file that appears under its name only once it is whole: the bytes go to a
// temporary file beside the target, and Commit flushes it to disk and renames it over the target.
// A writer destroyed or discarded before Commit removes its temporary file and leaves an earlier
// file of that name as it was. The interface is that of the suite's atomic writer, so this private
// copy can give way to it without touching its callers.
#include <cstddef>
#include <string>
#include <string_view>

class CStagedFileWriter {
 public:
  CStagedFileWriter() = default;
  ~CStagedFileWriter();
  CStagedFileWriter(const CStagedFileWriter&) = delete;
  CStagedFileWriter& operator=(const CStagedFileWriter&) = delete;

  // A suite path (either separator, "C:\"); false with the last error set.
  bool Open(std::string_view path);
  bool IsOpen() const { return m_fd >= 0; }
  // After one failure every later call fails.
  bool Write(const void* data, std::size_t size);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  // Flush, close and rename over the target; false leaves the old file whole.
  bool Commit();
  void Discard();

 private:
  int m_fd = -1;
  bool m_failed = false;
  std::string m_target;     // host paths
  std::string m_temporary;
};
