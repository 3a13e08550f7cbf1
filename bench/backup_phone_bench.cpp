// A whole backup of a filled simulated phone at 115,200 baud, and the restore of that file, each
// through Backup's runs, the phone-access library loaded by name and the link service's own core;
// each time beside the time its bytes need on the wire (the bytes of the link service's traffic
// log each way, at 11,520 bytes a second). The goal: within 1.25 of the wire time.
#include "BackupRun.h"
#include "WireReport.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <phonesim/PhoneSimProcess.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using wire_log::CountLoggedBytes;
using wire_log::FileSize;
using wire_log::Report;

constexpr int kContacts = 500;
constexpr std::size_t kFileSize = 100'000;

class SilentReport : public IRunReport {
 public:
  void Log(const CString&, int) override {}
  void Overlay(const CString&) override {}
  void Busy(bool) override {}
  void Progress(int, int) override {}
};

void WholeBackupAndRestore(benchmark::State& state) {
  const std::string home =
      (std::filesystem::temp_directory_path() / ("backup-bench-" + std::to_string(std::random_device{}()))).string();
  std::filesystem::create_directories(home + "/drive_c");
  QuietLinkHome quiet(home);
  std::ofstream(home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  WriteSetting("Build", std::string("ZSE_0100"));
  WriteSetting("InitTimeOut", DWORD{300});
  WriteSetting("EnableLogging", DWORD{1});
  const std::string log = home + "/drive_c/Tolvar.log";
  const std::string file = home + "/phone.bck";
  ManagerLibrary library;
  if (!library.Load()) return state.SkipWithError("the library did not load");

  // Filled on a fast line: one contact copied into every slot, and a file of 100,000 bytes.
  {
    phonesim::PhoneSimProcess phone;
    if (!phone.Start({.model = "Selka", .home = home, .arguments = {"--baud", "2000000"}}))
      return state.SkipWithError(phone.Error().c_str());
    LinkServiceHost service(home + "/Phones.ini");
    QuietLinkHome::PointLibraryAt(service.Port());
    CManager& manager = *library.Start();
    PA_PHONEBOOK_INFO contact;
    contact.strName = "Benchmark Person";
    contact.strNumber[0] = "+441234567890";
    contact.strEmail[0] = "person@example.org";
    std::vector<BYTE> bytes(kFileSize);
    for (std::size_t i = 0; i < kFileSize; ++i) bytes[i] = static_cast<BYTE>(i * 7 + (i >> 8));
    PA_RESOURCE_INFO up;
    up.dwFolderId = 11;
    up.strFileName = "bench.jpg";
    up.strTitle = "keFTJpeg";
    up.pData = bytes.data();
    up.dwSize = static_cast<DWORD>(bytes.size());
    if (manager.TestModeOn() != PA_MS_OK || manager.PA_PutPhoneBook(&contact, 0) != PA_OK ||
        manager.PA_UploadPhoneBook(0) != PA_MS_OK || manager.PA_UploadResource(&up) != PA_MS_OK)
      return state.SkipWithError("the phone could not be filled");
    manager.PowerOff();
    manager.PA_ClosePort();
    phone.Stop();
    const std::string flash = home + "/phonesim/flash/";
    for (int slot = 1; slot < kContacts; ++slot)
      std::filesystem::copy_file(flash + "256_0.bin", flash + "256_" + std::to_string(slot) + ".bin",
                                 std::filesystem::copy_options::overwrite_existing);
  }

  phonesim::PhoneSimProcess phone;
  if (!phone.Start({.model = "Selka", .home = home, .arguments = {"--baud", "115200", "--off-time", "0"}}))
    return state.SkipWithError(phone.Error().c_str());
  LinkServiceHost service(home + "/Phones.ini");
  QuietLinkHome::PointLibraryAt(service.Port());
  CManager& manager = *library.Start();
  const RunChoice choice{BCK_KIND_CONTACTS | BCK_KIND_PICTURES | BCK_KIND_MELODIES | BCK_KIND_MOVIES,
                         BackupVariant::FromBuild("ZSE_0100")};
  for (auto _ : state) {
    SilentReport report;
    CManagerPhone phone(manager);
    std::streamoff before = FileSize(log);
    auto start = std::chrono::steady_clock::now();
    RunOutcome outcome;
    {
      CBackupRun run(phone, report);
      outcome = run.Run(file.c_str(), choice);
    }
    const double backupSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!outcome.fileWritten) return state.SkipWithError("the backup failed");
    Report(state, "backup", backupSeconds, CountLoggedBytes(log, before).Total());

    before = FileSize(log);
    start = std::chrono::steady_clock::now();
    {
      CRestoreRun run(phone, report);
      outcome = run.Run(file.c_str(), choice);
    }
    const double restoreSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Report(state, "restore", restoreSeconds, CountLoggedBytes(log, before).Total());
    state.SetIterationTime(backupSeconds + restoreSeconds);
  }
  library.Unload();
  phone.Stop();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
}
BENCHMARK(WholeBackupAndRestore)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
