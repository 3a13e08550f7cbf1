#pragma once
// Errors of the resource compiler. Every error names the place in the script that caused it, in the
// "file:line: message" form editors and build logs understand.
#include <stdexcept>
#include <string>

namespace tolvar::rc {

struct SourcePlace {
  std::string file;
  int line = 0;
};

class RcError : public std::runtime_error {
public:
  RcError(const SourcePlace& place, const std::string& message)
      : std::runtime_error(place.file + (place.line > 0 ? ":" + std::to_string(place.line) : "") + ": " + message),
        m_place(place), m_message(message) {}

  const SourcePlace& Place() const { return m_place; }
  const std::string& Message() const { return m_message; }

private:
  SourcePlace m_place;
  std::string m_message;
};

}  // namespace tolvar::rc
