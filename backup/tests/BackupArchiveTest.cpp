// The backup file: every record type written and read back, the bytes it lays down, and how a
// reader meets files that are not backups, are cut short or claim more than they hold.
#include "BackupArchive.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<BYTE>;

namespace {

class BackupArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    m_folder = fs::temp_directory_path() / ("backup_archive_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    fs::create_directories(m_folder);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  std::string Path(const char* name = "phone.bck") const { return (m_folder / name).string(); }
  static Bytes Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void Save(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // The frames of a file (what follows the header).
  Bytes Frames(const std::string& path) const {
    const Bytes all = Load(path);
    return Bytes(all.begin() + 128, all.end());
  }
  std::size_t FileCount() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_folder), {})); }

  fs::path m_folder;
};

Bytes Header(DWORD kinds, const char* label = "Teste01", const char* identity = "") {
  Bytes header(128, 0);
  header[0] = 'P', header[1] = 'M', header[2] = 'D', header[3] = 'C';
  for (std::size_t i = 0; label[i]; ++i) header[4 + i] = static_cast<BYTE>(label[i]);
  for (int i = 0; i < 4; ++i) header[68 + i] = static_cast<BYTE>(kinds >> (8 * i));
  for (std::size_t i = 0; identity[i]; ++i) header[72 + i] = static_cast<BYTE>(identity[i]);
  return header;
}

Bytes Frame(BYTE type, const Bytes& payload) {
  const auto n = static_cast<DWORD>(payload.size());
  Bytes frame{static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24), type};
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

CString LongText(char fill) { return CString(fill, 0xFFFF); }

PA_PHONEBOOK_INFO Contact(bool longest) {
  PA_PHONEBOOK_INFO c;
  auto text = [&](const char* value, char fill) { return longest ? LongText(fill) : CString(value); };
  c.strName = text("", 'a');
  for (int i = 0; i < 7; ++i) c.strNumber[i] = text(i == 0 ? "+4930123" : "", static_cast<char>('0' + i));
  c.strEmail[0] = text("", 'e');
  c.strEmail[1] = text("x@y.z", 'f');
  c.strText[0] = text("", 'g');
  c.strText[1] = text("", 'h');
  c.bGroup = 19, c.bChoice = 14, c.bReserved4 = 0xA5, c.bReserved5 = 0x5A;
  c.dwPictureId = 0x12345678, c.dwMelodyId = 0xFFFFFFFF, c.dwReserved6 = 6, c.dwReserved7 = 7;
  c.strReserved1 = text("", 'i');
  c.strReserved2 = text("", 'j');
  c.wPhoneFlag = 0xBEEF;
  c.strReading = text("", 'k');
  c.strReserved3 = text("", 'l');
  c.strReserved4 = text("", 'm');
  c.strReserved5 = text("", 'n');
  c.dwReserved8 = 499;
  return c;
}

void ExpectSame(const PA_PHONEBOOK_INFO& a, const PA_PHONEBOOK_INFO& b) {
  EXPECT_EQ(a.strName, b.strName);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(a.strNumber[i], b.strNumber[i]);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(a.strEmail[i], b.strEmail[i]);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(a.strText[i], b.strText[i]);
  EXPECT_EQ(a.bGroup, b.bGroup);
  EXPECT_EQ(a.bChoice, b.bChoice);
  EXPECT_EQ(a.bReserved4, b.bReserved4);
  EXPECT_EQ(a.bReserved5, b.bReserved5);
  EXPECT_EQ(a.dwPictureId, b.dwPictureId);
  EXPECT_EQ(a.dwMelodyId, b.dwMelodyId);
  EXPECT_EQ(a.dwReserved6, b.dwReserved6);
  EXPECT_EQ(a.dwReserved7, b.dwReserved7);
  EXPECT_EQ(a.strReserved1, b.strReserved1);
  EXPECT_EQ(a.strReserved2, b.strReserved2);
  EXPECT_EQ(a.wPhoneFlag, b.wPhoneFlag);
  EXPECT_EQ(a.strReading, b.strReading);
  EXPECT_EQ(a.strReserved3, b.strReserved3);
  EXPECT_EQ(a.strReserved4, b.strReserved4);
  EXPECT_EQ(a.strReserved5, b.strReserved5);
  EXPECT_EQ(a.dwReserved8 & 0xFFFF, b.dwReserved8 & 0xFFFF);
}

TEST_F(BackupArchiveTest, EveryWrittenTypeReadsBackWithEmptyAndLongestTexts) {
  for (const bool longest : {false, true}) {
    SCOPED_TRACE(longest ? "longest texts" : "empty texts");
    auto text = [&](const char* value, char fill) { return longest ? LongText(fill) : CString(value); };
    Bytes messageBytes{1, 2, 3, 0, 255};
    PA_MESSAGE_INFO message{1, 2, 6, static_cast<DWORD>(messageBytes.size()), messageBytes.data()};
    PA_IMODE_INFO mail{1, 7, 42, 0, nullptr};
    const PA_PHONEBOOK_INFO contact = Contact(longest);
    PA_SCHEDULE_INFO entry;
    entry.strDescription = text("", 'd');
    entry.tmStart = CTime(-86400);  // before 1970: the u32 carries the signed count
    entry.bAlarm = 1, entry.bRepeat = 3, entry.bReserved4 = 9, entry.bPrivate = 1;
    entry.strReserved = text("", 'r');
    entry.strMelodyName = text("", 'm');
    entry.sReserved5 = 599;
    entry.dwMelodyId = 0x01020304;
    PA_TODO_INFO item;
    item.strDescription = text("", 't');
    item.tmStart = CTime(1700000000);
    item.tmDue = CTime(0x7FFFFFFF);
    item.bStatus = 1, item.bPriority = 2, item.bCategory = 2, item.bPrivate = 1, item.bReserved4 = 99;
    PA_RESOURCE_INFO listEntry;
    listEntry.dwIndex = 3, listEntry.dwFileId = 77, listEntry.strTitle = text("keFTGifAnim", 'T');
    listEntry.strFileName = text("a.gif", 'F'), listEntry.strDisplayName = text("", 'D');
    listEntry.dwReserved5 = 5, listEntry.dwFolderId = 0, listEntry.dwReserved6 = BCK_MEDIA_PICTURES;
    Bytes media(2u << 20);
    for (std::size_t i = 0; i < media.size(); ++i) media[i] = static_cast<BYTE>(i * 7 + (i >> 12));
    PA_RESOURCE_INFO file = listEntry;
    file.dwSize = static_cast<DWORD>(media.size());
    file.pData = media.data();
    file.dwFolderId = 17;
    file.dwReserved6 = BCK_MEDIA_MOVIES;
    PA_FOLDER_INFO folder;
    folder.dwNumber = 16, folder.dwType = 0x10016, folder.strName = text("", 'N'), folder.lFolderId = -1;
    folder.dwReserved = BCK_MEDIA_MELODIES;

    CBackupArchive out;
    ASSERT_EQ(out.Create(Path().c_str(), "Teste01", 0x13FE, "35400011223344"), BCK_OK);
    EXPECT_EQ(out.WriteMessage(message), BCK_OK);
    EXPECT_EQ(out.WriteIModeMessage(mail), BCK_OK);
    EXPECT_EQ(out.WriteGroup(19, text("", 'G')), BCK_OK);
    EXPECT_EQ(out.WriteContact(contact), BCK_OK);
    EXPECT_EQ(out.WriteSchedule(entry), BCK_OK);
    EXPECT_EQ(out.WriteToDo(item), BCK_OK);
    EXPECT_EQ(out.WriteResource(listEntry), BCK_OK);
    EXPECT_EQ(out.WriteResource(file), BCK_OK);
    EXPECT_EQ(out.WriteFolder(folder), BCK_OK);
    ASSERT_EQ(out.Close(), BCK_OK);

    CBackupArchive in;
    ASSERT_EQ(in.Open(Path().c_str()), BCK_OK);
    EXPECT_EQ(in.GetKinds(), 0x13FEu);
    EXPECT_EQ(in.GetIdentity(), CString("35400011223344"));
    EXPECT_EQ(in.GetLabel(), CString("Teste01"));
    BYTE type = 0;
    std::unique_ptr<BYTE[]> data;

    ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
    EXPECT_EQ(type, BRT_MESSAGE);
    PA_MESSAGE_INFO m;
    ASSERT_EQ(in.ReadMessage(m, data), BCK_OK);
    EXPECT_EQ(m.dwBox, 2u);
    EXPECT_EQ(m.dwFolder, 6u);
    EXPECT_EQ(Bytes(m.pData, m.pData + m.dwLength), messageBytes);

    ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
    PA_IMODE_INFO i;
    ASSERT_EQ(in.ReadIModeMessage(i, data), BCK_OK);
    EXPECT_EQ(i.dwBox, 7u);
    EXPECT_EQ(i.dwFolder, 42u);
    EXPECT_EQ(i.dwLength, 0u);

    ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
    BYTE number = 0;
    CString name;
    ASSERT_EQ(in.ReadGroup(number, name), BCK_OK);
    EXPECT_EQ(number, 19);
    EXPECT_EQ(name, text("", 'G'));

    ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
    PA_PHONEBOOK_INFO c;
    ASSERT_EQ(in.ReadContact(c), BCK_OK);
    ExpectSame(c, contact);

    ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
    PA_SCHEDULE_INFO s;
    ASSERT_EQ(in.ReadSchedule(s), BCK_OK);
    EXPECT_EQ(s.strDescription, entry.strDescription);
    EXPECT_EQ(s.tmStart.GetTime(), entry.tmStart.GetTime());
    EXPECT_EQ(s.bAlarm, 1);
    EXPECT_EQ(s.bRepeat, 3);
    EXPECT_EQ(s.strReserved, entry.strReserved);
    EXPECT_EQ(s.bReserved4, 9);
    EXPECT_EQ(s.bPrivate, 1);
    EXPECT_EQ(s.strMelodyName, entry.strMelodyName);
    EXPECT_EQ(s.sReserved5, 599);
    EXPECT_EQ(s.dwMelodyId, 0x01020304u);

    ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
    PA_TODO_INFO t;
    ASSERT_EQ(in.ReadToDo(t), BCK_OK);
    EXPECT_EQ(t.strDescription, item.strDescription);
    EXPECT_EQ(t.tmStart.GetTime(), 1700000000);
    EXPECT_EQ(t.tmDue.GetTime(), 0x7FFFFFFF);
    EXPECT_EQ(std::vector<int>({t.bStatus, t.bPriority, t.bCategory, t.bPrivate, t.bReserved4}),
              std::vector<int>({1, 2, 2, 1, 99}));

    for (const PA_RESOURCE_INFO* expected : {&listEntry, &file}) {
      ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
      PA_RESOURCE_INFO r;
      ASSERT_EQ(in.ReadResource(r, data), BCK_OK);
      EXPECT_EQ(r.dwIndex, expected->dwIndex);
      EXPECT_EQ(r.dwFileId, expected->dwFileId);
      EXPECT_EQ(r.strTitle, expected->strTitle);
      EXPECT_EQ(r.strFileName, expected->strFileName);
      EXPECT_EQ(r.strDisplayName, expected->strDisplayName);
      EXPECT_EQ(r.dwReserved5, expected->dwReserved5);
      EXPECT_EQ(r.dwFolderId, expected->dwFolderId);
      EXPECT_EQ(r.dwReserved6, expected->dwReserved6);
      ASSERT_EQ(r.dwSize, expected->dwSize);
      if (r.dwSize) {
        EXPECT_TRUE(std::equal(r.pData, r.pData + r.dwSize, expected->pData));
      } else {
        EXPECT_EQ(r.pData, nullptr);
      }
    }

    ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
    PA_FOLDER_INFO f;
    ASSERT_EQ(in.ReadFolder(f), BCK_OK);
    EXPECT_EQ(f.dwNumber, 16u);
    EXPECT_EQ(f.dwType, 0x10016u);
    EXPECT_EQ(f.strName, folder.strName);
    EXPECT_EQ(f.lFolderId, -1);
    EXPECT_EQ(f.dwReserved, BCK_MEDIA_MELODIES);

    EXPECT_EQ(in.ReadRecord(&type), BCK_END);
    EXPECT_EQ(in.ReadRecord(&type), BCK_END);
    EXPECT_EQ(in.Close(), BCK_OK);
    EXPECT_EQ(CheckBackupFile(Path().c_str()), BCK_OK);
  }
}

TEST_F(BackupArchiveTest, HeaderBytesCutTheLabelAndIdentityToTheirFields) {
  CBackupArchive out;
  const std::string label(100, 'L');
  ASSERT_EQ(out.Create(Path().c_str(), label.c_str(), 0x280, "0123456789ABCDEFGHIJKLMNOP"), BCK_OK);
  ASSERT_EQ(out.Close(), BCK_OK);
  Bytes expected = Header(0x280, std::string(63, 'L').c_str(), "0123456789ABCDEFGHI");
  EXPECT_EQ(Load(Path()), expected);
}

// One record of each type as it lies in the file, the types only read included.
TEST_F(BackupArchiveTest, RecordsHaveTheirGoldenBytes) {
  const Bytes group = Frame(BRT_GROUP, {3, 2, 0, 'H', 'i'});
  const Bytes message = Frame(BRT_MESSAGE, {1, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 0xAB, 0xCD});
  const Bytes mail = Frame(BRT_IMODE_MESSAGE, {2, 0, 0, 0, 9, 0, 0, 0, 1, 0, 0, 0, 0x11});
  Bytes contactPayload;
  auto str = [&](Bytes& to, std::string_view text) {
    to.push_back(static_cast<BYTE>(text.size()));
    to.push_back(static_cast<BYTE>(text.size() >> 8));
    to.insert(to.end(), text.begin(), text.end());
  };
  auto u32 = [](Bytes& to, DWORD v) { for (int i = 0; i < 4; ++i) to.push_back(static_cast<BYTE>(v >> (8 * i))); };
  str(contactPayload, "Ann");
  str(contactPayload, "112");
  for (int i = 1; i < 7; ++i) str(contactPayload, "");
  for (int i = 0; i < 4; ++i) str(contactPayload, "");
  contactPayload.insert(contactPayload.end(), {5, 1, 0, 0});
  u32(contactPayload, 33);
  u32(contactPayload, 44);
  u32(contactPayload, 0);
  u32(contactPayload, 0);
  str(contactPayload, "");
  str(contactPayload, "");
  contactPayload.insert(contactPayload.end(), {0x01, 0x00});
  str(contactPayload, "an");
  for (int i = 0; i < 3; ++i) str(contactPayload, "");
  contactPayload.insert(contactPayload.end(), {0x2A, 0x00});
  const Bytes contact = Frame(BRT_CONTACT, contactPayload);
  const Bytes todo = Frame(BRT_TODO, {1, 0, 'T', 0x00, 0xF1, 0x53, 0x65, 0x80, 0xF1, 0x53, 0x65, 1, 2, 0, 1, 7, 0});
  Bytes schedulePayload;
  str(schedulePayload, "Meet");
  u32(schedulePayload, 1700000000);
  schedulePayload.insert(schedulePayload.end(), {1, 2});
  str(schedulePayload, "");
  schedulePayload.insert(schedulePayload.end(), {0, 1});
  str(schedulePayload, "Bell");
  schedulePayload.insert(schedulePayload.end(), {0x0C, 0x00});
  Bytes shortPayload = schedulePayload;
  u32(schedulePayload, 33);
  const Bytes schedule = Frame(BRT_SCHEDULE, schedulePayload);
  const Bytes scheduleShort = Frame(BRT_SCHEDULE_SHORT, shortPayload);
  Bytes resourcePayload;
  u32(resourcePayload, 1);
  u32(resourcePayload, 40);
  str(resourcePayload, "keFTJpeg");
  str(resourcePayload, "p.jpg");
  str(resourcePayload, "p");
  u32(resourcePayload, 0);
  u32(resourcePayload, 3);
  u32(resourcePayload, 16);
  u32(resourcePayload, 0);
  resourcePayload.insert(resourcePayload.end(), {0xFF, 0xD8, 0xFF});
  const Bytes resource = Frame(BRT_RESOURCE, resourcePayload);
  Bytes folderPayload;
  u32(folderPayload, 16);
  u32(folderPayload, 16);
  str(folderPayload, "Trips");
  u32(folderPayload, 0);
  u32(folderPayload, 0);
  const Bytes folder = Frame(BRT_FOLDER, folderPayload);
  Bytes altResourcePayload{2, 41};
  str(altResourcePayload, "keFTMidi");
  str(altResourcePayload, "s.mid");
  str(altResourcePayload, "s");
  altResourcePayload.push_back(0);
  u32(altResourcePayload, 2);
  altResourcePayload.insert(altResourcePayload.end(), {17, 1, 0, 'M', 'T'});
  const Bytes altResource = Frame(BRT_RESOURCE_ALT, altResourcePayload);
  Bytes altFolderPayload{17, 18};
  str(altFolderPayload, "Old");
  altFolderPayload.insert(altFolderPayload.end(), {1, 1, 0});
  const Bytes altFolder = Frame(BRT_FOLDER_ALT, altFolderPayload);

  // What the encoders lay down.
  {
    CBackupArchive out;
    ASSERT_EQ(out.Create(Path().c_str(), "Teste01", 0x3E, "35"), BCK_OK);
    EXPECT_EQ(out.WriteGroup(3, "Hi"), BCK_OK);
    BYTE bytes[] = {0xAB, 0xCD, 0x11};
    EXPECT_EQ(out.WriteMessage(PA_MESSAGE_INFO{1, 1, 4, 2, bytes}), BCK_OK);
    EXPECT_EQ(out.WriteIModeMessage(PA_IMODE_INFO{1, 2, 9, 1, bytes + 2}), BCK_OK);
    PA_PHONEBOOK_INFO c;
    c.strName = "Ann", c.strNumber[0] = "112", c.bGroup = 5, c.bChoice = 1, c.dwPictureId = 33, c.dwMelodyId = 44;
    c.wPhoneFlag = 1, c.strReading = "an", c.dwReserved8 = 0x7777002A;  // only the low half is the slot
    EXPECT_EQ(out.WriteContact(c), BCK_OK);
    PA_TODO_INFO t;
    t.strDescription = "T", t.tmStart = CTime(0x6553F100), t.tmDue = CTime(0x6553F180);
    t.bStatus = 1, t.bPriority = 2, t.bPrivate = 1, t.bReserved4 = 7;
    EXPECT_EQ(out.WriteToDo(t), BCK_OK);
    PA_SCHEDULE_INFO s;
    s.strDescription = "Meet", s.tmStart = CTime(1700000000), s.bAlarm = 1, s.bRepeat = 2, s.bPrivate = 1;
    s.strMelodyName = "Bell", s.sReserved5 = 12, s.dwMelodyId = 33;
    EXPECT_EQ(out.WriteSchedule(s), BCK_OK);
    BYTE jpeg[] = {0xFF, 0xD8, 0xFF};
    PA_RESOURCE_INFO r;
    r.dwIndex = 1, r.dwFileId = 40, r.strTitle = "keFTJpeg", r.strFileName = "p.jpg", r.strDisplayName = "p";
    r.dwSize = 3, r.pData = jpeg, r.dwFolderId = 16;
    EXPECT_EQ(out.WriteResource(r), BCK_OK);
    PA_FOLDER_INFO f;
    f.dwNumber = 16, f.dwType = 16, f.strName = "Trips", f.lFolderId = 0, f.dwReserved = 0;
    EXPECT_EQ(out.WriteFolder(f), BCK_OK);
    ASSERT_EQ(out.Close(), BCK_OK);
    EXPECT_EQ(Load(Path()), Concat({Header(0x3E, "Teste01", "35"), group, message, mail, contact, todo, schedule,
                                    resource, folder}));
  }

  // What the decoders make of them, with the types only read.
  Save(Path(), Concat({Header(0x3E), scheduleShort, altResource, altFolder, schedule}));
  CBackupArchive in;
  ASSERT_EQ(in.Open(Path().c_str()), BCK_OK);
  BYTE type = 0;
  ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
  EXPECT_EQ(type, BRT_SCHEDULE_SHORT);
  PA_SCHEDULE_INFO s;
  s.dwMelodyId = 99;
  ASSERT_EQ(in.ReadSchedule(s), BCK_OK);
  EXPECT_EQ(s.strDescription, CString("Meet"));
  EXPECT_EQ(s.strMelodyName, CString("Bell"));
  EXPECT_EQ(s.sReserved5, 12);
  EXPECT_EQ(s.dwMelodyId, 0u);
  ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
  PA_RESOURCE_INFO r;
  std::unique_ptr<BYTE[]> data;
  ASSERT_EQ(in.ReadResource(r, data), BCK_OK);
  EXPECT_EQ(std::vector<DWORD>({r.dwIndex, r.dwFileId, r.dwReserved5, r.dwSize, r.dwFolderId, r.dwReserved6}),
            std::vector<DWORD>({2, 41, 0, 2, 17, 1}));
  EXPECT_EQ(r.strTitle, CString("keFTMidi"));
  EXPECT_EQ(r.strFileName, CString("s.mid"));
  EXPECT_EQ(Bytes(r.pData, r.pData + 2), Bytes({'M', 'T'}));
  ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
  PA_FOLDER_INFO f;
  ASSERT_EQ(in.ReadFolder(f), BCK_OK);
  EXPECT_EQ(std::vector<long>({long(f.dwNumber), long(f.dwType), long(f.lFolderId), long(f.dwReserved)}),
            std::vector<long>({17, 18, 1, 1}));
  EXPECT_EQ(f.strName, CString("Old"));
  ASSERT_EQ(in.ReadRecord(&type), BCK_OK);
  ASSERT_EQ(in.ReadSchedule(s), BCK_OK);
  EXPECT_EQ(s.dwMelodyId, 33u);
  PA_TODO_INFO t;
  EXPECT_EQ(in.ReadToDo(t), BCK_OTHER_TYPE);
  EXPECT_EQ(in.ReadRecord(&type), BCK_END);
}

TEST_F(BackupArchiveTest, OpenAndCloseFollowTheState) {
  Save(Path(), Header(0x1004));
  Save(Path("other.bck"), Header(0x2));
  CBackupArchive archive;
  EXPECT_EQ(archive.Close(), BCK_NOT_OPEN);
  EXPECT_EQ(archive.ReadRecord(), BCK_NOT_OPEN);
  EXPECT_EQ(archive.WriteGroup(1, "x"), BCK_NOT_OPEN);
  EXPECT_EQ(archive.Open(Path("missing.bck").c_str()), BCK_CANNOT_OPEN);
  ASSERT_EQ(archive.Open(Path().c_str()), BCK_OK);
  EXPECT_EQ(archive.GetState(), 1);
  // A second open neither succeeds nor rereads the header.
  EXPECT_EQ(archive.Open(Path("other.bck").c_str()), BCK_ALREADY_OPEN);
  EXPECT_EQ(archive.Create(Path("new.bck").c_str(), "", 0, ""), BCK_ALREADY_OPEN);
  EXPECT_EQ(archive.GetKinds(), 0x1004u);
  // A header alone: no records, the kinds kept, also after the close.
  EXPECT_EQ(archive.ReadRecord(), BCK_END);
  EXPECT_EQ(archive.WriteGroup(1, "x"), BCK_NOT_OPEN);
  EXPECT_EQ(archive.Close(), BCK_OK);
  EXPECT_EQ(archive.Close(), BCK_NOT_OPEN);
  EXPECT_EQ(archive.GetKinds(), 0x1004u);
  EXPECT_EQ(archive.Create((m_folder / "no such folder" / "x.bck").string().c_str(), "", 0, ""), BCK_CANNOT_CREATE);
  EXPECT_EQ(archive.GetState(), 0);
}

TEST_F(BackupArchiveTest, FilesThatAreNotBackupsAreRefusedAndLeftClosed) {
  const Bytes good = Header(0x2);
  Bytes wrongMagic = good;
  wrongMagic[3] = 'X';
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"magic alone", Bytes(good.begin(), good.begin() + 4)},
      {"127 bytes", Bytes(good.begin(), good.begin() + 127)},
      {"wrong magic", wrongMagic},
      {"text", Bytes(200, 'a')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Save(Path(), c.bytes);
    CBackupArchive archive;
    EXPECT_EQ(archive.Open(Path().c_str()), BCK_NOT_BACKUP);
    EXPECT_EQ(archive.GetState(), 0);
    EXPECT_EQ(archive.Close(), BCK_NOT_OPEN);
    EXPECT_EQ(CheckBackupFile(Path().c_str()), BCK_NOT_BACKUP);
  }
}

// Cut anywhere, a file gives back the records it holds whole; a cut at a frame's border is the end,
// a cut inside a frame is damage.
TEST_F(BackupArchiveTest, AFileCutAnywhereEndsWithEndOrDamage) {
  const Bytes first = Frame(BRT_GROUP, {1, 1, 0, 'A'});
  const Bytes second = Frame(BRT_GROUP, {2, 2, 0, 'B', 'C'});
  const Bytes whole = Concat({Header(0x2), first, second});
  for (std::size_t cut = 128; cut <= whole.size(); ++cut) {
    SCOPED_TRACE(cut);
    Save(Path(), Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    CBackupArchive archive;
    ASSERT_EQ(archive.Open(Path().c_str()), BCK_OK);
    int records = 0;
    BYTE result;
    while ((result = archive.ReadRecord()) == BCK_OK) {
      BYTE number = 0;
      CString name;
      EXPECT_EQ(archive.ReadGroup(number, name), BCK_OK);
      EXPECT_EQ(number, records + 1);
      ++records;
    }
    const std::size_t afterFirst = 128 + first.size();
    const int expectedRecords = cut >= whole.size() ? 2 : cut >= afterFirst ? 1 : 0;
    const bool atBorder = cut == 128 || cut == afterFirst || cut == whole.size();
    EXPECT_EQ(records, expectedRecords);
    EXPECT_EQ(result, atBorder ? BCK_END : BCK_DAMAGED);
    EXPECT_EQ(archive.ReadRecord(), result);  // reading stays ended
    EXPECT_EQ(CheckBackupFile(Path().c_str()), atBorder ? BCK_OK : BCK_DAMAGED);
  }
}

// Lengths the payload does not hold are refused before anything is read or allocated for them.
TEST_F(BackupArchiveTest, CraftedLengthsAreRefused) {
  auto frameOfLength = [](DWORD n, BYTE type) {
    return Bytes{static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24), type};
  };
  const struct {
    const char* name;
    Bytes frames;
    BYTE readResult;  // of the first ReadRecord
  } cases[] = {
      {"frame of 4 GB", frameOfLength(0xFFFFFFFF, BRT_RESOURCE), BCK_DAMAGED},
      {"frame one byte longer than the file", Concat({frameOfLength(4, BRT_GROUP), {1, 1, 0}}), BCK_DAMAGED},
      {"frame above the bound", Concat({frameOfLength(CBackupArchive::kMaxPayload + 1, BRT_RESOURCE)}), BCK_DAMAGED},
      {"group name longer than its payload", Frame(BRT_GROUP, {1, 0xFF, 0xFF, 'a'}), BCK_OK},
      {"message length of 4 GB", Frame(BRT_MESSAGE, {1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1}), BCK_OK},
      {"i-mode length one too many", Frame(BRT_IMODE_MESSAGE, {1, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1}), BCK_OK},
      {"resource size of 4 GB", Frame(BRT_RESOURCE, Concat({Bytes(8, 0), Bytes(6, 0), Bytes(4, 0), {0xFF, 0xFF, 0xFF, 0xFF},
                                                             Bytes(8, 0), {1, 2}})), BCK_OK},
      {"contact cut in its last field", Frame(BRT_CONTACT, Bytes(18 * 2 + 4 + 16 + 2 + 1, 0)), BCK_OK},
      {"schedule without its melody id", Frame(BRT_SCHEDULE, Bytes(2 + 4 + 2 + 2 + 2 + 2 + 2, 0)), BCK_OK},
      {"to-do cut short", Frame(BRT_TODO, Bytes(2 + 4 + 4 + 4 + 1, 0)), BCK_OK},
      {"folder cut in its name", Frame(BRT_FOLDER, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 'a'}), BCK_OK},
      {"old folder without its media kind", Frame(BRT_FOLDER_ALT, Bytes{17, 0, 0, 0, 1}), BCK_OK},
      {"old resource size past the payload", Frame(BRT_RESOURCE_ALT, Concat({Bytes(2, 0), Bytes(6, 0), {0}, {9, 0, 0, 0},
                                                                              {0, 0, 0}, {1}})), BCK_OK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Save(Path(), Concat({Header(0x3FE), c.frames}));
    CBackupArchive archive;
    ASSERT_EQ(archive.Open(Path().c_str()), BCK_OK);
    BYTE type = 0;
    ASSERT_EQ(archive.ReadRecord(&type), c.readResult);
    if (c.readResult == BCK_OK) {
      std::unique_ptr<BYTE[]> data;
      BYTE result = BCK_OK;
      switch (type) {
        case BRT_GROUP: { BYTE n; CString name; result = archive.ReadGroup(n, name); break; }
        case BRT_MESSAGE: { PA_MESSAGE_INFO m; result = archive.ReadMessage(m, data); break; }
        case BRT_IMODE_MESSAGE: { PA_IMODE_INFO m; result = archive.ReadIModeMessage(m, data); break; }
        case BRT_CONTACT: { PA_PHONEBOOK_INFO r; r.strName = "kept"; result = archive.ReadContact(r);
                            EXPECT_EQ(r.strName, CString("kept")); break; }
        case BRT_SCHEDULE: { PA_SCHEDULE_INFO r; result = archive.ReadSchedule(r); break; }
        case BRT_TODO: { PA_TODO_INFO r; result = archive.ReadToDo(r); break; }
        case BRT_RESOURCE: case BRT_RESOURCE_ALT: { PA_RESOURCE_INFO r; result = archive.ReadResource(r, data); break; }
        case BRT_FOLDER: case BRT_FOLDER_ALT: { PA_FOLDER_INFO r; result = archive.ReadFolder(r); break; }
      }
      EXPECT_EQ(result, BCK_DAMAGED);
      EXPECT_EQ(data, nullptr);
    }
    EXPECT_EQ(CheckBackupFile(Path().c_str()), BCK_DAMAGED);
  }
}

TEST_F(BackupArchiveTest, UnknownTypesArePassedOver) {
  Save(Path(), Concat({Header(0x2), Frame(1, {9, 9}), Frame(200, {}), Frame(BRT_GROUP, {4, 0, 0})}));
  EXPECT_EQ(CheckBackupFile(Path().c_str()), BCK_OK);
}

// A backup appears under its name only when it was closed whole; an earlier file of that name
// stays byte for byte as it was otherwise, and no temporary file is left behind.
TEST_F(BackupArchiveTest, AnUnfinishedBackupLeavesTheEarlierFile) {
  const Bytes earlier = Concat({Header(0x2), Frame(BRT_GROUP, {1, 1, 0, 'A'})});
  Save(Path(), earlier);
  {
    CBackupArchive archive;
    ASSERT_EQ(archive.Create(Path().c_str(), "Teste01", 0x3FE, ""), BCK_OK);
    ASSERT_EQ(archive.WriteGroup(2, "B"), BCK_OK);
    EXPECT_EQ(Load(Path()), earlier);
    archive.Discard();
    EXPECT_EQ(archive.GetState(), 0);
  }
  EXPECT_EQ(Load(Path()), earlier);
  {
    CBackupArchive archive;  // destroyed while writing
    ASSERT_EQ(archive.Create(Path().c_str(), "Teste01", 0x3FE, ""), BCK_OK);
    ASSERT_EQ(archive.WriteGroup(2, "B"), BCK_OK);
  }
  EXPECT_EQ(Load(Path()), earlier);
  {
    CBackupArchive archive;  // a record the format cannot hold is refused, the file goes on
    ASSERT_EQ(archive.Create(Path().c_str(), "Teste01", 0x2, ""), BCK_OK);
    EXPECT_EQ(archive.WriteGroup(2, CString('x', 0x10000)), BCK_WRITE_FAILED);
    PA_RESOURCE_INFO noData;
    noData.dwSize = 10;
    EXPECT_EQ(archive.WriteResource(noData), BCK_WRITE_FAILED);
    EXPECT_EQ(archive.WriteGroup(2, "B"), BCK_OK);
    EXPECT_EQ(archive.Close(), BCK_OK);
  }
  EXPECT_EQ(Load(Path()), Concat({Header(0x2), Frame(BRT_GROUP, {2, 1, 0, 'B'})}));
  EXPECT_EQ(FileCount(), 1u);
}

// A write that fails (here: past the process's file size limit) fails every later write and the
// close, and puts no file in place.
TEST_F(BackupArchiveTest, AFailedWriteIsReportedAndLeavesNoFile) {
  const Bytes earlier = Header(0x2);
  Save(Path(), earlier);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  BYTE writeResult = BCK_OK;
  BYTE closeResult = BCK_OK;
  BYTE afterwards = BCK_OK;
  {
    CBackupArchive archive;
    if (archive.Create(Path().c_str(), "Teste01", 0x2, "") == BCK_OK) {
      for (int i = 0; i < 100 && writeResult == BCK_OK; ++i) writeResult = archive.WriteGroup(1, CString('x', 100));
      afterwards = archive.WriteGroup(1, "y");
      closeResult = archive.Close();
    }
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(writeResult, BCK_WRITE_FAILED);
  EXPECT_EQ(afterwards, BCK_WRITE_FAILED);
  EXPECT_EQ(closeResult, BCK_WRITE_FAILED);
  EXPECT_EQ(Load(Path()), earlier);
  EXPECT_EQ(FileCount(), 1u);
}

}  // namespace
