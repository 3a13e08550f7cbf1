// The phone object and the store sides end to end: through the link service's own core to the
// simulated phone, which keeps its media tree, messages, mails and record files in its state
// folder. The tree is listed into the caches, files of every size go up and come back in both
// chunk sizes, folders and files are created, renamed, moved and deleted, messages and mails make
// the round trip, and records keep their fields on the way from one PC side to another.
#include "DataArray.h"
#include "SideStore.h"
#include "support/PhoneLinkTest.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/ScopedTimeZone.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

std::vector<BYTE> Pattern(std::size_t size, int seed) {
  std::vector<BYTE> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>((i * 31 + static_cast<std::size_t>(seed)) >> 1);
  return bytes;
}

std::size_t CountStarting(const std::vector<std::string>& lines, std::size_t from, std::string_view prefix) {
  return static_cast<std::size_t>(std::count_if(lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())),
                                                lines.end(),
                                                [&](const std::string& line) { return line.starts_with(prefix); }));
}

struct ProgressLog {
  static int Record(int total, int current, void* user) {
    static_cast<ProgressLog*>(user)->calls.emplace_back(total, current);
    return 0;
  }
  std::vector<std::pair<int, int>> calls;
};

class MediaRoundTrip : public PhoneLinkTest {
 protected:
  void SetUp() override {
    PhoneLinkTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(engine->UsePteCommand("00129"), 1);
    side = std::make_unique<CSideStore>(*engine);
  }

  void TearDown() override {
    side.reset();
    PhoneLinkTest::TearDown();
  }

  std::vector<PA_RESOURCE_INFO> Cached(int type) {
    std::vector<PA_RESOURCE_INFO> records(static_cast<std::size_t>(side->Resources().GetCount(type)));
    side->Resources().GetList(type, records);
    return records;
  }

  std::unique_ptr<CSideStore> side;
};

TEST_F(MediaRoundTrip, TheFolderTreeIsListedIntoTheCachesByDisplayName) {
  const std::set<std::string> expected[3] = {
      {"Pictures\\logo.gif", "Pictures\\Camera\\sunset.jpg", "Pictures\\Camera\\\xC3\x89t\xC3\xA9 2024\\stra\xC3\x9F" "e.png"},
      {"Sounds\\ring.mid", "Sounds\\Melodies\\\xCE\xA9mega.mmf"},
      {"\\intro.mp4", "\\Clips\\walk.3gp"},
  };
  for (int type = 0; type < 3; ++type) {
    SCOPED_TRACE(type);
    ASSERT_EQ(side->Phone().ListFolder(side->Resources(), type, 1), 1) << std::hex << GetLastError();
    const std::vector<PA_RESOURCE_INFO> records = Cached(type);
    std::set<std::string> names;
    for (const PA_RESOURCE_INFO& record : records) names.insert(static_cast<LPCSTR>(record.strDisplayName));
    EXPECT_EQ(names, expected[type]);
    for (std::size_t i = 1; i < records.size(); ++i) {
      EXPECT_LE(records[i - 1].strDisplayName.CompareNoCase(records[i].strDisplayName), 0) << i;
    }
  }
  const std::vector<PA_RESOURCE_INFO> pictures = Cached(RESOURCE_PICTURES);
  const auto png = std::find_if(pictures.begin(), pictures.end(),
                                [](const PA_RESOURCE_INFO& r) { return r.strFileName == "stra\xC3\x9F" "e.png"; });
  ASSERT_NE(png, pictures.end());
  EXPECT_EQ(png->dwFileId, 3u);
  EXPECT_EQ(png->dwFolderId, 14u);
  EXPECT_EQ(png->dwSize, 130u);
  EXPECT_STREQ(png->strTitle, "keFTPng");
}

TEST_F(MediaRoundTrip, FilesOfEverySizeGoUpAndComeDownInBothChunkSizes) {
  constexpr int kCamera = 11;
  struct Mode {
    const char* name;
    int upload, download;
  };
  const Mode modes[] = {{"standard", 64, 64}, {"extended", 480, 1024}};
  int seed = 0;
  for (const Mode& mode : modes) {
    engine->SetChunkSizes(mode.upload, 64, mode.download);
    for (const std::size_t size : {0, 1, 64, 65, 480, 1024, 100'000}) {
      SCOPED_TRACE(std::string(mode.name) + " " + std::to_string(size));
      const std::vector<BYTE> bytes = Pattern(size, ++seed);
      std::vector<BYTE> buffer = bytes;
      PA_RESOURCE_INFO up;
      up.dwFolderId = kCamera;
      up.strFileName.Format("f%d-%s.bin", static_cast<int>(size), mode.name);
      up.strTitle.Format("Bild \xC3\xBC %d", static_cast<int>(size));
      up.pData = buffer.data();
      up.dwSize = static_cast<DWORD>(size);
      const std::size_t journalAt = Journal().size();
      ProgressLog upProgress;
      ASSERT_EQ(side->Phone().UploadResource(up, {nullptr, ProgressLog::Record, &upProgress}), 1)
          << std::hex << GetLastError();
      EXPECT_GT(up.dwFileId, 7u);  // after the phone's own files
      if (size > 0) {
        EXPECT_EQ(upProgress.calls.back(), std::make_pair(static_cast<int>(size), 0));
      }

      PA_RESOURCE_INFO down;
      ProgressLog downProgress;
      ASSERT_EQ(side->Phone().DownloadResource(down, kCamera, static_cast<int>(up.dwIndex), 0,
                                               {nullptr, ProgressLog::Record, &downProgress}),
                1)
          << std::hex << GetLastError();
      ASSERT_NE(down.pData, nullptr);
      EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), down.pData, down.pData + down.dwSize));
      EXPECT_EQ(down.dwSize, size);
      EXPECT_STREQ(down.strFileName, up.strFileName);
      EXPECT_STREQ(down.strTitle, up.strTitle);
      EXPECT_EQ(down.dwFileId, up.dwFileId);
      EXPECT_EQ(down.dwFolderId, static_cast<DWORD>(kCamera));
      EXPECT_EQ(down.dwIndex, up.dwIndex);
      if (size > 0) {
        EXPECT_EQ(downProgress.calls.back(), std::make_pair(static_cast<int>(size), 0));
      }
      FreeDataArray(down.pData);

      // Chunks of the sizes asked for, the last one holding the rest.
      const std::vector<std::string> journal = Journal();
      const std::size_t upChunks = (size + mode.upload - 1) / mode.upload;
      const std::size_t downChunks = (size + mode.download - 1) / mode.download;
      EXPECT_EQ(CountStarting(journal, journalAt, "PutResourceFileWFolder,") - 2, upChunks);
      EXPECT_EQ(CountStarting(journal, journalAt, "GetResourceFileWFolder,") - 1, downChunks);
    }
  }
}

// At the line's own pace (115,200 baud), in the extended chunk sizes: several chunks each way.
class PacedMediaRoundTrip : public MediaRoundTrip {
 protected:
  PacedMediaRoundTrip() { phoneArguments.clear(); }
};

TEST_F(PacedMediaRoundTrip, AFileOfSeveralChunksGoesUpAndComesDownAtTheLinesPace) {
  engine->SetChunkSizes(480, 64, 1024);
  const std::vector<BYTE> bytes = Pattern(5000, 77);
  std::vector<BYTE> buffer = bytes;
  PA_RESOURCE_INFO up;
  up.dwFolderId = 11;
  up.strFileName = "paced.bin";
  up.pData = buffer.data();
  up.dwSize = static_cast<DWORD>(buffer.size());
  ASSERT_EQ(side->Phone().UploadResource(up, {}), 1) << std::hex << GetLastError();
  PA_RESOURCE_INFO down;
  ASSERT_EQ(side->Phone().DownloadResource(down, 11, static_cast<int>(up.dwIndex), 0, {}), 1)
      << std::hex << GetLastError();
  ASSERT_NE(down.pData, nullptr);
  EXPECT_EQ(down.dwSize, bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), down.pData, down.pData + down.dwSize));
  FreeDataArray(down.pData);
}

TEST_F(MediaRoundTrip, ACancelStopsADownloadAtTheNextChunkAndKeepsNoBytes) {
  std::vector<BYTE> bytes = Pattern(2000, 5);
  PA_RESOURCE_INFO up;
  up.dwFolderId = 1;
  up.strFileName = "long.mid";
  up.pData = bytes.data();
  up.dwSize = static_cast<DWORD>(bytes.size());
  ASSERT_EQ(side->Phone().UploadResource(up, {}), 1);

  side->Phone().Cancel();
  PA_RESOURCE_INFO down;
  EXPECT_EQ(side->Phone().DownloadResource(down, 1, static_cast<int>(up.dwIndex), 0,
                                           {side->Phone().GetCancelEvent(), nullptr, nullptr}),
            0);
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);
  EXPECT_EQ(down.pData, nullptr);
  // The signal was taken: the next download runs whole.
  ASSERT_EQ(side->Phone().DownloadResource(down, 1, static_cast<int>(up.dwIndex), 0,
                                           {side->Phone().GetCancelEvent(), nullptr, nullptr}),
            1);
  EXPECT_EQ(down.dwSize, 2000u);
  FreeDataArray(down.pData);
}

TEST_F(MediaRoundTrip, FoldersAndFilesAreCreatedRenamedMovedAndDeletedAndATakenNameIsReported) {
  CPhoneDevice& phone = side->Phone();
  PA_FOLDER_INFO trips;
  trips.lFolderId = 0;
  trips.strName = "Ferien";
  ASSERT_EQ(phone.CreateFolder(trips), 1) << std::hex << GetLastError();
  const DWORD tripsId = trips.dwType;
  EXPECT_GE(tripsId, 16u);
  PA_FOLDER_INFO again = trips;
  again.dwType = again.dwNumber = 0;
  EXPECT_EQ(phone.CreateFolder(again), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
  EXPECT_EQ(again.dwType, tripsId);
  EXPECT_EQ(again.dwNumber, trips.dwNumber);
  PA_FOLDER_INFO beach;
  beach.lFolderId = static_cast<LONG>(tripsId);
  beach.strName = "Strand \xE2\x98\x80";
  ASSERT_EQ(phone.CreateFolder(beach), 1);

  BYTE bytes[5] = {1, 2, 3, 4, 5};
  auto upload = [&](const char* name, PA_RESOURCE_INFO& file) {
    file = PA_RESOURCE_INFO{};
    file.dwFolderId = tripsId;
    file.strFileName = name;
    file.pData = bytes;
    file.dwSize = sizeof bytes;
    return phone.UploadResource(file, {});
  };
  PA_RESOURCE_INFO a, b, aAgain;
  ASSERT_EQ(upload("a.jpg", a), 1);
  ASSERT_EQ(upload("b.jpg", b), 1);
  EXPECT_EQ(upload("a.jpg", aAgain), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_EXISTS);
  EXPECT_EQ(aAgain.dwFileId, a.dwFileId);
  EXPECT_EQ(aAgain.dwIndex, 2u);

  // A name the folder holds is not taken by a rename or a move.
  PA_RESOURCE_INFO renamed = b;
  renamed.strFileName = "a.jpg";
  EXPECT_EQ(phone.RenameFile(renamed), 0);
  renamed.strFileName = "c \xC3\xA9t\xC3\xA9.jpg";
  ASSERT_EQ(phone.RenameFile(renamed), 1);
  PA_RESOURCE_INFO listed;
  ASSERT_EQ(phone.GetResourceInfo(listed, static_cast<int>(tripsId), 1, 0), 1);
  EXPECT_STREQ(listed.strFileName, "c \xC3\xA9t\xC3\xA9.jpg");
  EXPECT_EQ(listed.dwFileId, b.dwFileId);
  ASSERT_EQ(phone.MoveFile(static_cast<int>(b.dwFileId), static_cast<int>(beach.dwType)), 1);
  int count = -1;
  ASSERT_EQ(phone.GetNumResources(static_cast<int>(beach.dwType), 0, count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(phone.MoveFile(static_cast<int>(a.dwFileId), 1), 0);  // pictures stay pictures

  ASSERT_EQ(phone.DeleteResource(static_cast<int>(a.dwFileId)), 1);
  EXPECT_EQ(phone.DeleteResource(static_cast<int>(a.dwFileId)), 0);
  ASSERT_EQ(phone.GetNumSubfolders(0, count), 1);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(phone.DeleteFolder(static_cast<int>(tripsId), static_cast<int>(trips.dwNumber)), 1);
  ASSERT_EQ(phone.GetNumSubfolders(0, count), 1);
  EXPECT_EQ(count, 1);
  ASSERT_EQ(phone.ListFolder(side->Resources(), RESOURCE_PICTURES, 0), 1);
  EXPECT_EQ(side->Resources().GetCount(RESOURCE_PICTURES), 3);  // the folder went with its files
}

TEST_F(MediaRoundTrip, MessagesGoUpAndComeBackAndOnlyTheBoxesWrittenAreReplaced) {
  struct Message {
    DWORD box, folder;
    std::vector<BYTE> bytes;
  };
  auto put = [](CMessageStore& cache, const std::vector<Message>& messages) {
    for (const Message& m : messages) {
      std::vector<BYTE> buffer = m.bytes;
      PA_MESSAGE_INFO record{1, m.box, m.folder, static_cast<DWORD>(buffer.size()), buffer.data()};
      ASSERT_EQ(cache.Put(&record), PA_OK);
    }
  };
  auto expectCache = [](const CMessageStore& cache, const std::vector<Message>& messages) {
    ASSERT_EQ(cache.Count(), static_cast<int>(messages.size()));
    for (std::size_t i = 0; i < messages.size(); ++i) {
      const PA_MESSAGE_INFO& got = cache.Records()[i];
      EXPECT_EQ(got.dwValid, 1u);
      EXPECT_EQ(got.dwBox, messages[i].box) << i;
      EXPECT_EQ(got.dwFolder, messages[i].folder) << i;
      EXPECT_EQ(std::vector<BYTE>(got.pData, got.pData + got.dwLength), messages[i].bytes) << i;
    }
  };
  // In the order a download reads them: by box, sub-folder and number.
  const std::vector<Message> first = {{1, 0, Pattern(1, 1)},  {1, 0, Pattern(0, 2)},   {2, 3, Pattern(64, 3)},
                                      {2, 3, Pattern(65, 4)}, {2, 6, Pattern(300, 5)}, {3, 4, Pattern(128, 6)}};
  CMessageStore up;
  put(up, first);
  ASSERT_EQ(side->Phone().UploadMessages(up, {}), 1) << std::hex << GetLastError();
  CMessageStore down;
  ASSERT_EQ(side->Phone().DownloadMessages(down, {}), 1) << std::hex << GetLastError();
  expectCache(down, first);

  // Box 2 anew: boxes 1 and 3 keep what they held.
  CMessageStore box2;
  put(box2, {{2, 1, Pattern(10, 7)}});
  ASSERT_EQ(side->Phone().UploadMessages(box2, {}), 1);
  ASSERT_EQ(side->Phone().DownloadMessages(down, {}), 1);
  expectCache(down, {first[0], first[1], {2, 1, Pattern(10, 7)}, first[5]});
}

TEST_F(MediaRoundTrip, MailsAndTheMailFileGoUpAndComeBack) {
  struct Mail {
    DWORD kind, number;
    std::vector<BYTE> bytes;
  };
  const std::vector<Mail> mails = {{0, 1, Pattern(1, 1)},   {0, 2, Pattern(200, 2)}, {3, 1, Pattern(64, 3)},
                                   {5, 1, Pattern(129, 4)}, {100, 1, Pattern(700, 5)}};
  CIModeStore up;
  for (const Mail& m : mails) {
    std::vector<BYTE> buffer = m.bytes;
    PA_IMODE_INFO record{1, m.kind, m.number, static_cast<DWORD>(buffer.size()), buffer.data()};
    ASSERT_EQ(up.Put(&record), PA_OK);
  }
  ASSERT_EQ(side->Phone().UploadIModeMessages(up, {}), 1) << std::hex << GetLastError();
  CIModeStore down;
  ProgressLog progress;
  ASSERT_EQ(side->Phone().DownloadIModeMessages(down, {nullptr, ProgressLog::Record, &progress}), 1)
      << std::hex << GetLastError();
  ASSERT_EQ(down.Count(), static_cast<int>(mails.size()));
  for (std::size_t i = 0; i < mails.size(); ++i) {
    const PA_IMODE_INFO& got = down.Records()[i];
    EXPECT_EQ(got.dwBox, mails[i].kind) << i;
    EXPECT_EQ(got.dwFolder, mails[i].number) << i;
    EXPECT_EQ(std::vector<BYTE>(got.pData, got.pData + got.dwLength), mails[i].bytes) << i;
  }
  EXPECT_EQ(progress.calls.back(), std::make_pair(700, 0));  // the mail file came last
}

// Records of a PC side written to the phone, read back into a phone side, and copied to a second
// PC side, as an upload and a later download do.
TEST_F(MediaRoundTrip, RecordsKeepEveryFieldTheStoresKeepFromOnePcSideToAnother) {
  tolvar::testing::ScopedTimeZone zone{"Europe/Berlin"};
  CSideStore& pc = *side;
  CSideStore phoneSide(*engine);
  CSideStore pcAgain(*engine);
  // The phone is a "Z" model: schedule and to-do in the extended layouts.
  for (CSideStore* s : {&pc, &phoneSide, &pcAgain}) s->UseExtendedLayouts();
  PA_RESOURCE_INFO melody;
  melody.dwFileId = 4;
  melody.strDisplayName = "Sounds\\ring.mid";
  ASSERT_EQ(pc.PutResourceList(RESOURCE_SOUNDS, std::span(&melody, 1)), PA_OK);

  PA_PHONEBOOK_INFO contact;
  contact.strName = "Jo\xC3\xABl";
  contact.strReading = "Joel";
  contact.strNumber[0] = "+4930123";
  contact.strNumber[6] = "0170*#";
  contact.strEmail[1] = "joel@example.org";
  contact.strText[0] = "Hinterhaus";
  contact.bGroup = 4;
  contact.bChoice = 2;
  contact.dwPictureId = 1;
  contact.dwMelodyId = 4;
  PA_SCHEDULE_INFO entry;
  entry.strDescription = "Konzert \xE2\x99\xAA";
  entry.tmStart = CTime(2015, 11, 20, 19, 30, 0);
  entry.bAlarm = 1;
  entry.bRepeat = 3;
  entry.bPrivate = 1;
  entry.dwMelodyId = 4;
  entry.strMelodyName = "Sounds\\ring.mid";
  PA_TODO_INFO item;
  item.strDescription = "Reifen wechseln";
  item.tmStart = CTime(2016, 3, 1, 0, 0, 0);
  item.tmDue = CTime(2016, 4, 1, 0, 0, 0);
  item.bStatus = 1;
  item.bPriority = 2;
  item.bCategory = 2;
  item.bPrivate = 1;
  PA_GROUP_INFO group{1, "Chor"};
  ASSERT_EQ(pc.PutContact(7, &contact), PA_OK);
  ASSERT_EQ(pc.PutSchedule(12, &entry), PA_OK);
  ASSERT_EQ(pc.PutToDo(3, &item), PA_OK);
  ASSERT_EQ(pc.PutGroup(4, &group), PA_OK);

  const std::pair<RecordKind, int> slots[] = {
      {RecordKind::Contacts, 7}, {RecordKind::Schedule, 12}, {RecordKind::ToDo, 3}, {RecordKind::Groups, 4}};
  for (const auto& [kind, slot] : slots) {
    SCOPED_TRACE(slot);
    // One contact file; the schedule and to-do files of a phone that holds none yet are written
    // whole, as are the groups.
    const int each = kind == RecordKind::Contacts ? slot : -1;
    ASSERT_EQ(pc.WriteToPhone(kind, each, nullptr), 1) << std::hex << GetLastError();
    ASSERT_EQ(phoneSide.ReadFromPhone(kind, each, nullptr), 1) << std::hex << GetLastError();
    ASSERT_TRUE(pcAgain.CopyFrom(phoneSide, kind, each));
  }

  PA_PHONEBOOK_INFO gotContact;
  gotContact.dwReserved7 = 0x77;
  gotContact.strReserved5 = "mine";
  ASSERT_EQ(pcAgain.GetContact(7, &gotContact), PA_OK);
  EXPECT_STREQ(gotContact.strName, contact.strName);
  EXPECT_STREQ(gotContact.strReading, contact.strReading);
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(gotContact.strNumber[i], contact.strNumber[i]) << i;
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(gotContact.strEmail[i], contact.strEmail[i]) << i;
    EXPECT_STREQ(gotContact.strText[i], contact.strText[i]) << i;
  }
  EXPECT_EQ(gotContact.bGroup, 4);
  EXPECT_EQ(gotContact.bChoice, 2);
  EXPECT_EQ(gotContact.dwPictureId, 1u);
  EXPECT_EQ(gotContact.dwMelodyId, 4u);
  EXPECT_EQ(gotContact.dwReserved7, 0x77u);
  EXPECT_STREQ(gotContact.strReserved5, "mine");

  PA_SCHEDULE_INFO gotEntry;
  ASSERT_EQ(pcAgain.GetSchedule(12, &gotEntry), PA_OK);
  EXPECT_STREQ(gotEntry.strDescription, entry.strDescription);
  EXPECT_EQ(gotEntry.tmStart, entry.tmStart);
  EXPECT_EQ(gotEntry.bAlarm, 1);
  EXPECT_EQ(gotEntry.bRepeat, 3);
  EXPECT_EQ(gotEntry.bPrivate, 1);
  EXPECT_EQ(gotEntry.dwMelodyId, 4u);

  PA_TODO_INFO gotItem;
  ASSERT_EQ(pcAgain.GetToDo(3, &gotItem), PA_OK);
  EXPECT_STREQ(gotItem.strDescription, item.strDescription);
  EXPECT_EQ(gotItem.tmStart, item.tmStart);
  EXPECT_EQ(gotItem.tmDue, item.tmDue);
  EXPECT_EQ(gotItem.bStatus, 1);
  EXPECT_EQ(gotItem.bPriority, 2);
  EXPECT_EQ(gotItem.bCategory, 2);
  EXPECT_EQ(gotItem.bPrivate, 1);

  PA_GROUP_INFO gotGroup;
  ASSERT_EQ(pcAgain.GetGroup(4, &gotGroup), PA_OK);
  EXPECT_STREQ(gotGroup.strName, "Chor");
  EXPECT_EQ(pcAgain.GetGroup(5, &gotGroup), PA_EMPTY_SLOT);
}

}  // namespace
