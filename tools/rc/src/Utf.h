#pragma once
// UTF-8 to UTF-16 for the compiler: scripts are UTF-8, resources hold UTF-16.
#include <optional>
#include <string>
#include <string_view>

namespace tolvar::rc {

// The UTF-16 form of a UTF-8 text, or nothing when the text is not valid UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// Appends one code point as UTF-8 (used for \x escapes of wide strings).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace tolvar::rc
