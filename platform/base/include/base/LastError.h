#pragma once
// The calling thread's last-error value, one per thread and shared by every library of the process.
#include <base/WinDef.h>

DWORD GetLastError();
void SetLastError(DWORD error);
