// Flash files read and written whole through the flash-file commands, for CFlashFile and for the
// engine's block transfers.
#include "FlashTransfer.h"

#include "FlashBlock.h"
#include "HexCodec.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>

namespace {

// A command the phone carried out answers with its own name, then "RET" or "DONE"; "ERROR" is a
// refusal, and the write or erase it belongs to has failed.
bool Carried(const std::string& reply, std::string_view name) {
  CReplyFields fields;
  fields.Split(reply, ":");
  return fields.GetField(0) == name && (fields.GetField(1) == "RET" || fields.GetField(1) == "DONE");
}

// "FFSRead:RET:<size>", perhaps with further fields after the size, which are not read. The fields
// are taken as the phone wrote them, empty ones included ("FFSRead::RET:5" is no reply), and a reply
// that stops short of its size, or holds no number there, is no size.
bool FlashSize(std::string_view reply, int& size) {
  constexpr std::string_view kLead = "FFSRead:RET:";
  if (!reply.starts_with(kLead)) return false;
  const std::string_view rest = reply.substr(kLead.size());
  return ReadCount(rest.substr(0, rest.find(':')), kMaxTransferSize, size);
}

}  // namespace

int ReadFlashFile(CLinkEngine& engine, int file, int sub, const FlashReadRules& rules, const TransferControl& control,
                  std::vector<BYTE>& data) {
  data.clear();
  const std::string query = CommandText("FFSRead,%d,%d", file, sub);
  std::string reply;
  int size = -1;
  for (int tries = rules.retryBadShape ? kChunkTries : 1; tries > 0 && size < 0; --tries) {
    if (!engine.Exchange(query, reply)) return 0;
    if (!FlashSize(reply, size)) size = -1;
  }
  if (size < 0) return BadReply();
  const auto judge = [&rules](const std::string& chunkReply, int, std::size_t hexLength, std::string& hex) {
    CReplyFields fields;
    fields.Split(chunkReply, ":");
    if (fields.GetCount() != 3 || fields.GetField(0) != "ShowBufferDump" || fields.GetField(1) != "RET") {
      return rules.retryBadShape ? ChunkReply::AskAgain : ChunkReply::Refused;
    }
    hex = fields.GetField(2);
    return hex.size() == hexLength ? ChunkReply::Whole : ChunkReply::AskAgain;
  };
  return ReadChunks(
      engine, size, rules.chunkSize, control, [](int n) { return CommandText("ShowBufferDump,%d", n); }, judge,
      rules.badHexError, data);
}

int WriteFlashFile(CLinkEngine& engine, int file, int sub, std::span<const BYTE> data, int chunkSize,
                   const TransferControl& control) {
  if (data.size() > static_cast<std::size_t>(kMaxTransferSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string reply;
  if (!engine.Exchange(CommandText("InitFFSWrite,%d,%d,%d", file, sub, static_cast<int>(data.size())), reply)) {
    return 0;
  }
  if (!Carried(reply, "InitFFSWrite")) return BadReply();
  return WriteChunks(data, chunkSize, control, [&](int n, std::span<const BYTE> chunk, bool) {
    if (!engine.Exchange(CommandText("SetBufferDump,%s,%d", HexText(chunk).c_str(), n), reply)) return 0;
    return reply.starts_with("SetBufferDump:RET") ? 1 : BadReply();
  });
}

int EraseFlashFile(CLinkEngine& engine, int file, int sub) {
  std::string reply;
  if (!engine.Exchange(CommandText("FFSErase,%d,%d", file, sub), reply)) return 0;
  return Carried(reply, "FFSErase") ? 1 : BadReply();
}

int CLinkEngine::ReadBlock(CFlashBlock& block, PA_PROGRESS_CALLBACK callback, void* user) {
  const FlashReadRules rules{.chunkSize = TransferChunkSize(), .retryBadShape = false, .badHexError = 0};
  return ReadFlashFile(*this, block.file, block.sub, rules, {block.cancel, callback, user}, block.data);
}

int CLinkEngine::WriteBlock(const CFlashBlock& block, PA_PROGRESS_CALLBACK callback, void* user) {
  return WriteFlashFile(*this, block.file, block.sub, block.data, TransferChunkSize(), {block.cancel, callback, user});
}

int CLinkEngine::EraseBlock(const CFlashBlock& block) { return EraseFlashFile(*this, block.file, block.sub); }
