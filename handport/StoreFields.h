#pragma once
// What the record stores share: little-endian numbers inside a record, the text fields in the
// phone's UTF-8, and the date window that the phone's calendar accepts.
#include <framework/Afx.h>

#include <span>
#include <string_view>
#include <vector>

WORD GetU16(std::span<const BYTE> record, std::size_t at);
DWORD GetU32(std::span<const BYTE> record, std::size_t at);
void PutU16(std::span<BYTE> record, std::size_t at, WORD value);
void PutU32(std::span<BYTE> record, std::size_t at, DWORD value);

// The text in the phone's UTF-8 when it passes the phone's fit check for `gsmLimit` units and its
// UTF-8 form has at most `capacity` bytes; false otherwise. A text the fit check allows can still
// take up to three bytes a character, so both limits are needed to keep a field from spilling into
// the next one.
bool FieldText(const CString& text, int gsmLimit, std::size_t capacity, std::vector<BYTE>& utf8);

// Fills `field` with the text's UTF-8 and zeros after it when FieldText allows it for `gsmLimit`
// units and the field's size; false, with the field untouched, otherwise.
bool WriteFieldText(std::span<BYTE> field, const CString& text, int gsmLimit);

// A text field read back: its bytes up to the first 0x00 (and 0xFF when `stopAtFF`) or its end.
CString ReadFieldText(std::span<const BYTE> field, bool stopAtFF);

// Where a local time stands against the phone's calendar, 2001-01-01 00:00 up to but not including
// 2021-01-01 00:00.
enum class DateWindow { Inside, Earlier, Later };
DateWindow CheckDateWindow(const CTime& time);
