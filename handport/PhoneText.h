#pragma once
// Texts between the PC and the phone. The phone keeps its texts in UTF-8 of UCS-2 characters (one
// to three bytes each); the PC side holds them in the ANSI code page, which on this system is
// UTF-8 too, so the round trip keeps every character the phone can hold. CPhoneText also measures
// a text in units of the GSM 03.38 default alphabet, for the phone's length limits.
#include <framework/Afx.h>

#include <span>
#include <string_view>

class CPhoneText {
 public:
  static constexpr int kBufferSize = 1024;

  CPhoneText() = default;
  explicit CPhoneText(const CString& text) : m_text(text) {}
  virtual ~CPhoneText() = default;

  // The held text as the phone's UTF-8, cut to whole characters within kBufferSize bytes. The
  // bytes stay valid while this object lives and until the next conversion. Returns 1.
  int ToUtf8(const BYTE*& bytes, int& length);
  // Takes the phone's UTF-8 up to its first NUL or the end of `utf8`. Returns 1.
  int FromUtf8(std::string_view utf8);
  // The held text, NUL-terminated, cut to whole characters within kBufferSize bytes. Returns 1.
  int ToAnsiBuffer(const char*& text);
  // Whether the held text costs at most `limit` units of the GSM alphabet.
  bool FitsGsmLimit(int limit) const;

  const CString& Text() const { return m_text; }

 private:
  CString m_text;
  BYTE m_buffer[kBufferSize] = {};
};

// UCS-2 (UTF-16 units) to the phone's UTF-8. Writes only whole characters that fit `output`
// and returns the bytes written. A surrogate pair, which the phone cannot hold as one character,
// becomes its four-byte form so that the byte count is that of the PC's own UTF-8.
int EncodeUtf8(std::span<BYTE> output, std::u16string_view input);

// The phone's UTF-8 to UCS-2, up to a NUL byte or the end of `input`, at most output.size() - 1
// characters, NUL-terminated; returns the characters written. A two- or three-byte form whose
// continuation bytes are missing or are not continuation bytes, a four-byte form and a stray
// continuation byte each give characters of their bytes' own values, one per byte.
int DecodeUtf8(std::span<WCHAR> output, std::string_view input);

// What one character costs in the GSM alphabet: 1 a character of the default alphabet, 2 one of
// its extension table (sent as ESC and a code), 3 a character it lacks (sent as a space).
int GsmCharClass(WCHAR c);

// The GSM code of one character: one byte, or ESC and a byte for the extension table; a
// character without an equivalent gives the space. Returns the bytes written (1 or 2).
int UcsToGsm(WCHAR c, BYTE (&gsm)[2]);
