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

// A put refused because a field cannot be stored whole (PA_PutPhoneBook, PA_PutGroup, PA_PutSchedule
// and PA_PutToDo answer 3, PA_EMPTY_SLOT, and keep the slot as it was) leaves one of these as the
// thread's last error: the first such field in the record's order, so that a program can tell the
// user which field to change. Numbers, e-mail addresses and texts count from 1.
constexpr DWORD ERROR_PA_PUT_NAME = 0x20100001;         // the contact's name
constexpr DWORD ERROR_PA_PUT_READING = 0x20100002;      // the second form of the name
constexpr DWORD ERROR_PA_PUT_NUMBER = 0x20100010;       // plus n: number n, 1 to 7
constexpr DWORD ERROR_PA_PUT_EMAIL = 0x20100020;        // plus n: e-mail address n, 1 or 2
constexpr DWORD ERROR_PA_PUT_TEXT = 0x20100030;         // plus n: text n, 1 or 2
constexpr DWORD ERROR_PA_PUT_GROUP_NAME = 0x20100040;   // a group's name
constexpr DWORD ERROR_PA_PUT_DESCRIPTION = 0x20100041;  // a schedule entry's or to-do item's description
constexpr DWORD ERROR_PA_PUT_START = 0x20100042;        // a start time outside the dates the phone keeps
constexpr DWORD ERROR_PA_PUT_DUE = 0x20100043;          // a to-do item's due time, likewise
constexpr DWORD ERROR_PA_PUT_VALUE = 0x201000FF;        // any other field: a number out of its range

constexpr DWORD PutNumberError(int n) { return ERROR_PA_PUT_NUMBER + static_cast<DWORD>(n); }
constexpr DWORD PutEmailError(int n) { return ERROR_PA_PUT_EMAIL + static_cast<DWORD>(n); }
constexpr DWORD PutTextError(int n) { return ERROR_PA_PUT_TEXT + static_cast<DWORD>(n); }
