#pragma once
// The rules of the phone runs (listing and transfer) that need no phone: how a transfer's counts
// are scaled for the progress bar, the overlay text of a file, which message a lock or a failed
// detection ends with, the phone extension a download gets, and the guard of the folder recursion.
// The worker that runs them against the phone library keeps only the calls.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The bar's range is 16 bits. Totals up to 32768 go as they are; above, counts are shifted by 7
// bits, and by more when even that would not fit.
struct ProgressScale {
  std::uint32_t lastTotal = 0xFFFFFFFF;
  unsigned shift = 0;
  // The range and position for the bar; `rangeChanged` when the range must be set again.
  struct Step {
    std::uint32_t range;
    std::uint32_t position;
    bool rangeChanged;
  };
  Step Scale(std::uint32_t total, std::uint32_t current);
};

// The overlay template of a file for the bar, which fills in the percentage: the name with every
// '%' doubled (the bar formats the text again), then " %3d%%".
std::string ProgressOverlay(const std::string& name);

// The message a lock check ends with: 0 to go on (no lock, or the state is not readable), 1062,
// 1063 or 1064 for a missing SIM, the phone lock and the Daybook lock, 1077 for a cancel, and
// 1068 for any other failure.
int LockCheckMessage(int result);

// What a failed detection says (the thread's last error after TestModeOn) and whether the phone is
// switched off before the port closes.
struct DetectionFailure {
  std::vector<int> messages;  // joined by a line break; none after a cancel
  bool powerOff = false;
};
DetectionFailure DescribeDetectionFailure(std::uint32_t lastError);

// The PC path of a download with the phone extension of its kind: appended when the path does not
// already end in it ("." and the extension, compared exactly).
std::string WithPhoneExtension(const std::string& path, const std::string& extension);

// Writes a downloaded file whole or not at all: a new version beside the target, put in its place
// only once every byte is on the disk. False (with the last error) leaves the target as it was; the
// caller keeps the entry queued and asks whether to retry.
bool WriteDownloadedFile(const std::string& path, std::span<const std::uint8_t> bytes);

// The folders on the path of the folder recursion: a folder already on it (a loop in the phone's
// answers) or a path deeper than the limit is not entered.
class CFolderTrail {
 public:
  static constexpr std::size_t kMaxDepth = 32;
  bool Enter(std::uint32_t folderId);
  void Leave();
  std::size_t Depth() const { return m_ids.size(); }

 private:
  std::vector<std::uint32_t> m_ids;
};
