#pragma once
// A fresh home folder for one test: TOLVAR_HOME points at it while the object lives, and the
// device trees the serial device map scans point at empty folders in it, so the machine's own
// serial ports never show. Child processes inherit it through the environment.
#include <string>

namespace tolvar::comm::testing {

class TemporaryHome {
public:
  TemporaryHome();
  ~TemporaryHome();
  TemporaryHome(const TemporaryHome&) = delete;
  TemporaryHome& operator=(const TemporaryHome&) = delete;

  const std::string& Path() const { return m_path; }

private:
  std::string m_path;
};

}  // namespace tolvar::comm::testing
