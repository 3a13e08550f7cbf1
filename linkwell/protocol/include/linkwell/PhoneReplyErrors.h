#pragma once
// The last errors of the dialogue with the phone, shared by the link service and the phone-access
// library, which both wait for the phone's replies and judge them.
#include <base/WinDef.h>

constexpr DWORD ERROR_PHONE_BAD_REPLY = 0x20000029;  // an answer that is not the expected one
constexpr DWORD ERROR_PHONE_NO_REPLY = 0x2000002A;   // nothing arrived within the time-out
