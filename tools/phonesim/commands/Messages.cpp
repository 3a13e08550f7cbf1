// The message boxes 1 to 3, each with sub-folders 0 to 6. The store "messages" holds each message
// as "<box>_<folder>_<index>.bin", indices from 0 without gaps, beside the read that
// "UMBGetMsgs,...,0" chose and the write that "UMBSetMsgs" began. Bytes travel as hex in chunks
// of 64 bytes.
#include "Families.h"
#include "StoreFiles.h"

#include <cstdio>
#include <sstream>

namespace phonesim {

namespace {

constexpr const char* kStore = "messages";
constexpr int kBoxes = 3;
constexpr int kFolders = 7;
constexpr std::size_t kChunk = 64;
constexpr long long kMaxMessage = 1 << 16;

std::filesystem::path MessageOf(const PhoneState& phone, long long box, long long folder, long long index) {
  return phone.StoreFolder(kStore) /
         (std::to_string(box) + "_" + std::to_string(folder) + "_" + std::to_string(index) + ".bin");
}

bool ValidPlace(long long box, long long folder) { return box >= 1 && box <= kBoxes && folder >= 0 && folder < kFolders; }

int CountOf(const PhoneState& phone, int box, int folder) {
  int count = 0;
  while (std::filesystem::exists(MessageOf(phone, box, folder, count))) ++count;
  return count;
}

std::optional<std::vector<long long>> Numbers(const std::vector<std::string>& args) {
  std::vector<long long> numbers;
  for (const std::string& arg : args) {
    const auto n = ParseNumber(arg);
    if (!n) return std::nullopt;
    numbers.push_back(*n);
  }
  return numbers;
}

// "UMBInitMsgs,<box>" answers with the counts of every box: "UMBInitMsgs,<counts>:DONE", where
// each box takes 32 characters and each of its sub-folders four, two hex pairs with the low
// byte first.
void UMBInitMsgs(CommandCall& call) {
  const auto n = Numbers(call.args);
  if (!n || n->size() != 1 || (*n)[0] < 1 || (*n)[0] > kBoxes) return call.Error("UMBInitMsgs", kErrorBadArguments);
  std::string counts;
  for (int box = 1; box <= kBoxes; ++box) {
    for (int folder = 0; folder < 8; ++folder) {
      const int count = folder < kFolders ? CountOf(call.phone, box, folder) : 0;
      char pair[5];
      std::snprintf(pair, sizeof pair, "%02X%02X", count & 0xFF, (count >> 8) & 0xFF);
      counts += pair;
    }
  }
  call.replies.push_back("UMBInitMsgs," + counts + ":DONE");
}

// "UMBGetMsgs,<box>,<folder>,<index>,0" gives "UMBGetMsgs,<box>,<folder>,<index>,0,<length>";
// "UMBGetMsgs,<box>,<folder>,<index>,<n>" chunk n as "UMBGetMsgs,<n>,<hex>".
void UMBGetMsgs(CommandCall& call) {
  const auto n = Numbers(call.args);
  if (!n || n->size() != 4 || !ValidPlace((*n)[0], (*n)[1]) || (*n)[3] < 0) {
    return call.Error("UMBGetMsgs", kErrorBadArguments);
  }
  const auto bytes = ReadStoreFile(MessageOf(call.phone, (*n)[0], (*n)[1], (*n)[2]));
  if (!bytes) return call.Error("UMBGetMsgs", kErrorBadArguments);
  const long long part = (*n)[3];
  if (part == 0) {
    return call.replies.push_back("UMBGetMsgs," + call.args[0] + "," + call.args[1] + "," + call.args[2] + ",0," +
                                  std::to_string(bytes->size()));
  }
  const std::size_t at = static_cast<std::size_t>(part - 1) * kChunk;
  if (at >= bytes->size()) return call.Error("UMBGetMsgs", kErrorBadArguments);
  call.replies.push_back("UMBGetMsgs," + std::to_string(part) + "," + HexOf(std::string_view(*bytes).substr(at, kChunk)));
}

// "UMBSetMsgs,<box>,<folder>,<index>,<length>,<chunk size>,0" opens a write, each
// "UMBSetMsgs,<index>,<count>,<hex>" brings a chunk (both answered "UMBSetMsgs:RET:2"), and
// "UMBSetMsgs,-1" stores the message ("UMBSetMsgs:RET:0").
void UMBSetMsgs(CommandCall& call) {
  const std::filesystem::path selection = call.phone.StoreFolder(kStore) / "write.sel";
  const std::filesystem::path data = call.phone.StoreFolder(kStore) / "write.part";
  if (call.args.size() == 6) {
    const auto n = Numbers(call.args);
    if (!n || !ValidPlace((*n)[0], (*n)[1]) || (*n)[2] < 0 || (*n)[3] < 0 || (*n)[3] > kMaxMessage) {
      return call.Error("UMBSetMsgs", kErrorBadArguments);
    }
    WriteStoreLines(selection, {call.args[0] + " " + call.args[1] + " " + call.args[2] + " " + call.args[3]});
    WriteStoreFile(data, "");
    return call.Ret("UMBSetMsgs", "2");
  }
  const std::vector<std::string> lines = ReadStoreLines(selection);
  long long box = -1, folder = -1, index = -1, length = -1;
  if (!lines.empty()) std::istringstream(lines[0]) >> box >> folder >> index >> length;
  if (box < 0) return call.Error("UMBSetMsgs", kErrorBadArguments);
  std::string bytes = ReadStoreFile(data).value_or("");
  if (call.args.size() == 3) {
    const auto count = ParseNumber(call.args[1]);
    const auto chunk = BytesOfHex(call.args[2]);
    if (!chunk || !count || *count != static_cast<long long>(chunk->size()) ||
        bytes.size() + chunk->size() > static_cast<std::size_t>(length)) {
      return call.Error("UMBSetMsgs", kErrorBadArguments);
    }
    WriteStoreFile(data, bytes + *chunk);
    return call.Ret("UMBSetMsgs", "2");
  }
  if (call.args.size() != 1 || call.args[0] != "-1") return call.Error("UMBSetMsgs", kErrorBadArguments);
  RemoveStoreFile(selection);
  RemoveStoreFile(data);
  if (bytes.size() != static_cast<std::size_t>(length)) return call.Error("UMBSetMsgs", kErrorBadArguments);
  WriteStoreFile(MessageOf(call.phone, box, folder, index), bytes);
  call.Ret("UMBSetMsgs", "0");
}

void UMBFinishMsgs(CommandCall& call) { call.Ret("UMBFinishMsgs", "1"); }

// "UMBDeleteMsgs,<box>,0,<folder>,0" empties a sub-folder: "ERROR:-2" when it holds nothing,
// "ERROR:1" for a box or sub-folder the phone does not have.
void UMBDeleteMsgs(CommandCall& call) {
  const auto n = Numbers(call.args);
  if (!n || n->size() != 4) return call.Error("UMBDeleteMsgs", kErrorBadArguments);
  const long long box = (*n)[0];
  const long long folder = (*n)[2];
  if (!ValidPlace(box, folder)) return call.Error("UMBDeleteMsgs", 1);
  const int count = CountOf(call.phone, static_cast<int>(box), static_cast<int>(folder));
  if (count == 0) return call.Error("UMBDeleteMsgs", -2);
  for (int index = 0; index < count; ++index) RemoveStoreFile(MessageOf(call.phone, box, folder, index));
  call.Ret("UMBDeleteMsgs", "0");
}

}  // namespace

std::vector<CommandEntry> MessageCommands() {
  return {
      {"UMBInitMsgs", UMBInitMsgs},     {"UMBGetMsgs", UMBGetMsgs},       {"UMBSetMsgs", UMBSetMsgs},
      {"UMBFinishMsgs", UMBFinishMsgs}, {"UMBDeleteMsgs", UMBDeleteMsgs},
  };
}

}  // namespace phonesim
