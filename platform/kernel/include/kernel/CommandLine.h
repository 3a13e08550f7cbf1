#pragma once
// The process's command line, as Windows keeps it: one string, split into arguments only by those
// who want arguments.
//
// A process started by CreateProcessA gets back exactly the command line it was given. A process
// started otherwise (from a shell) sees its arguments joined and quoted the Windows way.
#include <base/WinDef.h>

#include <string>
#include <string_view>
#include <vector>

LPSTR GetCommandLineA();
inline LPSTR GetCommandLine() { return GetCommandLineA(); }

namespace tolvar::kernel {

// Splits a command line as Windows' CommandLineToArgvW does. The first argument, the program, ends
// at the first blank outside quotes and takes its quotes away, nothing else. In the arguments after
// it, blanks (space, tab) outside quotes separate; 2n backslashes before a quote give n backslashes
// and the quote opens or closes a quoted part; 2n+1 backslashes before a quote give n backslashes
// and a literal quote; other backslashes are literal; inside a quoted part, "" gives a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// One argument quoted so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(std::string_view argument);

}  // namespace tolvar::kernel
