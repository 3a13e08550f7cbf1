#pragma once
// The phone's contact slots in the phone's own record layout: one record per slot, moved between
// the phone and the PC as one flash file (256, slot) each. Every field accessor works on the
// working record; Select fills it from a slot and Commit writes it back.
//
// Two layouts: the full one (524-byte records) and the short one (471 bytes, no reading and no
// name trailer) of phones whose software version begins with "B" or "T". A transfer asks the
// version first; once a short-layout phone was seen the store keeps the short layout.
//
// Operations return 1, or 0 with the thread's last error (the store's own codes below, or those
// of the command client and the flash-file transfer).
#include "ResourceCache.h"

#include <base/WinDef.h>
#include <framework/Afx.h>

#include <cstddef>
#include <vector>

class CLinkEngine;

constexpr DWORD ERROR_PB_BAD_SLOT = 0x2009011d;
constexpr DWORD ERROR_PB_NAME_TOO_LONG = 0x2009021e;      // name and reading
constexpr DWORD ERROR_PB_BAD_NUMBER_INDEX = 0x2009030a;
constexpr DWORD ERROR_PB_EMAIL_TOO_LONG = 0x2009041f;
constexpr DWORD ERROR_PB_TEXT_TOO_LONG = 0x20090520;
constexpr DWORD ERROR_PB_BAD_CHOICE = 0x20090621;
constexpr DWORD ERROR_PB_BAD_GROUP = 0x20090823;
constexpr DWORD ERROR_PB_DOWNLOAD_VERSION = 0x20090a25;
constexpr DWORD ERROR_PB_BAD_FILE_SIZE = 0x20090b1c;
constexpr DWORD ERROR_PB_UPLOAD_VERSION = 0x20090d25;

class CPhoneBookStore {
 public:
  static constexpr int kContactFile = 256;
  static constexpr std::size_t kFullRecordSize = 524;
  static constexpr std::size_t kShortRecordSize = 471;
  static constexpr int kNumberCount = 7;
  // The bytes each text field takes at most in the phone's UTF-8. The e-mail fields are 65 bytes
  // wide, but a change of layout carries only 64 bytes of each, so no address may be longer.
  static constexpr std::size_t kNameBytes = 31;
  static constexpr std::size_t kReadingBytes = 30;
  static constexpr std::size_t kEmailBytes = 64;
  static constexpr std::size_t kTextBytes = 65;

  explicit CPhoneBookStore(int slotCount = 500);

  // Slot 0, every slot empty (all 0xFF) in the current layout.
  int Reset();
  int Select(int slot);
  int IsUsed() const { return m_used[static_cast<std::size_t>(m_selected)]; }
  int SelectedSlot() const { return m_selected; }
  int SlotCount() const { return m_slotCount; }

  CString GetName() const;
  int SetName(const CString& name);
  // Empty in the short layout, where setting it changes nothing.
  CString GetReading() const;
  int SetReading(const CString& reading);
  // Index 0 to 6; an empty text is no number.
  int GetNumber(int index, CString& number) const;
  int SetNumber(int index, const CString& number);
  // Index 0 or 1.
  int GetEmail(int index, CString& email) const;
  int SetEmail(int index, const CString& email);
  int GetText(int index, CString& text) const;
  int SetText(int index, const CString& text);
  BYTE GetChoice() const;
  int SetChoice(int choice);       // 0 (none) to 14
  BYTE GetGroup() const;
  int SetGroup(int group);         // 0 (none) to 19
  WORD GetPhoneFlag() const;
  // The phone's picture and melody ids read back as their low byte only (0 to 255), 0 when none
  // is stored: the applications rely on that range.
  DWORD GetPicture() const;
  int SetPicture(DWORD id);
  DWORD GetMelody() const;
  int SetMelody(DWORD id);

  // The working record into the selected slot, which then holds a contact.
  int Commit();
  // The selected slot empty (all 0xFF).
  int ClearSlot();
  int ClearAll();

  // The lists the upload takes the picture and melody display names from; not owned.
  void SetResourceLists(const CResourceCaches* caches) { m_resources = caches; }

  // first = last = -1: the whole store. `cancel` may be null.
  int Download(HANDLE cancel, CLinkEngine& engine, int first, int last);
  int Upload(HANDLE cancel, CLinkEngine& engine, int first, int last);

  bool IsShortLayout() const { return m_shortLayout; }
  std::size_t RecordSize() const { return m_layout.size; }
  // The bytes of a slot as stored, for the copy between the store sides and for tests.
  std::span<const BYTE> SlotRecord(int slot) const;

 private:
  struct Layout {
    std::size_t name = 0, numbers = 32, emails = 186, texts = 316;
    std::size_t reading = 446, trailer = 477;  // full layout only
    std::size_t flag = 0, melody = 0, picture = 0, choice = 0, group = 0, size = 0;
  };
  static Layout MakeLayout(bool shortLayout);
  // A stored picture or melody id as it reads back: none when the top bit is set, else the low byte.
  static DWORD IdOf(std::span<const BYTE> record, std::size_t at);
  // Recomputes the offsets for the current layout and carries every slot's fields over.
  void ApplyLayout();
  // Asks the phone's software version and takes its layout; `failure` is the last error when the
  // query fails.
  int TakePhoneLayout(CLinkEngine& engine, DWORD failure);
  int CheckRange(int& first, int& last) const;
  std::span<BYTE> Slot(int slot);
  std::span<BYTE> Field(std::size_t at, std::size_t size) { return std::span<BYTE>(m_work).subspan(at, size); }
  std::span<const BYTE> Field(std::size_t at, std::size_t size) const {
    return std::span<const BYTE>(m_work).subspan(at, size);
  }
  int SetPaddedText(std::size_t at, const CString& text, int gsmLimit, std::size_t capacity, DWORD failure);

  int m_slotCount;
  std::vector<BYTE> m_used;
  std::vector<BYTE> m_table;
  std::vector<BYTE> m_work;
  int m_selected = 0;
  bool m_shortLayout = false;
  Layout m_layout;
  const CResourceCaches* m_resources = nullptr;
};
