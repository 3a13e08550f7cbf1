#pragma once
// Conversions between 8-bit code pages and UTF-16. "ANSI" is UTF-8, the code page of a Linux system;
// 1252 and 850 exist as tables for callers that name them.
#include <base/WinDef.h>

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_OEM_850 = 850;
constexpr UINT CP_WINDOWS_1252 = 1252;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

// Windows' contract: cchMultiByte/cchWideChar of -1 means NUL-terminated (the NUL is converted and
// counted); an output size of 0 asks for the size needed. Returns the units written, or 0 with the last
// error set (ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER, ERROR_NO_UNICODE_TRANSLATION).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte,
                        LPWSTR wideChar, int cchWideChar);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar,
                        LPSTR multiByte, int cbMultiByte, LPCSTR defaultChar, LPBOOL usedDefaultChar);

UINT GetACP();
UINT GetOEMCP();
BOOL IsValidCodePage(UINT codePage);

// No code page this platform knows (UTF-8, 1252, 850) has lead bytes: a UTF-8 sequence is not a
// double-byte pair, so these answer FALSE for every byte. Count characters with
// MultiByteToWideChar(CP_ACP, ...), never with the C runtime's mbstowcs, which fails on UTF-8 in the
// "C" locale. An unknown code page gives FALSE with ERROR_INVALID_PARAMETER.
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
BOOL IsDBCSLeadByte(BYTE testChar);
