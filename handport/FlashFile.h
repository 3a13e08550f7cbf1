#pragma once
// One file of the phone's flash file system, named by a file number and a sub-number and read,
// written or erased whole. The record stores use it: they choose the numbers and lay out the
// bytes (a new file is filled with the store's filler byte first).
#include "LinkEngine.h"

#include <base/WinDef.h>

#include <span>
#include <vector>

// The last error of a flash file whose chunk holds no hex text.
constexpr DWORD ERROR_FILE_BAD_HEX = 0x20020108;

class CFlashFile {
 public:
  // The chunk the phone's flash buffer holds: 64 bytes, 128 hex characters.
  static constexpr int kChunkSize = 64;

  int Bind(CLinkEngine& engine, int fileNumber, int subNumber);
  // A new data buffer of `size` bytes, each `value`.
  int Fill(int size, BYTE value);

  // Reads the file from the phone: a reply of the wrong shape is asked for again, up to three
  // times for the size and for each chunk. A file of size 0 reads as no data. On failure the last
  // error says why and the file holds no data.
  int Read();
  // Writes the data as the file; a refusal by the phone is a failure (ERROR_PHONE_BAD_REPLY).
  int Write();
  // Erases the file on the phone and drops the data; a refusal is a failure.
  int Erase();

  std::span<BYTE> Data() { return m_data; }
  std::span<const BYTE> Data() const { return m_data; }
  int Size() const { return static_cast<int>(m_data.size()); }

 private:
  bool Bound() const;

  CLinkEngine* m_engine = nullptr;
  int m_file = -1;
  int m_sub = -1;
  std::vector<BYTE> m_data;
};
