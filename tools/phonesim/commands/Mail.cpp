// The mails of the phone's second message kind: six kinds (0 to 5), each a list numbered from 1.
// The store "mail" holds each mail as "<kind>_<number>.bin". A data exchange is opened and closed
// around the transfers; "CNFPInitialize" empties the store before the PC writes it anew.
#include "Families.h"
#include "StoreFiles.h"

#include <sstream>

namespace phonesim {

namespace {

constexpr const char* kStore = "mail";
constexpr int kKinds = 6;

std::filesystem::path MailOf(const PhoneState& phone, long long kind, long long number) {
  return phone.StoreFolder(kStore) / (std::to_string(kind) + "_" + std::to_string(number) + ".bin");
}

int CountOf(const PhoneState& phone, int kind) {
  int count = 0;
  while (std::filesystem::exists(MailOf(phone, kind, count + 1))) ++count;
  return count;
}

std::optional<std::vector<long long>> Numbers(const std::vector<std::string>& args, std::size_t count) {
  if (args.size() != count) return std::nullopt;
  std::vector<long long> numbers;
  for (const std::string& arg : args) {
    const auto n = ParseNumber(arg);
    if (!n) return std::nullopt;
    numbers.push_back(*n);
  }
  return numbers;
}

std::filesystem::path WritePart(const PhoneState& phone) { return phone.StoreFolder(kStore) / "write.part"; }
std::filesystem::path WriteSelection(const PhoneState& phone) { return phone.StoreFolder(kStore) / "write.sel"; }

// A mail written in part is forgotten when a data exchange begins or ends.
void DropOpenWrite(const PhoneState& phone) {
  RemoveStoreFile(WritePart(phone));
  RemoveStoreFile(WriteSelection(phone));
}

void CNFStartDataExchange(CommandCall& call) {
  const auto n = Numbers(call.args, 1);
  if (!n || (*n)[0] < 0 || (*n)[0] > 255) return call.Error("CNFStartDataExchange", kErrorBadArguments);
  DropOpenWrite(call.phone);
  call.Ret("CNFStartDataExchange", "DONE");
}

void CNFPInitialize(CommandCall& call) {
  const auto n = Numbers(call.args, 1);
  if (!n || (*n)[0] < 2) return call.Error("CNFPInitialize", kErrorBadArguments);
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(call.phone.StoreFolder(kStore), ec)) {
    RemoveStoreFile(entry.path());
  }
  call.Ret("CNFPInitialize", "DONE");
}

void CNFPGetMailCnt(CommandCall& call) {
  std::string counts;
  for (int kind = 0; kind < kKinds; ++kind) counts += (kind ? "," : "") + std::to_string(CountOf(call.phone, kind));
  call.Ret("CNFPGetMailCnt", counts);
}

// "CNFPReadData,<kind>,<number>,0,<hex digits per chunk>" gives "CNFPReadData:RET:0,<length>";
// with <n> in place of 0, chunk n: "CNFPReadData:RET:<n>,<hex>".
void CNFPReadData(CommandCall& call) {
  const auto n = Numbers(call.args, 4);
  if (!n || (*n)[0] < 0 || (*n)[0] >= kKinds || (*n)[2] < 0 || (*n)[3] < 2) {
    return call.Error("CNFPReadData", kErrorBadArguments);
  }
  const auto bytes = ReadStoreFile(MailOf(call.phone, (*n)[0], (*n)[1]));
  if (!bytes) return call.Error("CNFPReadData", kErrorBadArguments);
  const long long part = (*n)[2];
  if (part == 0) return call.Ret("CNFPReadData", "0," + std::to_string(bytes->size()));
  const std::size_t chunk = static_cast<std::size_t>((*n)[3] / 2);
  const std::size_t at = static_cast<std::size_t>(part - 1) * chunk;
  if (at >= bytes->size()) return call.Error("CNFPReadData", kErrorBadArguments);
  call.Ret("CNFPReadData", std::to_string(part) + "," + HexOf(std::string_view(*bytes).substr(at, chunk)));
}

// "CNFPWriteData,<kind>,<number>,<sequence>,<hex>": sequence 0 begins a mail and each chunk after
// it brings the next number, up to -1, which brings the last chunk and stores the mail (a mail of
// one chunk is -1 alone). Each is answered "CNFPWriteData:RET:<sequence>:DONE"; a chunk out of
// order, or for another mail than the one begun, is refused.
void CNFPWriteData(CommandCall& call) {
  // Plain numbers, each out of its range when missing or not a number (an optional read in the
  // branches below makes GCC warn of an uninitialised value that cannot be).
  const bool four = call.args.size() == 4;
  const long long kind = four ? ParseNumber(call.args[0]).value_or(-1) : -1;
  const long long number = four ? ParseNumber(call.args[1]).value_or(0) : 0;
  const long long sequence = four ? ParseNumber(call.args[2]).value_or(-2) : -2;
  const auto bytes = four ? BytesOfHex(call.args[3]) : std::nullopt;
  if (kind < 0 || kind >= kKinds || number < 1 || sequence < -1 || !bytes) {
    return call.Error("CNFPWriteData", kErrorBadArguments);
  }
  // The mail begun: "<kind> <number> <next sequence>".
  const std::vector<std::string> open = ReadStoreLines(WriteSelection(call.phone));
  long long openKind = -1, openNumber = -1, next = -1;
  if (!open.empty()) std::istringstream(open[0]) >> openKind >> openNumber >> next;
  const bool continues = openKind == kind && openNumber == number;
  if (sequence > 0 && (!continues || sequence != next)) return call.Error("CNFPWriteData", kErrorBadArguments);
  std::string data = sequence != 0 && continues ? ReadStoreFile(WritePart(call.phone)).value_or("") : std::string();
  data += *bytes;
  if (sequence == -1) {
    WriteStoreFile(MailOf(call.phone, kind, number), data);
    DropOpenWrite(call.phone);
  } else {
    WriteStoreFile(WritePart(call.phone), data);
    WriteStoreLines(WriteSelection(call.phone),
                    {call.args[0] + " " + call.args[1] + " " + std::to_string(sequence + 1)});
  }
  call.replies.push_back("CNFPWriteData:RET:" + call.args[2] + ":DONE");
}

void CNFEndDataExchange(CommandCall& call) {
  DropOpenWrite(call.phone);
  call.Ret("CNFEndDataExchange", "DONE");
}

}  // namespace

std::vector<CommandEntry> MailCommands() {
  return {
      {"CNFStartDataExchange", CNFStartDataExchange},
      {"CNFPInitialize", CNFPInitialize},
      {"CNFPGetMailCnt", CNFPGetMailCnt},
      {"CNFPReadData", CNFPReadData},
      {"CNFPWriteData", CNFPWriteData},
      {"CNFEndDataExchange", CNFEndDataExchange},
  };
}

}  // namespace phonesim
