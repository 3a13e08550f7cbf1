// The bytes of one stored message ("UMBGetMsgs", "UMBSetMsgs") and of one mail of the second
// message kind ("CNFPReadData", "CNFPWriteData"), in hex chunks of the transfer chunk size.
#include "ChunkedTransfer.h"
#include "HexCodec.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>

namespace {

bool TooLong(std::span<const BYTE> data) {
  if (data.size() <= static_cast<std::size_t>(kMaxTransferSize)) return false;
  SetLastError(ERROR_INVALID_PARAMETER);
  return true;
}

}  // namespace

int CLinkEngine::UMBGetMsgs(int box, int folder, int index, const TransferControl& control, std::vector<BYTE>& data) {
  data.clear();
  std::string reply;
  if (!Exchange(CommandText("UMBGetMsgs,%d,%d,%d,0", box, folder, index), reply)) return 0;
  // "UMBGetMsgs,<box>,<folder>,<index>,0,<length>"; a reply that stops short has no length.
  CReplyFields items;
  items.Split(reply, ",");
  int length = 0;
  if (items.GetCount() < 6 || !ReadCount(items.GetField(5), kMaxTransferSize, length)) return BadReply();
  // Chunk n + 1 comes as "UMBGetMsgs,<n + 1>,<hex>".
  const auto judge = [](const std::string& chunkReply, int n, std::size_t hexLength, std::string& hex) {
    CReplyFields chunk;
    chunk.Split(chunkReply, ",");
    if (chunk.GetCount() < 3 || ReadNumber(chunk.GetField(1)) != n + 1) return ChunkReply::Refused;
    hex = chunk.GetField(2);
    return hex.size() == hexLength ? ChunkReply::Whole : ChunkReply::AskAgain;
  };
  const auto request = [&](int n) { return CommandText("UMBGetMsgs,%d,%d,%d,%d", box, folder, index, n + 1); };
  if (!ReadChunks(*this, length, TransferChunkSize(), control, request, judge, 0, data)) return 0;
  control.Report(0, 0);
  return 1;
}

int CLinkEngine::UMBSetMsgs(int box, int folder, int index, std::span<const BYTE> data, const TransferControl& control) {
  if (TooLong(data)) return 0;
  constexpr std::string_view kAwaiting = "UMBSetMsgs:RET:2";  // the phone takes the next chunk
  std::string reply;
  if (!Exchange(CommandText("UMBSetMsgs,%d,%d,%d,%d,%d,0", box, folder, index, static_cast<int>(data.size()),
                            TransferChunkSize()),
                reply)) {
    return 0;
  }
  if (reply != kAwaiting) return BadReply();
  const auto send = [&](int, std::span<const BYTE> chunk, bool) {
    if (!Exchange(CommandText("UMBSetMsgs,%d,%d,%s", index, static_cast<int>(chunk.size()), HexText(chunk).c_str()),
                  reply)) {
      return 0;
    }
    return reply == kAwaiting ? 1 : BadReply();
  };
  if (!WriteChunks(data, TransferChunkSize(), control, send)) return 0;
  if (!Exchange("UMBSetMsgs,-1", reply)) return 0;
  if (!reply.starts_with("UMBSetMsgs:RET:0")) return BadReply();
  control.Report(0, 0);
  return 1;
}

int CLinkEngine::CNFPReadData(int kind, int number, const TransferControl& control, std::vector<BYTE>& data) {
  data.clear();
  const int hexDigits = 2 * TransferChunkSize();
  std::string reply;
  if (!Exchange(CommandText("CNFPReadData,%d,%d,0,%d", kind, number, hexDigits), reply)) return 0;
  // "CNFPReadData:RET:0,<length>"; a reply that stops short has no length.
  CReplyFields items;
  items.Split(reply, ",");
  int length = 0;
  if (items.GetCount() < 2 || !ReadCount(items.GetField(1), kMaxTransferSize, length)) return BadReply();
  // Chunk n + 1 comes as "CNFPReadData:RET:<n + 1>,<hex>": judged as a message chunk is, so that
  // neither another chunk nor a longer one is taken for it.
  const auto judge = [](const std::string& chunkReply, int n, std::size_t hexLength, std::string& hex) {
    CReplyFields chunk;
    chunk.Split(chunkReply, ",");
    CReplyFields lead;
    lead.Split(chunk.GetField(0), ":");
    if (chunk.GetCount() < 2 || lead.GetCount() != 3 || ReadNumber(lead.GetField(2)) != n + 1) {
      return ChunkReply::Refused;
    }
    hex = chunk.GetField(1);
    return hex.size() == hexLength ? ChunkReply::Whole : ChunkReply::AskAgain;
  };
  const auto request = [&](int n) { return CommandText("CNFPReadData,%d,%d,%d,%d", kind, number, n + 1, hexDigits); };
  // A mail's progress is reported once, at its end.
  if (!ReadChunks(*this, length, TransferChunkSize(), {control.cancel}, request, judge, 0, data)) return 0;
  control.Report(0, 0);
  return 1;
}

int CLinkEngine::CNFPWriteData(int kind, int number, std::span<const BYTE> data, const TransferControl& control) {
  if (TooLong(data)) return 0;
  // The chunks are numbered from 0; the last one, which holds the rest, is -1 whatever its place.
  const auto send = [&](int n, std::span<const BYTE> chunk, bool last) {
    const int sequence = last ? -1 : n;
    std::string reply;
    if (!Exchange(CommandText("CNFPWriteData,%d,%d,%d,%s", kind, number, sequence, HexText(chunk).c_str()), reply)) {
      return 0;
    }
    CReplyFields fields;
    fields.Split(reply, ":");
    if (fields.GetCount() < 4 || ReadNumber(fields.GetField(2)) != sequence || fields.GetField(3) != "DONE") {
      return BadReply();
    }
    return 1;
  };
  if (!WriteChunks(data, TransferChunkSize(), {control.cancel}, send)) return 0;
  control.Report(0, 0);
  return 1;
}
