#pragma once
// The exit code the probe child derives from its command line, so a test can tell that the child
// saw exactly the line it was given.
#include <string_view>

inline unsigned CommandLineCode(std::string_view line) {
  unsigned sum = 0;
  for (unsigned char c : line) sum = (sum * 31 + c) % 199;
  return sum + 1;
}
