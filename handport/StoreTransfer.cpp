#include "StoreTransfer.h"

#include "FlashFile.h"
#include "LinkEngine.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <kernel/Wait.h>

#include <algorithm>

int ReadRecordFile(CLinkEngine& engine, int file, int sub, std::vector<BYTE>& bytes) {
  bytes.clear();
  CFlashFile flash;
  flash.Bind(engine, file, sub);
  if (!flash.Read()) return 0;
  bytes.assign(flash.Data().begin(), flash.Data().end());
  return 1;
}

int WriteRecordFile(CLinkEngine& engine, int file, int sub, std::span<const BYTE> bytes) {
  CFlashFile flash;
  flash.Bind(engine, file, sub);
  flash.Fill(static_cast<int>(bytes.size()), 0x00);
  std::copy(bytes.begin(), bytes.end(), flash.Data().begin());
  return flash.Write();
}

int EraseRecordFile(CLinkEngine& engine, int file, int sub) {
  CFlashFile flash;
  flash.Bind(engine, file, sub);
  return flash.Erase();
}

bool TransferCancelled(HANDLE cancel) {
  if (cancel == nullptr || WaitForSingleObject(cancel, 0) != WAIT_OBJECT_0) return false;
  SetLastError(ERROR_PA_CANCELLED);
  return true;
}
