// The phone's reply texts as the command routines take them apart: fields at the delimiters, the
// numbers and counts in them, and the hex text of file chunks decoded into buffers of any size.
#include "FuzzInput.h"

#include "HexCodec.h"
#include "ReplyFields.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const int limit = input.Below(70000);
  const std::size_t outputSize = static_cast<std::size_t>(input.Below(300));
  const std::string_view text = input.RestText();

  for (const std::string_view delimiters : {":", ",", ":,", " \t"}) {
    CReplyFields fields;
    fields.Split(text, delimiters);
    for (std::size_t i = 0; i <= fields.GetCount(); ++i) {
      const std::string& field = fields.GetField(i);
      ReadNumber(field);
      int count = -1;
      if (ReadCount(field, limit, count) && (count < 0 || count > limit)) std::abort();
      EqualsNoCase(field, "ERROR");
    }
  }

  std::vector<BYTE> decoded(outputSize);
  DWORD count = 0;
  if (HexDecode(text, decoded, count) && count > decoded.size()) std::abort();
  // Whatever decodes must encode back to as many hex digits, within the buffer given.
  std::vector<char> hex(2 * count + 1);
  HexEncode(std::span<const BYTE>(decoded.data(), count), hex);
  HexText(std::span<const BYTE>(decoded.data(), count));
  return 0;
}
