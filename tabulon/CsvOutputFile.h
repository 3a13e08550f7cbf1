#pragma once
// The export file and the log: written under a temporary name beside the target and renamed over
// it only when whole, so a failed or interrupted run leaves the old file as it was and nothing
// behind. Stands in for the suite's shared write-then-rename writer until it is in this tree.
#include "CsvEngine.h"

#include <kernel/UniqueHandle.h>

#include <string>
#include <string_view>

namespace tabulon {

class CCsvOutputFile final : public ICsvOutput {
public:
  CCsvOutputFile() = default;
  ~CCsvOutputFile() override;  // an uncommitted file is discarded
  CCsvOutputFile(const CCsvOutputFile&) = delete;
  CCsvOutputFile& operator=(const CCsvOutputFile&) = delete;

  bool Open(std::string_view path);  // false + last error
  bool IsOpen() const { return static_cast<bool>(m_file); }
  bool Write(std::string_view bytes) override;  // after one failure every later call fails
  bool Commit();                                // false: the old file is whole
  void Discard();
  const std::string& Path() const { return m_path; }

private:
  tolvar::kernel::UniqueHandle m_file;
  std::string m_path;
  std::string m_temporary;
  bool m_failed = false;
};

}  // namespace tabulon
