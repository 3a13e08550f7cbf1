#pragma once
// Splits one line of a script into tokens. Comments are removed beforehand (see StripComments).
#include "Token.h"

#include <string_view>
#include <vector>

namespace tolvar::rc {

// Replaces /* */ and // comments by blanks, keeping line breaks so line numbers stay right, and
// leaving string literals alone (a URL in a version string holds "//").
std::string StripComments(std::string_view text);

// The tokens of one line. Throws RcError for a character that starts no token or an unclosed string.
std::vector<Token> LexLine(std::string_view line, const SourcePlace& place);

}  // namespace tolvar::rc
