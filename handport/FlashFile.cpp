#include "FlashFile.h"

#include "FlashTransfer.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>

int CFlashFile::Bind(CLinkEngine& engine, int fileNumber, int subNumber) {
  m_engine = &engine;
  m_file = fileNumber;
  m_sub = subNumber;
  return 1;
}

int CFlashFile::Fill(int size, BYTE value) {
  m_data.assign(static_cast<std::size_t>(std::max(size, 0)), value);
  return 1;
}

bool CFlashFile::Bound() const {
  if (m_engine) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

int CFlashFile::Read() {
  m_data.clear();
  if (!Bound()) return 0;
  const FlashReadRules rules{.chunkSize = kChunkSize, .retryBadShape = true, .badHexError = ERROR_FILE_BAD_HEX};
  return ReadFlashFile(*m_engine, m_file, m_sub, rules, {}, m_data);
}

int CFlashFile::Write() {
  if (!Bound()) return 0;
  return WriteFlashFile(*m_engine, m_file, m_sub, m_data, kChunkSize, {});
}

int CFlashFile::Erase() {
  if (!Bound() || !EraseFlashFile(*m_engine, m_file, m_sub)) return 0;
  m_data.clear();
  return 1;
}
