// The flash file system: files named by a file number and a sub-number, read and written whole
// in chunks of 64 bytes that travel as hex text. The store "flash" holds one file per pair
// ("<file>_<sub>.bin"; a missing file reads as size 0, but for the record stores' used flags), the selection of the last "FFSRead" and
// the write that "InitFFSWrite" began. The phonebook's record count and the schedule's restart
// live here too: the contacts are files (256, slot). The files share 2 MiB, room for a whole
// phone with every media array full; a write that would not fit is refused before any chunk.
#include "Families.h"
#include "RecordFiles.h"
#include "StoreFiles.h"

#include <sstream>

namespace phonesim {

namespace {

constexpr const char* kStore = "flash";
constexpr std::size_t kChunk = 64;
constexpr long long kCapacity = 2 << 20;  // bytes of all flash files together
constexpr int kErrorNoRoom = 4;
constexpr int kContactFile = 256;
constexpr int kContactSlots = 500;

std::filesystem::path FileOf(const PhoneState& phone, long long file, long long sub) {
  return phone.StoreFolder(kStore) / (std::to_string(file) + "_" + std::to_string(sub) + ".bin");
}

// A file's bytes as the phone reads them. The used flags of the schedule (99, 3) and of the to-do
// list (102, 4) exist on every phone, all zero while nothing was ever written there: a fresh phone
// has an empty schedule, not a missing one. Any other file never written reads as empty.
std::string FlashFileBytes(const PhoneState& phone, long long file, long long sub) {
  if (auto bytes = ReadStoreFile(FileOf(phone, file, sub))) return *bytes;
  if (file == 99 && sub == 3) return std::string(600, '\0');
  if (file == 102 && sub == 4) return std::string(100, '\0');
  return {};
}

std::filesystem::path ReadSelection(const PhoneState& phone) { return phone.StoreFolder(kStore) / "read.sel"; }
std::filesystem::path WriteSelection(const PhoneState& phone) { return phone.StoreFolder(kStore) / "write.sel"; }
std::filesystem::path WritePart(const PhoneState& phone) { return phone.StoreFolder(kStore) / "write.part"; }

// The file and sub-number of the first two arguments: numbers of at least 0.
bool FileArguments(const CommandCall& call, long long& file, long long& sub) {
  const auto f = call.args.size() >= 2 ? ParseNumber(call.args[0]) : std::nullopt;
  const auto s = call.args.size() >= 2 ? ParseNumber(call.args[1]) : std::nullopt;
  if (!f || !s || *f < 0 || *s < 0) return false;
  file = *f;
  sub = *s;
  return true;
}

void FFSRead(CommandCall& call) {
  long long file, sub;
  if (call.args.size() != 2 || !FileArguments(call, file, sub)) return call.Error("FFSRead", kErrorBadArguments);
  const std::string bytes = FlashFileBytes(call.phone, file, sub);
  WriteStoreLines(ReadSelection(call.phone), {std::to_string(file) + " " + std::to_string(sub)});
  call.Ret("FFSRead", std::to_string(bytes.size()));
}

void ShowBufferDump(CommandCall& call) {
  // -1 when missing or not a number (see CNFPWriteData: a plain number keeps GCC from a false warning).
  const long long chunk = call.args.size() == 1 ? ParseNumber(call.args[0]).value_or(-1) : -1;
  const std::vector<std::string> selection = ReadStoreLines(ReadSelection(call.phone));
  long long file = -1, sub = -1;
  if (!selection.empty()) std::istringstream(selection[0]) >> file >> sub;
  if (chunk < 0 || file < 0) return call.Error("ShowBufferDump", kErrorBadArguments);
  const std::string bytes = FlashFileBytes(call.phone, file, sub);
  const std::size_t at = static_cast<std::size_t>(chunk) * kChunk;
  if (at >= bytes.size()) return call.Error("ShowBufferDump", kErrorBadArguments);
  call.Ret("ShowBufferDump", HexOf(std::string_view(bytes).substr(at, kChunk)));
}

// The bytes of every flash file but (file, sub), which a write replaces.
long long UsedBytes(const PhoneState& phone, long long file, long long sub) {
  long long used = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(phone.StoreFolder(kStore), ec)) {
    if (entry.path().extension() == ".bin" && entry.path() != FileOf(phone, file, sub)) {
      used += static_cast<long long>(entry.file_size(ec));
    }
  }
  return used;
}

void InitFFSWrite(CommandCall& call) {
  long long file, sub;
  const auto size = call.args.size() == 3 ? ParseNumber(call.args[2]) : std::nullopt;
  if (!size || *size < 0 || !FileArguments(call, file, sub)) return call.Error("InitFFSWrite", kErrorBadArguments);
  if (*size > kCapacity - UsedBytes(call.phone, file, sub)) return call.Error("InitFFSWrite", kErrorNoRoom);
  if (*size == 0) {
    // Nothing will follow: the file is empty now.
    RemoveStoreFile(FileOf(call.phone, file, sub));
    RemoveStoreFile(WriteSelection(call.phone));
    return call.Ret("InitFFSWrite", "1");
  }
  WriteStoreLines(WriteSelection(call.phone), {std::to_string(file) + " " + std::to_string(sub) + " " +
                                               std::to_string(*size)});
  WriteStoreFile(WritePart(call.phone), "");
  call.Ret("InitFFSWrite", "1");
}

// "SetBufferDump,<hex>,<chunk>": the chunks come in order; the answer says whether the file is
// whole now (1) or more is awaited (0).
void SetBufferDump(CommandCall& call) {
  const std::vector<std::string> selection = ReadStoreLines(WriteSelection(call.phone));
  long long file = -1, sub = -1, size = -1;
  if (!selection.empty()) std::istringstream(selection[0]) >> file >> sub >> size;
  const auto chunk = call.args.size() == 2 ? ParseNumber(call.args[1]) : std::nullopt;
  const auto bytes = call.args.size() == 2 ? BytesOfHex(call.args[0]) : std::nullopt;
  std::string part = ReadStoreFile(WritePart(call.phone)).value_or("");
  if (file < 0 || !chunk || !bytes || bytes->empty() || static_cast<std::size_t>(*chunk) * kChunk != part.size() ||
      part.size() + bytes->size() > static_cast<std::size_t>(size)) {
    return call.Error("SetBufferDump", kErrorBadArguments);
  }
  part += *bytes;
  if (part.size() < static_cast<std::size_t>(size)) {
    WriteStoreFile(WritePart(call.phone), part);
    return call.Ret("SetBufferDump", "0");
  }
  WriteStoreFile(FileOf(call.phone, file, sub), KeptFlashFile(call.phone, file, std::move(part)));
  RemoveStoreFile(WritePart(call.phone));
  RemoveStoreFile(WriteSelection(call.phone));
  call.Ret("SetBufferDump", "1");
}

void FFSErase(CommandCall& call) {
  long long file, sub;
  if (call.args.size() != 2 || !FileArguments(call, file, sub)) return call.Error("FFSErase", kErrorBadArguments);
  RemoveStoreFile(FileOf(call.phone, file, sub));
  call.Ret("FFSErase", "1");
}

void GetPBRecordCount(CommandCall& call) {
  int count = 0;
  for (int slot = 0; slot < kContactSlots; ++slot) {
    if (!ReadStoreFile(FileOf(call.phone, kContactFile, slot)).value_or("").empty()) ++count;
  }
  call.Ret("GetPBRecordCount", std::to_string(count));
}

// The schedule takes the files written since its last start; 1 says it restarted.
void ScheduleInit(CommandCall& call) { call.Ret("ScheduleInit", "1"); }

}  // namespace

std::vector<CommandEntry> FlashFileCommands() {
  return {
      {"FFSRead", FFSRead},
      {"ShowBufferDump", ShowBufferDump},
      {"InitFFSWrite", InitFFSWrite},
      {"SetBufferDump", SetBufferDump},
      {"FFSErase", FFSErase},
      {"GetPBRecordCount", GetPBRecordCount},
      {"ScheduleInit", ScheduleInit},
  };
}

}  // namespace phonesim
