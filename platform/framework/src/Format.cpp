#include "Format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tolvar::framework {
namespace {

struct Length {
  const char* text;
  int bits;  // the argument's size on Windows
};

// Longest first, so "ll" wins over "l" and "I64" over "I".
constexpr Length kLengths[] = {
  {"I64", 64}, {"I32", 32}, {"hh", 8}, {"ll", 64}, {"h", 16}, {"l", 32}, {"L", 64},
  {"I", 64}, {"z", 64}, {"t", 64}, {"j", 64}, {"w", 32},
};

template <class... T>
void Append(std::string& out, const std::string& spec, T... value) {
  int size = std::snprintf(nullptr, 0, spec.c_str(), value...);
  if (size <= 0) return;
  size_t at = out.size();
  out.resize(at + static_cast<size_t>(size) + 1);
  std::snprintf(out.data() + at, static_cast<size_t>(size) + 1, spec.c_str(), value...);
  out.resize(at + static_cast<size_t>(size));
}

long long Truncate(long long value, int bits, bool isSigned) {
  switch (bits) {
    case 8: return isSigned ? static_cast<long long>(static_cast<std::int8_t>(value)) : static_cast<std::uint8_t>(value);
    case 16: return isSigned ? static_cast<long long>(static_cast<std::int16_t>(value)) : static_cast<std::uint16_t>(value);
    case 32: return isSigned ? static_cast<long long>(static_cast<std::int32_t>(value)) : static_cast<std::uint32_t>(value);
    default: return value;
  }
}

}  // namespace

std::string FormatText(const char* format, FormatSource& args) {
  std::string out;
  if (!format) return out;
  const char* p = format;
  while (*p) {
    if (*p != '%') {
      const char* next = std::strchr(p, '%');
      size_t n = next ? static_cast<size_t>(next - p) : std::strlen(p);
      out.append(p, n);
      p += n;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    std::string spec = "%";
    while (*p && std::strchr("-+ #0", *p)) spec += *p++;
    if (*p == '*') {
      ++p;
      long long width = args.NextInteger(32);
      if (width < 0) {
        spec += '-';
        width = -width;
      }
      spec += std::to_string(width);
    } else {
      while (*p >= '0' && *p <= '9') spec += *p++;
    }
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        ++p;
        long long precision = args.NextInteger(32);
        if (precision >= 0) spec += "." + std::to_string(precision);  // negative: as if not given
      } else {
        spec += '.';
        while (*p >= '0' && *p <= '9') spec += *p++;
      }
    }
    int bits = 32;
    for (const Length& length : kLengths) {
      size_t n = std::strlen(length.text);
      if (std::strncmp(p, length.text, n) == 0) {
        bits = length.bits;
        p += n;
        break;
      }
    }
    char conversion = *p;
    if (!conversion) {
      out.append(start);  // a lone % at the end stays as written
      break;
    }
    ++p;
    switch (conversion) {
      case 'd':
      case 'i':
        Append(out, spec + "lld", Truncate(args.NextInteger(bits <= 32 ? 32 : 64), bits, true));
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        Append(out, spec + "ll" + conversion,
               static_cast<unsigned long long>(Truncate(args.NextInteger(bits <= 32 ? 32 : 64), bits, false)));
        break;
      case 'c':
        Append(out, spec + "c", static_cast<int>(static_cast<unsigned char>(args.NextInteger(32))));
        break;
      case 's': {
        const char* text = args.NextString();
        Append(out, spec + "s", text ? text : "(null)");
        break;
      }
      case 'p':  // as Windows prints it: all hexadecimal digits of the address, upper case
        Append(out, std::string("%0*llX"), static_cast<int>(2 * sizeof(void*)),
               static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(args.NextPointer())));
        break;
      case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
        Append(out, spec + conversion, args.NextReal());
        break;
      case 'n':  // takes its argument but never writes through it
        args.NextPointer();
        break;
      default:  // not a conversion we know: the text stays as written
        out.append(start, static_cast<size_t>(p - start));
        break;
    }
  }
  return out;
}

}  // namespace tolvar::framework
