#pragma once
// Asking a port whether a phone of the family sits behind it, and which one.
//
// ProbePhoneAT asks for the maker and model with AT commands on a short-lived CSerialPort of its own
// (event mask 2, so its traffic wakes only the probe and not the link worker). ProbePhonePte wakes
// the port into PTE mode and asks each row of the PTE probe table for the software version.
// Every failure ends in PHONE_TYPE_NONE with the model text "No Phone".
//
// The probes run on the connect thread or on the phone setup's detection thread.
#include "PhoneModels.h"

#include <base/WinDef.h>

#include <string>

class CSerialPort;

constexpr char NO_PHONE_TEXT[] = "No Phone";

// Reads the DWORD "ATTimeOut" from the settings key (3000 when missing, and then written there) and
// makes it the wait for AT answers; gives it.
DWORD LoadATTimeOut();

// Sends `text` to `port` and collects the answer into `text` for as long as bytes keep arriving
// within `waitMs` of each other: 1 when the answer holds "OK", -1 when it holds "ERROR" (tested
// first), 0 when no more came (or more than 4096 bytes came without either).
int SendATCommand(CSerialPort& port, std::string& text, DWORD waitMs);

// The phone-type code of the maker's phone on `probePort`, with its model answer in `model`.
int ProbePhoneAT(const std::string& probePort, std::string& model);

// The phone-type code of the phone on `port` found with the PTE probe rows firstRow to lastRow,
// with the model name in `model`. A failure leaves its reason in the thread's last error (a port
// error, ERROR_PHONE_NO_REPLY, ERROR_PHONE_BAD_REPLY, or else ERROR_NO_PHONE_FOUND).
int ProbePhonePte(const std::string& port, std::string& model, int firstRow, int lastRow);

// The row of the last successful PTE probe, -1 after a failed one and at start.
int RememberedPteRow();
