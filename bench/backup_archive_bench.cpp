// A backup file with media records written and read back through CBackupArchive, beside the bytes
// moved: the archive's own cost must stay far below the phone's link (goal: 50 MB/s and more).
// Each iteration writes 200 list entries, 50 contacts and 40 media files of 256 KB, then reads
// every record back through its decoder.
#include "BackupArchive.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string BenchPath() {
  return (std::filesystem::temp_directory_path() / "backup_archive_bench.bck").string();
}

std::size_t WriteFile(const std::string& path, const std::vector<BYTE>& media) {
  CBackupArchive archive;
  if (archive.Create(path.c_str(), "Teste01", 0x7E, "354000112233") != BCK_OK) return 0;
  std::size_t bytes = 128;
  PA_RESOURCE_INFO entry;
  entry.strTitle = "keFTJpeg";
  entry.strFileName = "picture.jpg";
  entry.strDisplayName = "picture";
  for (int i = 0; i < 200; ++i) {
    entry.dwFileId = static_cast<DWORD>(i);
    archive.WriteResource(entry);
  }
  PA_PHONEBOOK_INFO contact;
  contact.strName = "A contact name";
  contact.strNumber[0] = "+49301234567";
  for (int i = 0; i < 50; ++i) archive.WriteContact(contact);
  PA_RESOURCE_INFO file = entry;
  file.dwSize = static_cast<DWORD>(media.size());
  file.pData = const_cast<BYTE*>(media.data());
  for (int i = 0; i < 40; ++i) {
    archive.WriteResource(file);
    bytes += media.size();
  }
  return archive.Close() == BCK_OK ? bytes : 0;
}

void BM_WriteBackup(benchmark::State& state) {
  const std::vector<BYTE> media(256 * 1024, 0x5A);
  const std::string path = BenchPath();
  std::size_t bytes = 0;
  for (auto _ : state) bytes += WriteFile(path, media);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteBackup)->Unit(benchmark::kMillisecond);

void BM_ReadBackup(benchmark::State& state) {
  const std::vector<BYTE> media(256 * 1024, 0x5A);
  const std::string path = BenchPath();
  const std::size_t size = WriteFile(path, media);
  std::size_t bytes = 0;
  for (auto _ : state) {
    CBackupArchive archive;
    archive.Open(path.c_str());
    BYTE type = 0;
    while (archive.ReadRecord(&type) == BCK_OK) {
      std::unique_ptr<BYTE[]> data;
      if (type == BRT_RESOURCE) {
        PA_RESOURCE_INFO record;
        archive.ReadResource(record, data);
      } else if (type == BRT_CONTACT) {
        PA_PHONEBOOK_INFO record;
        archive.ReadContact(record);
      }
    }
    archive.Close();
    bytes += size;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadBackup)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
