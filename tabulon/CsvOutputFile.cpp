// Write-then-rename for the export file and the log: see CsvOutputFile.h.
#include "CsvOutputFile.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/Process.h>

namespace tabulon {

CCsvOutputFile::~CCsvOutputFile() { Discard(); }

bool CCsvOutputFile::Open(std::string_view path) {
  Discard();
  m_path.assign(path);
  m_temporary = m_path + ".~" + std::to_string(GetCurrentProcessId()) + ".tmp";
  m_failed = false;
  m_file.Reset(CreateFileA(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
  if (!m_file) {
    m_failed = true;
    return false;
  }
  return true;
}

bool CCsvOutputFile::Write(std::string_view bytes) {
  if (m_failed || !m_file) {
    if (!m_failed) SetLastError(ERROR_INVALID_HANDLE);
    m_failed = true;
    return false;
  }
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    if (!WriteFile(m_file.Get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
      m_failed = true;
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool CCsvOutputFile::Commit() {
  if (m_failed || !m_file) {
    Discard();
    return false;
  }
  const bool flushed = FlushFileBuffers(m_file.Get()) != FALSE;
  const bool closed = CloseHandle(m_file.Release()) != FALSE;
  if (!flushed || !closed || !MoveFileExA(m_temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(m_temporary.c_str());
    SetLastError(error);
    m_failed = true;
    return false;
  }
  m_temporary.clear();
  return true;
}

void CCsvOutputFile::Discard() {
  if (m_file) m_file.Reset();
  if (!m_temporary.empty()) DeleteFileA(m_temporary.c_str());
  m_temporary.clear();
}

}  // namespace tabulon
