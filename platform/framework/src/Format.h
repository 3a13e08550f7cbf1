#pragma once
// The printf engine behind CString::Format and FormatV. It reads the format itself and takes each
// argument as the conversion asks, with the sizes of the Windows data model (int and long 32 bits,
// %lld and %I64d 64), then lets the C library render each piece.
#include <string>

namespace tolvar::framework {

class FormatSource {
public:
  virtual ~FormatSource() = default;
  virtual long long NextInteger(int bits) = 0;  // bits: 32 or 64 (smaller sizes arrive as int)
  virtual double NextReal() = 0;
  virtual const char* NextString() = 0;         // may be null
  virtual const void* NextPointer() = 0;
};

std::string FormatText(const char* format, FormatSource& args);

}  // namespace tolvar::framework
