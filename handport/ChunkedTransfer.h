#pragma once
// What the chunked transfers share (flash files, messages, mails): bytes go as hex text in chunks,
// each chunk of a read is asked for until it comes whole (a bounded number of times), progress is
// reported and the cancel event looked at after every chunk.
#include "LinkEngine.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

// The most bytes a transfer takes from a size the phone reports; a larger size is a garbled reply.
constexpr int kMaxTransferSize = 1 << 24;

// How often one chunk is asked for before a read gives up on it.
constexpr int kChunkTries = 3;

// What a reader makes of one reply to a chunk request.
enum class ChunkReply {
  Whole,     // the hex text is there, of the expected length
  AskAgain,  // the phone may do better when asked again (a chunk of the wrong length, for one)
  Refused,   // a reply of the wrong shape: the read fails with ERROR_PHONE_BAD_REPLY
};

// Takes the reply to the request for chunk n (from 0) apart: the hex text, and whether it will do
// for a chunk of `hexLength` characters.
using ChunkJudge =
    std::function<ChunkReply(const std::string& reply, int n, std::size_t hexLength, std::string& hex)>;

// Reads `size` bytes into `data`, chunk after chunk of at most `chunkSize` bytes. Chunk n (from 0)
// is asked for with the command `request(n)`, up to kChunkTries times while `judge` says to ask
// again. A hex text that does not decode fails with `badHexError` (when not 0, else HexDecode's
// own). After each chunk: control.Report(size, bytes still to come), then the cancel test. `data`
// is left empty on failure.
int ReadChunks(CLinkEngine& engine, int size, int chunkSize, const TransferControl& control,
               const std::function<std::string(int n)>& request, const ChunkJudge& judge, DWORD badHexError,
               std::vector<BYTE>& data);

// Sends `data` chunk after chunk of at most `chunkSize` bytes: `send(n, chunk, whether it is the
// last)` runs one command and judges its reply (1, or 0 with the last error).
// After each chunk: control.Report(size, bytes still to go), then the cancel test.
int WriteChunks(std::span<const BYTE> data, int chunkSize, const TransferControl& control,
                const std::function<int(int n, std::span<const BYTE> chunk, bool last)>& send);

// The last error ERROR_PHONE_BAD_REPLY, and 0.
int BadReply();
