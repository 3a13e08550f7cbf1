#pragma once
// Stand-in for the platform's write-then-rename writer, used only while the platform does not
// provide <kernel/AtomicFile.h> yet (daybook/CMakeLists.txt adds this folder to the include path
// only then). Same declarations as the platform's; remove this folder once the platform has it.
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

  bool Open(std::string_view path);
  bool IsOpen() const { return m_fd >= 0; }
  bool Write(const void* data, std::size_t size);
  bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
  bool Write(std::span<const BYTE> bytes) { return Write(bytes.data(), bytes.size()); }
  bool Commit();
  void Discard();

 private:
  bool Fail(DWORD error);

  int m_fd = -1;
  bool m_broken = false;
  std::string m_target;
  std::string m_temporary;
};

bool WriteFileAtomically(std::string_view path, std::span<const BYTE> bytes);

struct AtomicFileFault {
  bool active = false;
  std::size_t bytesBeforeFailure = 0;
  DWORD error = 0;
  bool failClose = false;
};
void SetAtomicFileFaultForTesting(const AtomicFileFault& fault);

}  // namespace tolvar::kernel
