#pragma once
// CString: the class library's 8-bit string, in the ANSI code page (UTF-8). A value: copies are
// independent. Its only data member is the pointer to a NUL-terminated buffer, so the object is the
// size of a pointer and converts to LPCSTR for free. Indices and lengths count bytes.
#include <base/WinDef.h>
#include <framework/FormatArgs.h>

#include <compare>
#include <cstdarg>
#include <string_view>

class CString {
public:
  CString();
  CString(const CString& other);
  CString(CString&& other) noexcept;
  CString(LPCSTR text);  // null gives an empty string
  CString(LPCSTR text, int length);
  CString(char ch, int repeat = 1);
  explicit CString(std::string_view text);
  ~CString();

  CString& operator=(const CString& other);
  CString& operator=(CString&& other) noexcept;
  CString& operator=(LPCSTR text);
  CString& operator=(char ch);

  int GetLength() const;
  BOOL IsEmpty() const { return GetLength() == 0; }
  void Empty();
  char GetAt(int index) const;
  void SetAt(int index, char ch);
  char operator[](int index) const { return GetAt(index); }
  operator LPCSTR() const { return m_pchData; }

  CString& operator+=(const CString& text);
  CString& operator+=(LPCSTR text);
  CString& operator+=(char ch);
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCSTR b);
  friend CString operator+(LPCSTR a, const CString& b);
  friend CString operator+(const CString& a, char b);
  friend CString operator+(char a, const CString& b);

  // Byte-wise, as strcmp: <0, 0, >0. CompareNoCase folds ASCII letters only (the C locale).
  int Compare(LPCSTR text) const;
  int CompareNoCase(LPCSTR text) const;
  friend bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
  friend bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
  friend std::strong_ordering operator<=>(const CString& a, const CString& b) { return a.Compare(b) <=> 0; }
  friend std::strong_ordering operator<=>(const CString& a, LPCSTR b) { return a.Compare(b) <=> 0; }

  // Pieces. Out-of-range arguments are clamped: a negative first is 0, a count past the end is cut.
  // String `id` of the current module's string table (AfxGetResourceHandle); FALSE, leaving the
  // string as it was, when there is none.
  BOOL LoadString(UINT id);

  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString SpanIncluding(LPCSTR charSet) const;  // the leading run of bytes in the set
  CString SpanExcluding(LPCSTR charSet) const;  // the leading run of bytes not in the set

  // Searches give a byte index or -1.
  int Find(char ch, int start = 0) const;
  int Find(LPCSTR sub, int start = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(LPCSTR charSet) const;

  // Edits. Replace and Remove return how many were replaced or removed; Insert and Delete the new
  // length. An index past the end of Insert appends; Delete cuts its count at the end.
  int Replace(char oldCh, char newCh);
  int Replace(LPCSTR oldText, LPCSTR newText);
  int Remove(char ch);
  int Insert(int index, char ch);
  int Insert(int index, LPCSTR text);
  int Delete(int index, int count = 1);

  // Case of ASCII letters and of the Latin, Greek and Cyrillic letters; other bytes stay as they
  // are. MakeReverse reverses characters, keeping each UTF-8 sequence whole.
  void MakeUpper();
  void MakeLower();
  void MakeReverse();

  void TrimLeft();                  // white space: blank, tab, CR, LF, VT, FF
  void TrimLeft(char target);
  void TrimLeft(LPCSTR targets);
  void TrimRight();
  void TrimRight(char target);
  void TrimRight(LPCSTR targets);

  // printf formatting with the Windows sizes (long is 32 bits, %I64d and %lld 64). The arguments are
  // taken by type, so a CString passed for %s works as it does with the class library on Windows.
  template <class... Args>
  void Format(LPCSTR format, const Args&... args) {
    const tolvar::framework::FormatArg list[] = {tolvar::framework::FormatArg(args)..., {}};
    FormatArgs(format, list, sizeof...(Args));
  }
  // For the caller's own variadic functions: `%s` takes a `const char*` here, so pass strings as
  // LPCSTR (passing a CString through `...` does not compile in this code base).
  void FormatV(LPCSTR format, va_list args);

  // Direct access to the buffer: GetBuffer gives room for at least `minLength` bytes plus a NUL;
  // ReleaseBuffer ends the access, with the new length or -1 for "up to the first NUL".
  LPSTR GetBuffer(int minLength);
  LPSTR GetBufferSetLength(int newLength);
  void ReleaseBuffer(int newLength = -1);

private:
  struct Data;
  static LPSTR EmptyText();  // the one shared buffer of every empty string; never written
  bool IsShared() const { return m_pchData == EmptyText(); }
  Data* GetData() const;
  std::string_view View() const { return {m_pchData, static_cast<size_t>(GetLength())}; }
  void Assign(std::string_view text);
  void Reserve(int capacity);  // own a writable buffer of at least `capacity` bytes, keeping the text
  void SetLength(int length);
  void FormatArgs(LPCSTR format, const tolvar::framework::FormatArg* args, size_t count);

  LPSTR m_pchData;
};

namespace tolvar::framework {
inline FormatArg::FormatArg(const CString& text) : kind(Kind::String), pointer(static_cast<LPCSTR>(text)) {}
}  // namespace tolvar::framework
