// The text conversions between the phone's UTF-8 fields and the suite's strings: decoding bytes of
// any kind into buffers of any size, encoding back, the GSM alphabet checks, and a record field read
// as text.
#include "FuzzInput.h"

#include "PhoneText.h"
#include "StoreFields.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::size_t wideSize = static_cast<std::size_t>(input.Below(2100));
  const std::size_t utf8Size = static_cast<std::size_t>(input.Below(2100));
  const int limit = input.Below(200);
  const std::string_view bytes = input.RestText();

  std::vector<WCHAR> wide(wideSize);
  const int count = DecodeUtf8(wide, bytes);
  if (count < 0 || static_cast<std::size_t>(count) > wide.size()) std::abort();
  std::vector<BYTE> utf8(utf8Size);
  const int length = EncodeUtf8(utf8, std::u16string_view(wide.data(), static_cast<std::size_t>(count)));
  if (length < 0 || static_cast<std::size_t>(length) > utf8.size()) std::abort();
  for (int i = 0; i < count; ++i) {
    BYTE gsm[2];
    UcsToGsm(wide[static_cast<std::size_t>(i)], gsm);
    GsmCharClass(wide[static_cast<std::size_t>(i)]);
  }

  CPhoneText text;
  text.FromUtf8(bytes);
  const BYTE* out = nullptr;
  int outLength = 0;
  text.ToUtf8(out, outLength);
  if (outLength < 0 || outLength > CPhoneText::kBufferSize) std::abort();
  const char* ansi = nullptr;
  text.ToAnsiBuffer(ansi);
  text.FitsGsmLimit(limit);

  // The raw bytes as a stored field, and a typed text written into a field of the limit's size.
  const CString read = ReadFieldText(std::span<const BYTE>(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()),
                                     limit % 2 == 0);
  std::vector<BYTE> field(static_cast<std::size_t>(limit));
  WriteFieldText(field, read, limit);
  std::vector<BYTE> packed;
  FieldText(CString(bytes.data(), static_cast<int>(bytes.size())), limit, field.size(), packed);
  return 0;
}
