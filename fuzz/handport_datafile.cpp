// The phone data file loader against any bytes: the file is written to a temporary file and
// loaded into a phone object with every kind selected, with and without a serial number
// accepted. Whatever the bytes, the load ends with a result code and reads nothing outside them.
#include "LinkEngine.h"
#include "PhoneDevice.h"

#include <kernel/Process.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("handport_datafile_" + std::to_string(GetCurrentProcessId()) + ".dat")).string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static CLinkEngine engine;
  CPhoneDevice phone(engine);
  // The first byte, when there is one, chooses whether a serial number is accepted.
  phone.SetKindMask(0x3FF);
  phone.LoadDataFile(path.c_str(), size > 0 && (data[0] & 1));
  // What was loaded goes out again as sections, as a save would write them.
  std::vector<BYTE> bytes;
  phone.GetGroupNames(19, 42, bytes);
  for (int slot = 0; slot < 500; slot += 97) phone.GetContactRecord(slot, bytes);
  return 0;
}
