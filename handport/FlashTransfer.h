#pragma once
// The flash-file commands as whole-file transfers, shared by CFlashFile and the engine's block
// transfers: the size ("FFSRead") and the chunks ("ShowBufferDump") to read, "InitFFSWrite" and
// the chunks ("SetBufferDump") to write, and "FFSErase".
#include "ChunkedTransfer.h"

struct FlashReadRules {
  int chunkSize = CLinkEngine::kDefaultChunkSize;
  // Whether a reply of the wrong shape is asked for again (up to kChunkTries times) or fails at
  // once. A chunk of the wrong length is always asked for again, up to kChunkTries times.
  bool retryBadShape = false;
  DWORD badHexError = 0;  // the last error of a chunk whose hex does not decode; 0: HexDecode's
};

// Reads the file (file, sub) into `data`; 0 with the last error, and `data` empty, on failure.
int ReadFlashFile(CLinkEngine& engine, int file, int sub, const FlashReadRules& rules, const TransferControl& control,
                  std::vector<BYTE>& data);

// Writes `data` as the file (file, sub). Every answer counts: a refused "InitFFSWrite" or chunk
// fails the write with ERROR_PHONE_BAD_REPLY.
int WriteFlashFile(CLinkEngine& engine, int file, int sub, std::span<const BYTE> data, int chunkSize,
                   const TransferControl& control);

// Erases the file (file, sub); a refusal fails with ERROR_PHONE_BAD_REPLY.
int EraseFlashFile(CLinkEngine& engine, int file, int sub);
