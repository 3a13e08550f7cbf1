#pragma once
// A fresh temporary home that TOLVAR_HOME points at while the object lives, so settings, named
// events and the drive folders of one test never meet another's.
#include <string>

namespace linkwell::testing {

class TestHome {
 public:
  TestHome();
  ~TestHome();
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& relative) const { return m_path + "/" + relative; }

 private:
  std::string m_path;
  std::string m_previous;
  bool m_hadPrevious = false;
};

bool FileExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);

// Writes a DWORD value under "Software\Halvane\Tolvar\Settings".
void SetSetting(const char* name, unsigned value);

}  // namespace linkwell::testing
