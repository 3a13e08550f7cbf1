#pragma once
// Glossa: the suite's string-table library. A program binds it to its module name, selects a
// language, and asks for its texts by string id; the texts come from the string file
// <directory><name><language as 4 upper-case hex digits>.<extension>, e.g. "Vezezudara0409.ini".
// Results are 1/0 (or a length); the reason for a 0 is Glossa_GetLastError(), a system error number.
// Programs load the library by name and reach these exports with GetProcAddress.
#ifdef __cplusplus
extern "C" {
#endif

#define GLOSSA_EXPORT __attribute__((visibility("default")))

GLOSSA_EXPORT int Glossa_Bind(const char* directory, const char* name, const char* extension);
GLOSSA_EXPORT int Glossa_SetLang(int language);
GLOSSA_EXPORT int Glossa_GetString(int id, char* buffer, int size);
GLOSSA_EXPORT int Glossa_Close(void);
GLOSSA_EXPORT int Glossa_GetLastError(void);

#ifdef __cplusplus
}
#endif
