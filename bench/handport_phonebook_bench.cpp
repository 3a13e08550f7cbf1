// The whole phone book (500 contacts) down from the simulated phone at 115,200 baud, through the
// link service's own core and the phone-access library loaded by name, as the contacts page of an
// application asks for it; and a 100,000-byte media file up to the phone and down again. Each
// time is set beside the time its bytes need on the wire: the bytes of the link service's traffic
// log each way, at 11,520 bytes a second (ten bits a byte).
#include "WireLog.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <handport/Handport.h>

#include <phonesim/PhoneSimProcess.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using wire_log::CountLoggedBytes;
using wire_log::FileSize;
using wire_log::kWireBytesPerSecond;
using wire_log::WireBytes;

constexpr int kContacts = 500;

// Sets the transfer's time beside its wire time and prints both.
void ReportWireRatio(benchmark::State& state, const char* what, double seconds, const WireBytes& bytes) {
  const double wire = static_cast<double>(bytes.Total()) / kWireBytesPerSecond;
  state.counters["to_phone_bytes"] = static_cast<double>(bytes.toPhone);
  state.counters["from_phone_bytes"] = static_cast<double>(bytes.fromPhone);
  state.counters["wire_s"] = wire;
  state.counters["ratio"] = wire > 0 ? seconds / wire : 0;
  std::printf("%s: %.2f s; on the wire %lld bytes to the phone and %lld from it, %.2f s at 11,520 bytes/s; ratio %.2f\n",
              what, seconds, bytes.toPhone, bytes.fromPhone, wire, wire > 0 ? seconds / wire : 0.0);
}

void PhoneBookDownload(benchmark::State& state) {
  const std::string home =
      (std::filesystem::temp_directory_path() / ("handport-bench-" + std::to_string(std::random_device{}()))).string();
  std::filesystem::create_directories(home + "/drive_c");
  QuietLinkHome quiet(home);
  std::ofstream(home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  WriteSetting("Build", std::string("ZSE_0100"));
  WriteSetting("InitTimeOut", DWORD{300});
  WriteSetting("EnableLogging", DWORD{1});
  const std::string log = home + "/drive_c/Tolvar.log";

  // The manager reads the link service's port when it is made.
  ManagerLibrary library;
  if (!library.Load()) return state.SkipWithError("the library did not load");

  // One contact written on a fast line, then copied into every slot of the phone's flash.
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
    contact.strText[0] = "A contact with a little of everything in it";
    if (manager.TestModeOn() != PA_MS_OK || manager.PA_PutPhoneBook(&contact, 0) != PA_OK ||
        manager.PA_UploadPhoneBook(0) != PA_MS_OK)
      return state.SkipWithError("the phone book could not be filled");
    manager.PowerOff();
    manager.PA_ClosePort();
    phone.Stop();
    const std::string flash = home + "/phonesim/flash/";
    for (int slot = 1; slot < kContacts; ++slot)
      std::filesystem::copy_file(flash + "256_0.bin", flash + "256_" + std::to_string(slot) + ".bin",
                                 std::filesystem::copy_options::overwrite_existing);
  }

  phonesim::PhoneSimProcess phone;
  if (!phone.Start({.model = "Selka", .home = home, .arguments = {"--baud", "115200"}}))
    return state.SkipWithError(phone.Error().c_str());
  LinkServiceHost service(home + "/Phones.ini");
  QuietLinkHome::PointLibraryAt(service.Port());
  CManager& manager = *library.Start();
  for (auto _ : state) {
    if (manager.TestModeOn() != PA_MS_OK) return state.SkipWithError("no command mode");
    const std::streamoff before = FileSize(log);
    const auto start = std::chrono::steady_clock::now();
    const PA_MS_RESULT result = manager.PA_DownloadPhoneBook(-1);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    if (result != PA_MS_OK) return state.SkipWithError("the download failed");
    unsigned char exists = 0;
    for (short slot = 0; slot < kContacts; ++slot) {
      if (manager.PA_ExistsPhoneBook(slot, &exists) != PA_MS_OK || !exists) return state.SkipWithError("a contact is missing");
    }
    ReportWireRatio(state, ("phone book of " + std::to_string(kContacts) + " contacts").c_str(), seconds,
                    CountLoggedBytes(log, before));
    manager.PowerOff();
    manager.PA_ClosePort();
  }
  library.Unload();
  phone.Stop();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
}
BENCHMARK(PhoneBookDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// One file of 100,000 bytes up into the camera folder and down again, each timed on its own.
void MediaUploadAndDownload(benchmark::State& state) {
  constexpr short kCamera = 11;
  constexpr std::size_t kFileSize = 100'000;
  const std::string home =
      (std::filesystem::temp_directory_path() / ("handport-bench-" + std::to_string(std::random_device{}()))).string();
  std::filesystem::create_directories(home + "/drive_c");
  QuietLinkHome quiet(home);
  std::ofstream(home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  WriteSetting("Build", std::string("ZSE_0100"));
  WriteSetting("InitTimeOut", DWORD{300});
  WriteSetting("EnableLogging", DWORD{1});
  const std::string log = home + "/drive_c/Tolvar.log";

  ManagerLibrary library;
  if (!library.Load()) return state.SkipWithError("the library did not load");
  phonesim::PhoneSimProcess phone;
  if (!phone.Start({.model = "Selka", .home = home, .arguments = {"--baud", "115200"}}))
    return state.SkipWithError(phone.Error().c_str());
  LinkServiceHost service(home + "/Phones.ini");
  QuietLinkHome::PointLibraryAt(service.Port());
  CManager& manager = *library.Start();
  std::vector<BYTE> bytes(kFileSize);
  for (std::size_t i = 0; i < kFileSize; ++i) bytes[i] = static_cast<BYTE>(i * 7 + (i >> 8));
  for (auto _ : state) {
    if (manager.TestModeOn() != PA_MS_OK) return state.SkipWithError("no command mode");
    PA_RESOURCE_INFO up;
    up.dwFolderId = kCamera;
    up.strFileName = "bench.bin";
    up.strTitle = "Bench";
    up.pData = bytes.data();
    up.dwSize = static_cast<DWORD>(bytes.size());
    std::streamoff before = FileSize(log);
    auto start = std::chrono::steady_clock::now();
    if (manager.PA_UploadResource(&up) != PA_MS_OK) return state.SkipWithError("the upload failed");
    const double upSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ReportWireRatio(state, "media file of 100,000 bytes up", upSeconds, CountLoggedBytes(log, before));

    PA_RESOURCE_INFO down;
    before = FileSize(log);
    start = std::chrono::steady_clock::now();
    const PA_MS_RESULT result = manager.PA_DownloadResource(&down, kCamera, static_cast<short>(up.dwIndex), 0);
    const double downSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool same = result == PA_MS_OK && down.pData && down.dwSize == kFileSize &&
                      std::equal(bytes.begin(), bytes.end(), down.pData);
    if (down.pData) manager.DeleteDataArray(down.pData);
    if (!same) return state.SkipWithError("the download failed or differs");
    ReportWireRatio(state, "media file of 100,000 bytes down", downSeconds, CountLoggedBytes(log, before));
    state.SetIterationTime(upSeconds + downSeconds);
    manager.PowerOff();
    manager.PA_ClosePort();
  }
  library.Unload();
  phone.Stop();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
}
BENCHMARK(MediaUploadAndDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
