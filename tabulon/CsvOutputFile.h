#pragma once
// The export file and the log as the engine writes them: the suite's write-then-rename writer
// behind the engine's output interface, so a failed or interrupted run leaves the old file as it
// was and nothing behind.
#include "CsvEngine.h"

#include <kernel/AtomicFile.h>

#include <string>
#include <string_view>

namespace tabulon {

class CCsvOutputFile final : public ICsvOutput {
public:
  CCsvOutputFile() = default;
  CCsvOutputFile(const CCsvOutputFile&) = delete;
  CCsvOutputFile& operator=(const CCsvOutputFile&) = delete;

  bool Open(std::string_view path) {  // false + last error
    m_path.assign(path);
    return m_writer.Open(path);
  }
  bool IsOpen() const { return m_writer.IsOpen(); }
  bool Write(std::string_view bytes) override { return m_writer.Write(bytes); }  // one failure fails the rest
  bool Commit() { return m_writer.Commit(); }  // false: the old file is whole
  void Discard() { m_writer.Discard(); }
  const std::string& Path() const { return m_path; }

private:
  tolvar::kernel::AtomicFileWriter m_writer;
  std::string m_path;
};

}  // namespace tabulon
