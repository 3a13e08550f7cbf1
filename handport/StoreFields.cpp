#include "StoreFields.h"

#include "PhoneText.h"

#include <algorithm>

WORD GetU16(std::span<const BYTE> record, std::size_t at) {
  return static_cast<WORD>(record[at] | record[at + 1] << 8);
}

DWORD GetU32(std::span<const BYTE> record, std::size_t at) {
  return static_cast<DWORD>(record[at]) | static_cast<DWORD>(record[at + 1]) << 8 |
         static_cast<DWORD>(record[at + 2]) << 16 | static_cast<DWORD>(record[at + 3]) << 24;
}

void PutU16(std::span<BYTE> record, std::size_t at, WORD value) {
  record[at] = static_cast<BYTE>(value);
  record[at + 1] = static_cast<BYTE>(value >> 8);
}

void PutU32(std::span<BYTE> record, std::size_t at, DWORD value) {
  for (std::size_t i = 0; i < 4; ++i) record[at + i] = static_cast<BYTE>(value >> (8 * i));
}

bool FieldText(const CString& text, int gsmLimit, std::size_t capacity, std::vector<BYTE>& utf8) {
  CPhoneText phoneText(text);
  if (!phoneText.FitsGsmLimit(gsmLimit)) return false;
  const BYTE* bytes = nullptr;
  int length = 0;
  phoneText.ToUtf8(bytes, length);
  // The conversion stops at its buffer, so a text that filled it was longer still.
  if (length >= CPhoneText::kBufferSize || static_cast<std::size_t>(length) > capacity) return false;
  utf8.assign(bytes, bytes + length);
  return true;
}

bool WriteFieldText(std::span<BYTE> field, const CString& text, int gsmLimit) {
  std::vector<BYTE> utf8;
  if (!FieldText(text, gsmLimit, field.size(), utf8)) return false;
  std::fill(field.begin(), field.end(), 0x00);
  std::copy(utf8.begin(), utf8.end(), field.begin());
  return true;
}

CString ReadFieldText(std::span<const BYTE> field, bool stopAtFF) {
  auto end = std::find_if(field.begin(), field.end(), [stopAtFF](BYTE b) { return b == 0x00 || (stopAtFF && b == 0xFF); });
  CPhoneText text;
  text.FromUtf8(std::string_view(reinterpret_cast<const char*>(field.data()), static_cast<std::size_t>(end - field.begin())));
  return text.Text();
}

DateWindow CheckDateWindow(const CTime& time) {
  if (time < CTime(2001, 1, 1, 0, 0, 0)) return DateWindow::Earlier;
  if (time >= CTime(2021, 1, 1, 0, 0, 0)) return DateWindow::Later;
  return DateWindow::Inside;
}
