// The commands around the phone's stored messages and the mails of its second message kind
// (the chunked reads and writes of each message and mail are transfers of their own).
#include "LinkEngine.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

#include <climits>

namespace {

int Fail() {
  SetLastError(ERROR_PHONE_BAD_REPLY);
  return 0;
}

// "CNFPGetMailCnt:RET:", which the count reply begins with.
constexpr std::size_t kMailCountLead = 19;

}  // namespace

int CLinkEngine::UMBInitMsgs(int box, CString& counts) {
  std::string reply;
  if (!Exchange(CommandText("UMBInitMsgs,%d", box), reply)) return 0;
  CReplyFields fields;
  fields.Split(reply, ":");
  if (fields.GetField(1) == "ERROR") return Fail();
  // "UMBInitMsgs,<counts>:...": the counts are the second item of the first field.
  CReplyFields items;
  items.Split(fields.GetField(0), ",");
  if (items.GetCount() < 2) return Fail();
  counts = items.GetField(1).c_str();
  return 1;
}

int CLinkEngine::UMBFinishMsgs() {
  std::string reply;
  if (!Exchange("UMBFinishMsgs", reply)) return 0;
  return reply == "UMBFinishMsgs:RET:1" ? 1 : Fail();
}

int CLinkEngine::UMBDeleteMsgs(int box, int index) {
  std::string reply;
  if (!Exchange(CommandText("UMBDeleteMsgs,%d,0,%d,0", box, index), reply)) return 0;
  // Nothing to delete, and a folder the phone does not keep, are no failures of a delete.
  for (std::string_view done : {"UMBDeleteMsgs:RET:0", "UMBDeleteMsgs:ERROR:-2", "UMBDeleteMsgs:ERROR:1"}) {
    if (reply == done) return 1;
  }
  return Fail();
}

int CLinkEngine::CNFPInitialize() {
  std::string reply;
  if (!Exchange(CommandText("CNFPInitialize,%d", 2 * TransferChunkSize()), reply)) return 0;
  return reply == "CNFPInitialize:RET:DONE" ? 1 : Fail();
}

int CLinkEngine::CNFStartDataExchange(BYTE mode) {
  std::string reply;
  if (!Exchange(CommandText("CNFStartDataExchange,%d", mode), reply)) return 0;
  return reply == "CNFStartDataExchange:RET:DONE" ? 1 : Fail();
}

int CLinkEngine::CNFEndDataExchange() {
  std::string reply;
  if (!Exchange("CNFEndDataExchange", reply)) return 0;
  return reply == "CNFEndDataExchange:RET:DONE" ? 1 : Fail();
}

int CLinkEngine::CNFPGetMailCnt(std::array<int, 6>& counts) {
  std::string reply;
  if (!Exchange("CNFPGetMailCnt", reply)) return 0;
  if (reply.size() < kMailCountLead) return Fail();
  CReplyFields items;
  items.Split(std::string_view(reply).substr(kMailCountLead), ",");
  if (items.GetCount() < counts.size()) return Fail();
  std::array<int, 6> read{};
  for (std::size_t kind = 0; kind < read.size(); ++kind) {
    if (!ReadCount(items.GetField(kind), INT_MAX, read[kind])) return Fail();
  }
  counts = read;
  return 1;
}
