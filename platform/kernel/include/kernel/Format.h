#pragma once
// The system's message texts (FormatMessage) for the error numbers this layer reports, the local
// memory a FORMAT_MESSAGE_ALLOCATE_BUFFER caller frees with LocalFree, and MulDiv.
//
// The message table holds the Win32 errors of <base/WinError.h> and the Windows Sockets errors, in
// English; language 0, the neutral/default language and US English all find it. As on Windows each
// text ends with "\r\n" unless the width bits (FORMAT_MESSAGE_MAX_WIDTH_MASK) ask otherwise.
#include <base/WinDef.h>

#include <cstdarg>

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// Fixed local memory: the pointer is the handle. LocalFree gives NULL, or the handle back when it
// could not free it.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL memory);

// Only FORMAT_MESSAGE_FROM_SYSTEM is a source here (the layer's modules carry no message tables);
// inserts are left as they stand, which is what the system's texts without inserts need. With
// FORMAT_MESSAGE_ALLOCATE_BUFFER `buffer` receives a LocalAlloc'd pointer (LPSTR*), else it is
// `size` characters. Returns the characters written without the terminating zero, or 0 with
// ERROR_MR_MID_NOT_FOUND (no such message), ERROR_RESOURCE_LANG_NOT_FOUND, ERROR_INSUFFICIENT_BUFFER
// or ERROR_INVALID_PARAMETER.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     va_list* arguments);
inline DWORD FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                           DWORD size, va_list* arguments) {
  return FormatMessageA(flags, source, messageId, languageId, buffer, size, arguments);
}

// value * numerator / denominator with a 64-bit product, rounded half away from zero; -1 when
// `denominator` is 0 or the result does not fit an int.
int MulDiv(int value, int numerator, int denominator);
