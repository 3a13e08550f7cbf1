#pragma once
// The arguments of CString::Format, captured by type so the formatter never has to guess what the
// caller passed (which is what makes a CString for %s work, and a LONG for %ld).
#include <cstddef>
#include <type_traits>

class CString;

namespace tolvar::framework {

struct FormatArg {
  enum class Kind { None, Signed, Unsigned, Real, String, Pointer };

  Kind kind = Kind::None;
  long long integer = 0;           // Signed, Unsigned (bit pattern)
  double real = 0;                 // Real
  const void* pointer = nullptr;   // String (a NUL-terminated text or null), Pointer

  FormatArg() = default;
  FormatArg(const CString& text);  // defined with CString
  FormatArg(std::nullptr_t) : kind(Kind::Pointer) {}
  template <class T>  // char arrays and pointers are texts; other pointers (handles too) are pointers
  FormatArg(T* p)
      : kind(std::is_same_v<std::remove_cv_t<T>, char> ? Kind::String : Kind::Pointer), pointer(p) {}
  template <class T>
    requires std::is_integral_v<T> || std::is_enum_v<T>
  FormatArg(T value) {
    using U = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::type_identity<T>>::type;
    kind = std::is_signed_v<U> ? Kind::Signed : Kind::Unsigned;
    integer = static_cast<long long>(static_cast<U>(value));
  }
  template <class T>
    requires std::is_floating_point_v<T>
  FormatArg(T value) : kind(Kind::Real), real(static_cast<double>(value)) {}
};

}  // namespace tolvar::framework
