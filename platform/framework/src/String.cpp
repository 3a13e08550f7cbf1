#include <framework/String.h>

#include "Format.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>
#include <new>
#include <string>

// The buffer: a header with the length and the room, then the text and its NUL. The empty string
// shares one static buffer, so a default-constructed CString allocates nothing; anything that writes
// first takes a buffer of its own.
struct CString::Data {
  int length;
  int capacity;  // bytes of text the buffer holds, without the NUL
  char* Text() { return reinterpret_cast<char*>(this + 1); }
};

LPSTR CString::EmptyText() {
  static struct {
    Data header{0, 0};
    char text[1] = {0};
  } empty;
  return empty.text;
}

namespace {

int ToInt(size_t n) {
  if (n > static_cast<size_t>(INT_MAX / 2)) throw std::bad_alloc();
  return static_cast<int>(n);
}

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Case pairs among the two-byte UTF-8 characters (U+0080-U+07FF), so a change of case never changes
// a text's length. Each entry describes capital letters and how their small letters are found.
enum class Rule { Offset, EvenPairs, OddPairs };  // small = capital + delta; or capital + 1 in pairs
struct CaseRange {
  char32_t first, last;  // the capitals (for pairs: the whole run)
  Rule rule;
  int delta;
};
constexpr CaseRange kCaseRanges[] = {
  {0x00C0, 0x00D6, Rule::Offset, 0x20},   {0x00D8, 0x00DE, Rule::Offset, 0x20},
  {0x0100, 0x012F, Rule::EvenPairs, 1},   {0x0132, 0x0137, Rule::EvenPairs, 1},
  {0x0139, 0x0148, Rule::OddPairs, 1},    {0x014A, 0x0177, Rule::EvenPairs, 1},
  {0x0178, 0x0178, Rule::Offset, -0x79},  {0x0179, 0x017E, Rule::OddPairs, 1},
  {0x0386, 0x0386, Rule::Offset, 0x26},   {0x0388, 0x038A, Rule::Offset, 0x25},
  {0x038C, 0x038C, Rule::Offset, 0x40},   {0x038E, 0x038F, Rule::Offset, 0x3F},
  {0x0391, 0x03A1, Rule::Offset, 0x20},   {0x03A3, 0x03AB, Rule::Offset, 0x20},
  {0x0400, 0x040F, Rule::Offset, 0x50},   {0x0410, 0x042F, Rule::Offset, 0x20},
  {0x0460, 0x0481, Rule::EvenPairs, 1},   {0x048A, 0x04BF, Rule::EvenPairs, 1},
  {0x04C1, 0x04CE, Rule::OddPairs, 1},    {0x04D0, 0x04FF, Rule::EvenPairs, 1},
};
constexpr char32_t kFinalSigma = 0x03C2, kCapitalSigma = 0x03A3;

bool IsPairCapital(const CaseRange& r, char32_t c) {
  return c >= r.first && c < r.last && (c % 2 == 0) == (r.rule == Rule::EvenPairs);
}

char32_t ToLower(char32_t c) {
  for (const CaseRange& r : kCaseRanges) {
    if (r.rule == Rule::Offset ? (c >= r.first && c <= r.last) : IsPairCapital(r, c))
      return static_cast<char32_t>(static_cast<int>(c) + r.delta);
  }
  return c;
}

char32_t ToUpper(char32_t c) {
  if (c == kFinalSigma) return kCapitalSigma;
  for (const CaseRange& r : kCaseRanges) {
    char32_t capital = static_cast<char32_t>(static_cast<int>(c) - r.delta);
    if (r.rule == Rule::Offset ? (capital >= r.first && capital <= r.last) : IsPairCapital(r, capital))
      return capital;
  }
  return c;
}

// Length of the UTF-8 sequence at text[i], or 1 for a byte that does not start a whole one.
size_t SequenceLength(std::string_view text, size_t i) {
  auto byte = static_cast<unsigned char>(text[i]);
  size_t n = byte >= 0xF0 && byte <= 0xF4 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 && byte <= 0xDF ? 2 : 1;
  if (byte >= 0xF5 || i + n > text.size()) return 1;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  return n;
}

// Applies `map` to each ASCII letter and each two-byte character, in place.
template <class Ascii, class Wide>
void ChangeCase(char* text, int length, Ascii ascii, Wide wide) {
  std::string_view view(text, static_cast<size_t>(length));
  for (size_t i = 0; i < view.size();) {
    size_t n = SequenceLength(view, i);
    if (n == 1) {
      text[i] = ascii(text[i]);
    } else if (n == 2) {
      auto b0 = static_cast<unsigned char>(text[i]), b1 = static_cast<unsigned char>(text[i + 1]);
      char32_t mapped = wide(static_cast<char32_t>(((b0 & 0x1F) << 6) | (b1 & 0x3F)));
      text[i] = static_cast<char>(0xC0 | (mapped >> 6));
      text[i + 1] = static_cast<char>(0x80 | (mapped & 0x3F));
    }
    i += n;
  }
}

std::string_view Safe(LPCSTR text) { return text ? std::string_view(text) : std::string_view(); }

class TypedSource : public tolvar::framework::FormatSource {
public:
  using Arg = tolvar::framework::FormatArg;
  TypedSource(const Arg* args, size_t count) : m_args(args), m_count(count) {}

  long long NextInteger(int) override {
    const Arg& a = Next();
    switch (a.kind) {
      case Arg::Kind::Signed:
      case Arg::Kind::Unsigned: return a.integer;
      case Arg::Kind::Real: return static_cast<long long>(a.real);
      case Arg::Kind::String:
      case Arg::Kind::Pointer: return static_cast<long long>(reinterpret_cast<std::uintptr_t>(a.pointer));
      case Arg::Kind::None: return 0;
    }
    return 0;
  }
  double NextReal() override {
    const Arg& a = Next();
    if (a.kind == Arg::Kind::Real) return a.real;
    if (a.kind == Arg::Kind::Signed) return static_cast<double>(a.integer);
    if (a.kind == Arg::Kind::Unsigned) return static_cast<double>(static_cast<unsigned long long>(a.integer));
    return 0;
  }
  const char* NextString() override {
    const Arg& a = Next();
    return a.kind == Arg::Kind::String || a.kind == Arg::Kind::Pointer ? static_cast<const char*>(a.pointer)
                                                                        : nullptr;
  }
  const void* NextPointer() override {
    const Arg& a = Next();
    if (a.kind == Arg::Kind::Signed || a.kind == Arg::Kind::Unsigned)
      return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(a.integer));
    return a.pointer;
  }

private:
  // A format that asks for more arguments than were given reads empty ones, never past the list.
  const Arg& Next() { return m_index < m_count ? m_args[m_index++] : m_args[m_count]; }

  const Arg* m_args;
  size_t m_count;
  size_t m_index = 0;
};

class VaListSource : public tolvar::framework::FormatSource {
public:
  explicit VaListSource(va_list args) { va_copy(m_args, args); }
  ~VaListSource() override { va_end(m_args); }
  long long NextInteger(int bits) override { return bits > 32 ? va_arg(m_args, long long) : va_arg(m_args, int); }
  double NextReal() override { return va_arg(m_args, double); }
  const char* NextString() override { return va_arg(m_args, const char*); }
  const void* NextPointer() override { return va_arg(m_args, const void*); }

private:
  va_list m_args;
};

}  // namespace

// Construction and assignment ---------------------------------------------------------------------

CString::CString() : m_pchData(EmptyText()) {}
CString::CString(const CString& other) : CString() { Assign(other.View()); }
CString::CString(CString&& other) noexcept : m_pchData(other.m_pchData) { other.m_pchData = EmptyText(); }
CString::CString(LPCSTR text) : CString() { Assign(Safe(text)); }
CString::CString(LPCSTR text, int length) : CString() {
  // Stops at a NUL inside the count, since the text can hold none.
  Assign(text && length > 0 ? std::string_view(text, strnlen(text, static_cast<size_t>(length))) : "");
}
CString::CString(char ch, int repeat) : CString() {
  if (repeat > 0) Assign(std::string(static_cast<size_t>(repeat), ch));
}
CString::CString(std::string_view text) : CString() { Assign(text.substr(0, text.find('\0'))); }

CString::~CString() {
  if (!IsShared()) ::operator delete(GetData());
}

CString& CString::operator=(const CString& other) {
  if (this != &other) Assign(other.View());
  return *this;
}
CString& CString::operator=(CString&& other) noexcept {
  if (this != &other) std::swap(m_pchData, other.m_pchData);
  return *this;
}
CString& CString::operator=(LPCSTR text) {
  Assign(Safe(text));  // Assign copes with a text inside this string's own buffer
  return *this;
}
CString& CString::operator=(char ch) {
  Assign(std::string_view(&ch, 1));
  return *this;
}

CString::Data* CString::GetData() const { return reinterpret_cast<Data*>(m_pchData) - 1; }

void CString::Reserve(int capacity) {
  Data* data = GetData();
  if (!IsShared() && data->capacity >= capacity) return;
  int length = data->length;
  int room = std::max(capacity, length);
  auto* fresh = static_cast<Data*>(::operator new(sizeof(Data) + static_cast<size_t>(room) + 1));
  fresh->length = length;
  fresh->capacity = room;
  std::memcpy(fresh->Text(), m_pchData, static_cast<size_t>(length));
  std::memset(fresh->Text() + length, 0, static_cast<size_t>(room - length) + 1);
  if (!IsShared()) ::operator delete(data);
  m_pchData = fresh->Text();
}

void CString::SetLength(int length) {
  GetData()->length = length;
  m_pchData[length] = '\0';
}

void CString::Assign(std::string_view text) {
  int length = ToInt(text.size());
  if (length == 0) {
    Empty();
    return;
  }
  if (IsShared() || GetData()->capacity < length) {
    // A text inside this string's own buffer is never longer than the buffer, so it never gets
    // here: the old buffer can go before the new one is filled.
    Empty();
    Reserve(length);
    std::memcpy(m_pchData, text.data(), text.size());
  } else {
    std::memmove(m_pchData, text.data(), text.size());
  }
  SetLength(length);
}

// Access --------------------------------------------------------------------------------------------

int CString::GetLength() const { return GetData()->length; }

void CString::Empty() {
  if (!IsShared()) ::operator delete(GetData());
  m_pchData = EmptyText();
}

char CString::GetAt(int index) const {
  assert(index >= 0 && index < GetLength() && "CString index out of range");
  return m_pchData[index];
}

void CString::SetAt(int index, char ch) {
  assert(index >= 0 && index < GetLength() && "CString index out of range");
  if (index < 0 || index >= GetLength()) return;
  m_pchData[index] = ch;
}

CString& CString::operator+=(const CString& text) { return *this += static_cast<LPCSTR>(text); }

CString& CString::operator+=(LPCSTR text) {
  std::string joined(View());
  joined += Safe(text);
  Assign(joined);
  return *this;
}

CString& CString::operator+=(char ch) {
  int length = GetLength();
  Reserve(length + 1 > GetData()->capacity ? std::max(length + 1, length * 2) : length + 1);
  m_pchData[length] = ch;
  SetLength(length + 1);
  return *this;
}

CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, LPCSTR b) { CString r(a); r += b; return r; }
CString operator+(LPCSTR a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }

// Comparison ----------------------------------------------------------------------------------------

int CString::Compare(LPCSTR text) const { return std::strcmp(m_pchData, text ? text : ""); }

int CString::CompareNoCase(LPCSTR text) const {
  const char* a = m_pchData;
  const char* b = text ? text : "";
  for (;; ++a, ++b) {
    auto x = static_cast<unsigned char>(AsciiLower(*a)), y = static_cast<unsigned char>(AsciiLower(*b));
    if (x != y || x == 0) return x < y ? -1 : x > y ? 1 : 0;
  }
}

// Pieces --------------------------------------------------------------------------------------------

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  int length = GetLength();
  first = std::clamp(first, 0, length);
  count = std::clamp(count, 0, length - first);
  return CString(View().substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(LPCSTR charSet) const {
  return Left(static_cast<int>(std::strspn(m_pchData, charSet ? charSet : "")));
}

CString CString::SpanExcluding(LPCSTR charSet) const {
  return Left(static_cast<int>(std::strcspn(m_pchData, charSet ? charSet : "")));
}

// Searching -----------------------------------------------------------------------------------------

int CString::Find(char ch, int start) const {
  if (start < 0) start = 0;
  if (start >= GetLength()) return -1;
  size_t at = View().find(ch, static_cast<size_t>(start));
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCSTR sub, int start) const {
  if (start < 0) start = 0;
  if (start > GetLength()) return -1;
  size_t at = View().find(Safe(sub), static_cast<size_t>(start));
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const {
  size_t at = View().rfind(ch);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(LPCSTR charSet) const {
  if (!charSet || !*charSet) return -1;
  size_t at = View().find_first_of(charSet);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// Editing -------------------------------------------------------------------------------------------

int CString::Replace(char oldCh, char newCh) {
  int count = 0;
  if (oldCh == newCh || oldCh == '\0') return 0;
  for (int i = 0; i < GetLength(); ++i) {
    if (m_pchData[i] == oldCh) {
      m_pchData[i] = newCh;  // a match means the buffer is our own, not the shared empty one
      ++count;
    }
  }
  if (newCh == '\0' && count > 0) SetLength(static_cast<int>(std::strlen(m_pchData)));
  return count;
}

int CString::Replace(LPCSTR oldText, LPCSTR newText) {
  std::string_view from = Safe(oldText), to = Safe(newText);
  if (from.empty()) return 0;
  std::string result;
  int count = 0;
  std::string_view text = View();
  size_t pos = 0;
  for (size_t at; (at = text.find(from, pos)) != std::string_view::npos; pos = at + from.size()) {
    result.append(text.substr(pos, at - pos));
    result.append(to);
    ++count;
  }
  if (count == 0) return 0;
  result.append(text.substr(pos));
  Assign(result);
  return count;
}

int CString::Remove(char ch) {
  std::string text(View());
  auto end = std::remove(text.begin(), text.end(), ch);
  int count = static_cast<int>(text.end() - end);
  if (count > 0) {
    text.erase(end, text.end());
    Assign(text);
  }
  return count;
}

int CString::Insert(int index, char ch) { return Insert(index, std::string(1, ch).c_str()); }

int CString::Insert(int index, LPCSTR text) {
  std::string result(View());
  index = std::clamp(index, 0, GetLength());
  result.insert(static_cast<size_t>(index), Safe(text));
  Assign(result);
  return GetLength();
}

int CString::Delete(int index, int count) {
  int length = GetLength();
  if (index < 0) index = 0;
  if (count > 0 && index < length) {
    count = std::min(count, length - index);
    std::memmove(m_pchData + index, m_pchData + index + count, static_cast<size_t>(length - index - count));
    SetLength(length - count);
  }
  return GetLength();
}

void CString::MakeUpper() { ChangeCase(m_pchData, GetLength(), AsciiUpper, ToUpper); }
void CString::MakeLower() { ChangeCase(m_pchData, GetLength(), AsciiLower, ToLower); }

void CString::MakeReverse() {
  std::string_view text = View();
  std::string result(text.size(), '\0');
  size_t out = text.size();
  for (size_t i = 0; i < text.size();) {
    size_t n = SequenceLength(text, i);
    out -= n;
    std::memcpy(result.data() + out, text.data() + i, n);
    i += n;
  }
  Assign(result);
}

void CString::TrimLeft() {
  int n = 0;
  while (n < GetLength() && IsWhite(m_pchData[n])) ++n;
  Delete(0, n);
}

void CString::TrimLeft(char target) { TrimLeft(std::string(1, target).c_str()); }

void CString::TrimLeft(LPCSTR targets) {
  size_t keep = View().find_first_not_of(Safe(targets));
  Delete(0, keep == std::string_view::npos ? GetLength() : static_cast<int>(keep));
}

void CString::TrimRight() {
  int length = GetLength();
  while (length > 0 && IsWhite(m_pchData[length - 1])) --length;
  if (length < GetLength()) SetLength(length);
}

void CString::TrimRight(char target) { TrimRight(std::string(1, target).c_str()); }

void CString::TrimRight(LPCSTR targets) {
  std::string_view set = Safe(targets);
  if (set.empty()) return;
  size_t last = View().find_last_not_of(set);
  int length = last == std::string_view::npos ? 0 : static_cast<int>(last + 1);
  if (length < GetLength()) SetLength(length);
}

// Formatting ----------------------------------------------------------------------------------------

void CString::FormatArgs(LPCSTR format, const tolvar::framework::FormatArg* args, size_t count) {
  TypedSource source(args, count);
  Assign(tolvar::framework::FormatText(format, source));
}

void CString::FormatV(LPCSTR format, va_list args) {
  VaListSource source(args);
  Assign(tolvar::framework::FormatText(format, source));
}

// Buffer access -------------------------------------------------------------------------------------

LPSTR CString::GetBuffer(int minLength) {
  Reserve(std::max(minLength, 0));
  return m_pchData;
}

LPSTR CString::GetBufferSetLength(int newLength) {
  newLength = std::max(newLength, 0);
  Reserve(newLength);
  SetLength(newLength);
  return m_pchData;
}

void CString::ReleaseBuffer(int newLength) {
  if (IsShared()) return;
  int capacity = GetData()->capacity;
  // -1: up to the first NUL, but never past the buffer, whatever the caller left in it.
  if (newLength < 0) newLength = static_cast<int>(strnlen(m_pchData, static_cast<size_t>(capacity)));
  SetLength(std::min(newLength, capacity));
}
