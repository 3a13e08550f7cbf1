// The chunked transfers end to end: the library's link engine through the link service's core to
// the simulated phone, which keeps what it is sent in its state folder. Files, groups, messages
// and mails go up and come back down; what reached the phone is read from its journal.
#include "FlashBlock.h"
#include "FlashFile.h"
#include "GroupStore.h"
#include "support/PhoneLinkTest.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<BYTE> Pattern(std::size_t size, int seed) {
  std::vector<BYTE> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>((i * 7 + static_cast<std::size_t>(seed)) & 0xFF);
  return bytes;
}

std::vector<std::string> Starting(const std::vector<std::string>& lines, std::string_view prefix) {
  std::vector<std::string> found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const std::string& line) { return line.starts_with(prefix); });
  return found;
}

class TransferRoundTrip : public PhoneLinkTest {
 protected:
  void SetUp() override {
    PhoneLinkTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(engine->UsePteCommand("00129"), 1);
  }
};

// Progress calls of a transfer; sets `cancel` after the given count of calls.
struct Progress {
  static int Record(int total, int current, void* user) {
    auto* progress = static_cast<Progress*>(user);
    progress->calls.emplace_back(total, current);
    if (progress->cancel && progress->calls.size() == progress->cancelAfter) SetEvent(progress->cancel);
    return 0;
  }
  std::vector<std::pair<int, int>> calls;
  HANDLE cancel = nullptr;
  std::size_t cancelAfter = 0;
};

TEST_F(TransferRoundTrip, FlashFilesOfEverySizeGoUpAndComeBack) {
  int file = 300;
  for (const std::size_t size : {0, 1, 63, 64, 65, 4096}) {
    SCOPED_TRACE(size);
    const std::vector<BYTE> bytes = Pattern(size, file);

    // As the record stores move their files.
    CFlashFile written;
    written.Bind(*engine, file, 1);
    written.Fill(static_cast<int>(size), 0);
    std::copy(bytes.begin(), bytes.end(), written.Data().begin());
    ASSERT_EQ(written.Write(), 1) << std::hex << GetLastError();
    CFlashFile read;
    read.Bind(*engine, file, 1);
    ASSERT_EQ(read.Read(), 1) << std::hex << GetLastError();
    EXPECT_TRUE(std::ranges::equal(read.Data(), bytes));

    // As the whole-phone sequences move theirs, with progress down to 0.
    CFlashBlock up(file, 2);
    up.SetData(bytes);
    ASSERT_EQ(engine->WriteBlock(up, nullptr, nullptr), 1) << std::hex << GetLastError();
    CFlashBlock down(file, 2);
    Progress progress;
    ASSERT_EQ(engine->ReadBlock(down, Progress::Record, &progress), 1) << std::hex << GetLastError();
    EXPECT_EQ(down.data, bytes);
    EXPECT_EQ(progress.calls.size(), (size + 63) / 64);
    if (size > 0) {
      EXPECT_EQ(progress.calls.back(), std::make_pair(static_cast<int>(size), 0));
    }
    ++file;
  }
  // An erased file reads as empty.
  CFlashFile erased;
  erased.Bind(*engine, 305, 1);
  ASSERT_EQ(erased.Erase(), 1);
  ASSERT_EQ(erased.Read(), 1);
  EXPECT_EQ(erased.Size(), 0);
}

// At the line's own pace (115,200 baud): a block of many chunks each way.
class PacedTransferRoundTrip : public TransferRoundTrip {
 protected:
  PacedTransferRoundTrip() { phoneArguments.clear(); }
};

TEST_F(PacedTransferRoundTrip, AFlashFileOfManyChunksGoesUpAndComesBackAtTheLinesPace) {
  const std::vector<BYTE> bytes = Pattern(4096, 42);
  CFlashBlock up(320, 2);
  up.SetData(bytes);
  ASSERT_EQ(engine->WriteBlock(up, nullptr, nullptr), 1) << std::hex << GetLastError();
  CFlashBlock down(320, 2);
  ASSERT_EQ(engine->ReadBlock(down, nullptr, nullptr), 1) << std::hex << GetLastError();
  EXPECT_EQ(down.data, bytes);
}

TEST_F(TransferRoundTrip, GroupsOneToNineteenGoUpAsOneFileAndComeBack) {
  CGroupStore store;
  auto nameOf = [](int group) {
    if (group == 4) return std::string(41, 'w');                  // the whole record
    if (group == 9) return std::string("Fam\xC3\xADlia \xE2\x82\xAC");  // two- and three-byte characters
    return "Group " + std::to_string(group);
  };
  for (int group = 1; group <= 19; ++group) {
    ASSERT_EQ(store.Select(group), 1);
    ASSERT_EQ(store.SetName(nameOf(group).c_str()), 1) << group;
  }
  ASSERT_EQ(store.Upload(*engine), 1) << std::hex << GetLastError();

  // The wire form: one "InitFFSWrite,106,110,779", then its 13 chunks in order.
  const std::vector<std::string> journal = Journal();
  EXPECT_EQ(Starting(journal, "InitFFSWrite"), std::vector<std::string>{"InitFFSWrite,106,110,779"});
  const std::vector<std::string> chunks = Starting(journal, "SetBufferDump");
  ASSERT_EQ(chunks.size(), 13u);
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    EXPECT_TRUE(chunks[i].ends_with("," + std::to_string(i))) << chunks[i];
    EXPECT_EQ(chunks[i].size(), std::string("SetBufferDump,").size() + (i < 12 ? 128 : 2 * (779 - 12 * 64)) + 1 +
                                    std::to_string(i).size());
  }

  CGroupStore downloaded;
  ASSERT_EQ(downloaded.Download(*engine), 1) << std::hex << GetLastError();
  for (int group = 1; group <= 19; ++group) {
    downloaded.Select(group);
    EXPECT_STREQ(downloaded.GetName(), nameOf(group).c_str()) << group;
  }
}

TEST_F(TransferRoundTrip, MessagesGoUpAndComeDown) {
  struct Message {
    int box, folder, index;
    std::vector<BYTE> bytes;
  };
  const Message messages[] = {
      {1, 0, 0, Pattern(1, 1)}, {2, 3, 0, Pattern(65, 2)}, {2, 3, 1, Pattern(64, 3)}, {3, 6, 0, Pattern(300, 4)}};
  for (const Message& m : messages) {
    ASSERT_EQ(engine->UMBSetMsgs(m.box, m.folder, m.index, m.bytes, {}), 1) << std::hex << GetLastError();
  }
  ASSERT_EQ(engine->UMBFinishMsgs(), 1);
  CString counts;
  ASSERT_EQ(engine->UMBInitMsgs(1, counts), 1);
  EXPECT_STREQ(counts.Mid(32 + 3 * 4, 4), "0200");  // box 2, sub-folder 3: two messages
  for (const Message& m : messages) {
    std::vector<BYTE> data;
    Progress progress;
    ASSERT_EQ(engine->UMBGetMsgs(m.box, m.folder, m.index, {nullptr, Progress::Record, &progress}, data), 1);
    EXPECT_EQ(data, m.bytes);
    EXPECT_EQ(progress.calls.back(), std::make_pair(0, 0));
  }
}

TEST_F(TransferRoundTrip, MailsGoUpAndComeDown) {
  const std::vector<BYTE> mails[6] = {Pattern(1, 0), {}, {}, {}, Pattern(130, 4), Pattern(64, 5)};
  ASSERT_EQ(engine->CNFStartDataExchange(1), 1);
  ASSERT_EQ(engine->CNFPInitialize(), 1);
  for (int kind = 0; kind < 6; ++kind) {
    if (mails[kind].empty()) continue;
    ASSERT_EQ(engine->CNFPWriteData(kind, 1, mails[kind], {}), 1) << kind << " " << std::hex << GetLastError();
  }
  ASSERT_EQ(engine->CNFEndDataExchange(), 1);
  // A mail of 130 bytes in three chunks, the last one -1; one of 64 bytes in one chunk, -1.
  const std::vector<std::string> writes = Starting(Journal(), "CNFPWriteData");
  ASSERT_EQ(writes.size(), 5u);
  EXPECT_TRUE(writes[1].starts_with("CNFPWriteData,4,1,0,")) << writes[1];
  EXPECT_TRUE(writes[3].starts_with("CNFPWriteData,4,1,-1,")) << writes[3];
  EXPECT_TRUE(writes[4].starts_with("CNFPWriteData,5,1,-1,")) << writes[4];

  ASSERT_EQ(engine->CNFStartDataExchange(0), 1);
  std::array<int, 6> counts{};
  ASSERT_EQ(engine->CNFPGetMailCnt(counts), 1);
  EXPECT_EQ(counts, (std::array<int, 6>{1, 0, 0, 0, 1, 1}));
  for (int kind : {0, 4, 5}) {
    std::vector<BYTE> data;
    ASSERT_EQ(engine->CNFPReadData(kind, 1, {}, data), 1) << kind;
    EXPECT_EQ(data, mails[kind]) << kind;
  }
  ASSERT_EQ(engine->CNFEndDataExchange(), 1);
}

TEST_F(TransferRoundTrip, AWriteThePhoneRefusesIsAFailure) {
  CFlashFile file;
  file.Bind(*engine, 400, 0);
  file.Fill((2 << 20) + 1, 0x55);  // more than the phone's flash holds
  SetLastError(0);
  EXPECT_EQ(file.Write(), 0);
  EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
  EXPECT_TRUE(Starting(Journal(), "SetBufferDump").empty());  // no chunk went after the refusal
  CFlashFile check;
  check.Bind(*engine, 400, 0);
  ASSERT_EQ(check.Read(), 1);
  EXPECT_EQ(check.Size(), 0);
}

TEST_F(TransferRoundTrip, ACancelStopsATransferAtTheNextChunk) {
  CFlashBlock up(500, 1);
  up.SetData(Pattern(4096, 9));
  ASSERT_EQ(engine->WriteBlock(up, nullptr, nullptr), 1);

  // The cancel event of the manager: the engine's waits and the block share it.
  HANDLE cancel = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  engine->SetCancelEvent(cancel);
  CFlashBlock down(500, 1, cancel);
  Progress progress;
  progress.cancel = cancel;
  progress.cancelAfter = 3;
  EXPECT_EQ(engine->ReadBlock(down, Progress::Record, &progress), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);
  EXPECT_TRUE(down.data.empty());
  const std::vector<std::string> asked = Starting(Journal(), "ShowBufferDump");
  EXPECT_EQ(asked, (std::vector<std::string>{"ShowBufferDump,0", "ShowBufferDump,1", "ShowBufferDump,2"}));

  // The link is usable at once afterwards.
  ASSERT_EQ(engine->ReadBlock(down, nullptr, nullptr), 1);
  EXPECT_EQ(down.data, up.data);
  engine->SetCancelEvent(nullptr);
  CloseHandle(cancel);
}

}  // namespace
