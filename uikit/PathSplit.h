#pragma once
// Splitting and joining the paths the programs show and remember. A path comes in either form: a
// drive path as the suite writes it ("C:\Documents\a.vcf") or a Linux path as the platform reports
// the user's folders ("/home/ann/a.vcf"). Both separators count everywhere, and "X:\" and "/" are
// the roots, which keep their separator when a folder is split off.
#include <framework/String.h>

// The index of the last '\' or '/', -1 when there is none.
int FindLastPathSeparator(const char* path);

// "X:\", "X:/", "X:" and "/".
bool IsRootPath(const char* path);

// The folder part: "C:\a\b.txt" gives "C:\a", "C:\b.txt" gives "C:\", "/b" gives "/", "b" gives "".
CString PathFolder(const CString& path);

// What follows the last separator: "C:\a\b.txt" gives "b.txt"; "" after a trailing separator.
CString PathName(const CString& path);

// A folder without its trailing separators, roots kept: "C:\a\" gives "C:\a", "/" stays "/".
CString TrimTrailingSeparator(const CString& folder);

// `name` in `folder` with one separator between: "\" after a drive path, "/" after any other;
// none added after a root or a folder that already ends in one. An empty folder gives `name`.
CString JoinPath(const CString& folder, const CString& name);
