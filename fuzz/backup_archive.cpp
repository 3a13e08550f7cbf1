// The backup file reader against any bytes. The first byte chooses how the rest is used: as a whole
// file, or as the payload of one record of a type the next byte names, behind a good header, so the
// decoders see every kind of payload. Whatever the bytes, reading ends with a result code and reads
// nothing outside them.
#include "BackupArchive.h"

#include <kernel/Process.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("backup_archive_" + std::to_string(GetCurrentProcessId()) + ".bck")).string();
  std::vector<uint8_t> file;
  if (size >= 2 && (data[0] & 1)) {
    file.assign(128, 0);
    file[0] = 'P', file[1] = 'M', file[2] = 'D', file[3] = 'C';
    const auto n = static_cast<uint32_t>(size - 2);
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(n >> (8 * i)));
    file.push_back(data[1]);
    file.insert(file.end(), data + 2, data + size);
  } else if (size >= 1) {
    file.assign(data + 1, data + size);
  }
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  DWORD kinds = 0;
  CheckBackupFile(path.c_str(), &kinds);
  return 0;
}
