#pragma once
// One flash file for the engine's block transfers: its two numbers, the event that stops a
// transfer between chunks, and after a read the bytes read (for a write, the bytes to write).
#include <base/WinDef.h>

#include <span>
#include <vector>

struct CFlashBlock {
  CFlashBlock(int fileNumber, int subNumber, HANDLE cancelEvent = nullptr)
      : file(fileNumber), sub(subNumber), cancel(cancelEvent) {}

  int Length() const { return static_cast<int>(data.size()); }
  void SetData(std::span<const BYTE> bytes) { data.assign(bytes.begin(), bytes.end()); }

  int file;
  int sub;
  HANDLE cancel;  // may be none
  std::vector<BYTE> data;
};
