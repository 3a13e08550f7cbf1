#pragma once
// The slots of the schedule and to-do stores: a used flag and a record per slot, moved between
// the phone and the PC as one file of every slot's flag and files of ten records each.
//
// A partial upload changes on the phone only the slots in its range: the others keep the phone's
// flags, and the blocks written carry the phone's own records for them, both read from the phone
// before anything is written.
#include <base/WinDef.h>

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

class CLinkEngine;

// The files of one store and the last errors of its transfers.
struct BlockFiles {
  int flagsFile, flagsSub, blockFile;
  DWORD badSlot, noFlags, badFlags, noBlock, badBlock;
  bool reportSkippedBlocks;  // whether a download reports progress for a block it does not read
  bool exactBlocks;          // whether a block file longer than ten records is refused too
};

class CBlockRecords {
 public:
  static constexpr int kBlockSlots = 10;

  CBlockRecords(int slotCount, std::size_t recordSize, const BlockFiles& files);

  int SlotCount() const { return static_cast<int>(m_used.size()); }
  std::size_t RecordSize() const { return m_recordSize; }
  BYTE& Used(int slot) { return m_used[static_cast<std::size_t>(slot)]; }
  BYTE Used(int slot) const { return m_used[static_cast<std::size_t>(slot)]; }
  void ClearFlags();

  // One slot's record and flag, kept to be put back when a change of several fields fails part way.
  struct SavedSlot {
    std::vector<BYTE> record;
    BYTE used = 0;
  };
  SavedSlot Save(int slot) const;
  void Restore(int slot, const SavedSlot& saved);
  std::span<BYTE> Record(int slot);
  std::span<const BYTE> Record(int slot) const;

  // first = last = -1: every slot; otherwise 0 <= first <= last < slot count, else files.badSlot.
  // The download replaces every flag with the phone's and the records of each block that holds a
  // used slot; a block file shorter than ten records fails it (files.badBlock) before any of its
  // records is taken.
  int Download(HANDLE cancel, CLinkEngine& engine, int first, int last);
  // `blockFile` lays out the file of one block from its ten records.
  using BlockLayout = std::function<std::vector<BYTE>(int block, std::span<const BYTE> records)>;
  int Upload(HANDLE cancel, CLinkEngine& engine, int first, int last, const BlockLayout& blockFile);

 private:
  int CheckRange(int& first, int& last) const;
  int ReadFlags(CLinkEngine& engine, std::vector<BYTE>& flags) const;
  int ReadBlock(CLinkEngine& engine, int block, std::vector<BYTE>& records) const;
  std::size_t BlockSize() const { return kBlockSlots * m_recordSize; }
  static bool AnyUsed(std::span<const BYTE> flags, int block);

  const BlockFiles m_files;
  const std::size_t m_recordSize;
  std::vector<BYTE> m_used;
  std::vector<BYTE> m_table;
};
