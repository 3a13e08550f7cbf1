#pragma once
// How the record stores move their files: whole flash files through CFlashFile, and the cancel
// event that a transfer looks at before each file.
#include <base/WinDef.h>

#include <span>
#include <vector>

class CLinkEngine;

// The bytes of the flash file (file, sub); empty for a file of size 0. 0 with the transfer's last
// error on failure.
int ReadRecordFile(CLinkEngine& engine, int file, int sub, std::vector<BYTE>& bytes);
int WriteRecordFile(CLinkEngine& engine, int file, int sub, std::span<const BYTE> bytes);
int EraseRecordFile(CLinkEngine& engine, int file, int sub);

// Whether `cancel` (may be null) is set, taking its signal; when it is, the last error is
// ERROR_PA_CANCELLED.
bool TransferCancelled(HANDLE cancel);
