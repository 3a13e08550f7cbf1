#include "RecordBlocks.h"

#include "LinkEngine.h"
#include "StoreTransfer.h"

#include <base/LastError.h>

#include <algorithm>

CBlockRecords::CBlockRecords(int slotCount, std::size_t recordSize, const BlockFiles& files)
    : m_files(files),
      m_recordSize(recordSize),
      m_used(static_cast<std::size_t>(slotCount), 0),
      m_table(static_cast<std::size_t>(slotCount) * recordSize, 0x00) {}

void CBlockRecords::ClearFlags() { std::fill(m_used.begin(), m_used.end(), 0); }

CBlockRecords::SavedSlot CBlockRecords::Save(int slot) const {
  const std::span<const BYTE> record = Record(slot);
  return {std::vector<BYTE>(record.begin(), record.end()), Used(slot)};
}

void CBlockRecords::Restore(int slot, const SavedSlot& saved) {
  std::copy(saved.record.begin(), saved.record.end(), Record(slot).begin());
  Used(slot) = saved.used;
}

std::span<BYTE> CBlockRecords::Record(int slot) {
  return std::span<BYTE>(m_table).subspan(static_cast<std::size_t>(slot) * m_recordSize, m_recordSize);
}

std::span<const BYTE> CBlockRecords::Record(int slot) const {
  return std::span<const BYTE>(m_table).subspan(static_cast<std::size_t>(slot) * m_recordSize, m_recordSize);
}

bool CBlockRecords::AnyUsed(std::span<const BYTE> flags, int block) {
  const std::span<const BYTE> slots = flags.subspan(static_cast<std::size_t>(block) * kBlockSlots, kBlockSlots);
  return std::any_of(slots.begin(), slots.end(), [](BYTE flag) { return flag != 0; });
}

int CBlockRecords::CheckRange(int& first, int& last) const {
  if (first == -1 && last == -1) {
    first = 0;
    last = SlotCount() - 1;
    return 1;
  }
  if (first < 0 || last >= SlotCount() || last < first) {
    SetLastError(m_files.badSlot);
    return 0;
  }
  return 1;
}

int CBlockRecords::ReadFlags(CLinkEngine& engine, std::vector<BYTE>& flags) const {
  if (!ReadRecordFile(engine, m_files.flagsFile, m_files.flagsSub, flags)) return 0;
  if (flags.empty()) {
    SetLastError(m_files.noFlags);
    return 0;
  }
  if (flags.size() != m_used.size()) {
    SetLastError(m_files.badFlags);
    return 0;
  }
  return 1;
}

int CBlockRecords::ReadBlock(CLinkEngine& engine, int block, std::vector<BYTE>& records) const {
  if (!ReadRecordFile(engine, m_files.blockFile, block, records)) return 0;
  if (records.empty()) {
    SetLastError(m_files.noBlock);
    return 0;
  }
  // Only the first ten records are taken, and never more than the phone sent.
  if (records.size() < BlockSize() || (m_files.exactBlocks && records.size() != BlockSize())) {
    SetLastError(m_files.badBlock);
    return 0;
  }
  records.resize(BlockSize());
  return 1;
}

int CBlockRecords::Download(HANDLE cancel, CLinkEngine& engine, int first, int last) {
  if (!CheckRange(first, last)) return 0;
  std::vector<BYTE> flags;
  if (!ReadFlags(engine, flags)) return 0;
  m_used = flags;

  std::vector<BYTE> records;
  for (int block = first / kBlockSlots, walked = 0; block <= last / kBlockSlots; ++block, ++walked) {
    if (TransferCancelled(cancel)) return 0;
    if (!AnyUsed(m_used, block)) {
      if (m_files.reportSkippedBlocks) engine.ReportProgress(last - first, kBlockSlots * walked);
      continue;
    }
    if (!ReadBlock(engine, block, records)) return 0;
    std::copy(records.begin(), records.end(), m_table.begin() + static_cast<std::ptrdiff_t>(block * BlockSize()));
    engine.ReportProgress(last - first, kBlockSlots * walked);
    }
  return 1;
}

int CBlockRecords::Upload(HANDLE cancel, CLinkEngine& engine, int first, int last, const BlockLayout& blockFile) {
  if (!CheckRange(first, last)) return 0;
  // What goes to the phone: the store's flags and records in the range, the phone's elsewhere.
  // Only the first and the last block of the range can hold slots outside it.
  std::vector<BYTE> flags = m_used;
  std::vector<BYTE> table = m_table;
  if (first != 0 || last != SlotCount() - 1) {
    std::vector<BYTE> phoneFlags;
    if (!ReadFlags(engine, phoneFlags)) return 0;
    auto outside = [&](int slot) { return slot < first || slot > last; };
    for (int slot = 0; slot < SlotCount(); ++slot) {
      if (outside(slot)) flags[static_cast<std::size_t>(slot)] = phoneFlags[static_cast<std::size_t>(slot)];
    }
    std::vector<BYTE> records;
    // The range's first and last block, each once: a range within one block reads it once.
    std::vector<int> edges{first / kBlockSlots};
    if (last / kBlockSlots != edges.front()) edges.push_back(last / kBlockSlots);
    for (int block : edges) {
      if (!AnyUsed(m_used, block)) continue;  // not written
      bool keepsPhoneRecords = false;
      for (int slot = block * kBlockSlots; slot < (block + 1) * kBlockSlots; ++slot) {
        keepsPhoneRecords |= outside(slot) && phoneFlags[static_cast<std::size_t>(slot)] != 0;
      }
      if (!keepsPhoneRecords) continue;
      if (!ReadBlock(engine, block, records)) return 0;
      for (int i = 0; i < kBlockSlots; ++i) {
        const int slot = block * kBlockSlots + i;
        if (!outside(slot)) continue;
        std::copy_n(records.begin() + static_cast<std::ptrdiff_t>(i * m_recordSize), m_recordSize,
                    table.begin() + static_cast<std::ptrdiff_t>(slot * m_recordSize));
      }
    }
  }
  if (!WriteRecordFile(engine, m_files.flagsFile, m_files.flagsSub, flags)) return 0;

  for (int block = first / kBlockSlots, walked = 0; block <= last / kBlockSlots; ++block, ++walked) {
    if (TransferCancelled(cancel)) return 0;
    // The store's own flags decide: a block without one of its entries is not written.
    if (!AnyUsed(m_used, block)) continue;
    const std::span<const BYTE> records = std::span<const BYTE>(table).subspan(block * BlockSize(), BlockSize());
    if (!WriteRecordFile(engine, m_files.blockFile, block, blockFile(block, records))) return 0;
    engine.ReportProgress(last - first, kBlockSlots * walked);
    }
  return 1;
}
