// Dial-number fields of a contact record as the phone stores them (count, type, packed digits),
// unpacked; a number that unpacks to a dial string the phone takes must pack back to a field.
#include "FuzzInput.h"

#include "DialNumber.h"

#include <array>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  while (input.Remaining() >= kDialFieldSize) {
    std::array<BYTE, kDialFieldSize> field{};
    const auto bytes = input.Bytes(kDialFieldSize);
    std::copy(bytes.begin(), bytes.end(), field.begin());
    const CString number = UnpackDialString(field);
    if (static_cast<std::size_t>(number.GetLength()) > kMaxDialDigits + 1) std::abort();
    std::array<BYTE, kDialFieldSize> packed{};
    if (CheckDialString(number)) PackDialString(packed, number);
  }
  // The rest as a dial string typed by the user.
  const std::string_view rest = input.RestText();
  const CString typed(rest.data(), static_cast<int>(rest.size()));
  std::array<BYTE, kDialFieldSize> packed{};
  if (CheckDialString(typed) && PackDialString(packed, typed)) UnpackDialString(packed);
  IsServiceString(rest);
  return 0;
}
