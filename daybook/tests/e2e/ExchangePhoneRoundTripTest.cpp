// The exchange files between two phones: contacts, schedule and to-do downloaded from one simulated
// phone, exported as vCard, CSV and vCalendar, imported into a fresh document after the first phone
// is gone, and uploaded to a second simulated phone. Read back from the second phone, every record
// equals the first phone's in every field the file format carries. Both phones are reached through
// the link service's own core, the phone library loaded by name in the phone's home.
#include "ExchangeFiles.h"
#include "Transfers.h"

#include "support/PhoneRecords.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace daybook;
using namespace exchange_files;
using namespace phone_records;
namespace fs = std::filesystem;

namespace {

class PhoneRoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("daybook-phones-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    AddExchangeFiles(libraries, ui, interlex, folder);
    host.log = &libraries.log;
  }
  void TearDown() override { fs::remove_all(folder); }

  // One command with the exchange folder `sub`: an export writes its files there, an import reads
  // every file of the kind found there.
  void Run(CManager& manager, UINT command, const char* sub) {
    host.manager = &manager;
    fs::create_directories(folder / sub);
    ui.folder = (folder / sub).string();
    g_folder = folder / sub;
    CExchangeBridges bridges(manager, host, libraries.Make());
    ASSERT_TRUE(bridges.Run(command));
    ASSERT_TRUE(host.shown.empty()) << host.shown[0].text;
  }

  fs::path folder;
  CScriptedUi ui;
  CInterlex interlex{ui};
  FakeHost host;
  FakeLibraries libraries;
};

TEST_F(PhoneRoundTrip, EveryFieldEachFormatCarriesReachesASecondPhone) {
  Records first;
  {
    Phone phone;
    ASSERT_TRUE(phone.Start()) << phone.Error();
    first = FillSample(phone);
    ASSERT_FALSE(testing::Test::HasFailure());
    host.pictures = phone.pictures;
    host.melodies = host.alarmMelodies = phone.melodies;
    // What the first phone holds is in the document now, and exported from there.
    CManager& m = phone.Manager();
    Run(m, CMD_EXPORT_VCARD, "cards");
    Run(m, CMD_EXPORT_CSV, "csv");
    Run(m, CMD_EXPORT_VCAL, "schedule");
    Run(m, CMD_EXPORT_VCAL_TODO, "todo");
  }
  Phone second;
  ASSERT_TRUE(second.Start()) << second.Error();
  CManager& m = second.Manager();
  // vCard: the texts and the group.
  second.ForgetPcSide();
  Run(m, CMD_IMPORT_VCARD, "cards");
  ASSERT_TRUE(second.Transfer(TransferKind::ContactsUpload));
  ExpectSameContacts(first.contacts, second.Contacts(), CardFormat::VCard);
  // CSV, into a fresh document again: every column, the choices included.
  second.ForgetPcSide();
  Run(m, CMD_IMPORT_CSV, "csv");
  ASSERT_TRUE(second.Transfer(TransferKind::ContactsUpload));
  ExpectSameContacts(first.contacts, second.Contacts(), CardFormat::Csv);

  second.ForgetPcSide();
  Run(m, CMD_IMPORT_VCAL, "schedule");
  ASSERT_TRUE(second.Transfer(TransferKind::ScheduleUpload));
  ExpectSameSchedule(first.entries, second.Schedule());

  // The to-do file, read by the to-do import that the schedule import of it sets off.
  second.ForgetPcSide();
  Run(m, CMD_IMPORT_VCAL, "todo");
  ASSERT_TRUE(second.Transfer(TransferKind::ToDoUpload));
  ExpectSameToDo(first.items, second.ToDo());
}

}  // namespace
