#include "ChunkedTransfer.h"

#include "HexCodec.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Wait.h>

#include <algorithm>

void TransferControl::Report(int total, int current) const {
  if (progress) progress(total, current, user);
}

bool TransferControl::Cancelled() const {
  if (!cancel || WaitForSingleObject(cancel, 0) != WAIT_OBJECT_0) return false;
  SetLastError(ERROR_PA_CANCELLED);
  return true;
}

namespace {

// A chunk size the engine was given that cannot move any bytes.
int BadChunkSize() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

}  // namespace

int BadReply() {
  SetLastError(ERROR_PHONE_BAD_REPLY);
  return 0;
}

int ReadChunks(CLinkEngine& engine, int size, int chunkSize, const TransferControl& control,
               const std::function<std::string(int n)>& request, const ChunkJudge& judge, DWORD badHexError,
               std::vector<BYTE>& data) {
  data.clear();
  if (chunkSize < 1) return BadChunkSize();
  std::vector<BYTE> bytes(static_cast<std::size_t>(size));
  std::string reply;
  std::string hex;
  for (int n = 0, at = 0; at < size; ++n) {
    const int count = std::min(chunkSize, size - at);
    ChunkReply judged = ChunkReply::AskAgain;
    // A phone that keeps sending a chunk of the wrong length is not asked for ever.
    for (int tries = 0; tries < kChunkTries && judged == ChunkReply::AskAgain; ++tries) {
      if (!engine.Exchange(request(n), reply)) return 0;
      judged = judge(reply, n, 2 * static_cast<std::size_t>(count), hex);
    }
    if (judged != ChunkReply::Whole) return BadReply();
    DWORD decoded = 0;
    if (!HexDecode(hex, std::span(bytes).subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(count)),
                   decoded) ||
        decoded != static_cast<DWORD>(count)) {
      if (badHexError) SetLastError(badHexError);
      return 0;
    }
    at += count;
    control.Report(size, size - at);
    if (control.Cancelled()) return 0;
  }
  data = std::move(bytes);
  return 1;
}

int WriteChunks(std::span<const BYTE> data, int chunkSize, const TransferControl& control,
                const std::function<int(int n, std::span<const BYTE> chunk, bool last)>& send) {
  if (chunkSize < 1) return BadChunkSize();
  const int size = static_cast<int>(data.size());
  for (int n = 0, at = 0; at < size; ++n) {
    const int count = std::min(chunkSize, size - at);
    if (!send(n, data.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(count)), at + count == size)) {
      return 0;
    }
    at += count;
    control.Report(size, size - at);
    if (control.Cancelled()) return 0;
  }
  return 1;
}
