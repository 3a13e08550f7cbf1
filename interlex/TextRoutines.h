#pragma once
// The text routines the vCard and vCalendar readers and writers share: the byte budget that keeps a
// value within what the phone can store, quoted-printable decoding and encoding, and the clean-ups of
// numbers and file names. They work on the ANSI text of the suite (UTF-8); values that arrive in
// another encoding are made UTF-8 first (`ToAnsiText`).
#include <framework/Afx.h>

#include <string>
#include <string_view>

namespace interlex {

// The bytes of a text, without copying.
inline std::string_view AsView(const CString& text) {
  return {static_cast<LPCSTR>(text), static_cast<size_t>(text.GetLength())};
}

// Cuts `text` to what `limit` bytes of the phone's UTF-8 hold, counting in `codePage`:
//  - in UTF-8 (CP_ACP, CP_UTF8) each character counts its own bytes and the cut falls between
//    characters;
//  - in a single-byte code page (1252, 850) a byte below 0x80 counts 1 and any other 3, the most one
//    character can take in UTF-8;
//  - in a double-byte code page a lead byte and its trail byte are one character that counts 3 and
//    are kept or dropped together; with keepDoubleByte 0 a text holding such a character gives "".
CString ShortStrChange(int limit, const CString& text, int keepDoubleByte, UINT codePage = CP_ACP);

// The number of leading bytes of `text` that ShortStrChange keeps.
size_t ShortLength(int limit, std::string_view text, int keepDoubleByte, UINT codePage = CP_ACP);

// Two hexadecimal digits as a number. A character that is no hexadecimal digit replaces what was
// built so far by its own code; one character gives its code, any other length 0.
int StrToIntA(std::string_view text);

// Quoted-printable decoding of one joined value (soft line breaks already removed). An escape cut
// short by the end of the value is kept as text.
CString QPDecode(const CString& text);
// The encoding the decoder reads back: '=' as =3D, control bytes and bytes from 0x80 as =XX, all on
// one line, never ending in '='.
CString QPEncode(std::string_view text);

// Drops the characters a phone number or a file name cannot hold: \ / : * ? < > | - ; and '"'.
CString RemoveCharacteres(const CString& text);
// File names: \ / : * ? < > | and '"' removed (dashes and semicolons stay).
CString RemoveFileNameCharacters(const CString& text);

// UTF-8 length of one UTF-16 unit (1 below 0x80, 2 below 0x800, else 3), and of a text of the ANSI
// code page summed per unit (a character outside the basic plane counts its two units, 3 each).
int GetUTF8Len(wchar_t ch);
int GetUTF8Len(const CString& text);

// A value as read from a file: kept when it is valid UTF-8, else taken as code page 1252 (a file
// written on another system) and converted. NUL bytes are left out.
CString ToAnsiText(std::string_view bytes);
// The same without a copy for valid UTF-8: the view itself, else the conversion held in `scratch`.
std::string_view AnsiView(std::string_view bytes, std::string& scratch);
bool IsValidUtf8(std::string_view bytes);

// CR and LF become blanks, for values whose line has no room for a line break.
CString BlankLineBreaks(const CString& text);
bool HasLineBreak(const CString& text);

}  // namespace interlex
