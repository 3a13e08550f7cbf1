#pragma once
// The last-error values that the phone-access library leaves for the applications after a failed
// operation (read with GetLastError). Each record store has a range of its own besides these.
#include <linkwell/PhoneReplyErrors.h>  // ERROR_PHONE_BAD_REPLY, ERROR_PHONE_NO_REPLY

#include <base/WinDef.h>

constexpr DWORD ERROR_LINK_DOWN = 0x20000028;         // no connection to the link service, or it refused
constexpr DWORD ERROR_PA_CANCELLED = 0x90000000;      // the cancel event was set during a wait
constexpr DWORD ERROR_PA_EXISTS = 0x90000001;         // the folder or file exists on the phone
constexpr DWORD ERROR_PA_NO_MODEL = 0x90000002;       // the link service found no phone
constexpr DWORD ERROR_PA_NOT_SUPPORTED = 0x90000003;  // the phone refused the command set
constexpr DWORD ERROR_PA_OTHER_MODEL = 0x90000004;    // the phone is another model

// Of the command layer: bad hex text in a command or reply, and the lock check of the whole-phone
// sequences.
constexpr DWORD ERROR_BAD_HEX = 0x20000008;
constexpr DWORD ERROR_NO_SIM = 0x20000040;
constexpr DWORD ERROR_PHONE_LOCKED = 0x20000041;
constexpr DWORD ERROR_DATA_LOCKED = 0x20000042;
