#pragma once
// CSharedMemory: a named block of memory shared by processes and the named mutex that guards it,
// as the status record uses them (see LauncherProtocol.h). Whoever comes first creates both; the
// others open them and learn that they existed. A block that could not be created or mapped leaves
// the object unmapped: it then stores nothing and reads nothing, and the caller carries on.
//
// Threads: one object is used on one thread; other processes and objects are kept out by the mutex.
#include <framework/String.h>
#include <kernel/UniqueHandle.h>

#include <string_view>

class CSharedMemory {
public:
  CSharedMemory() = default;
  ~CSharedMemory() { Close(); }
  CSharedMemory(const CSharedMemory&) = delete;
  CSharedMemory& operator=(const CSharedMemory&) = delete;

  // Names the block (the mutex is the name followed by "Mutex"); before Open.
  void SetName(LPCSTR name);
  // Creates or opens the mutex, then the block of `size` bytes, and maps it. TRUE when mapped.
  BOOL Open(DWORD size);
  // Unmaps the view and closes both handles.
  void Close();

  BOOL IsMapped() const { return m_bMapped; }
  // Whether the block existed before this object opened it.
  BOOL Existed() const { return m_bExisted; }
  const CString& GetName() const { return m_strName; }
  const CString& GetMutexName() const { return m_strMutexName; }

  // Stores `text` and its NUL under the mutex, cut at a character's start so that it fits the
  // block. FALSE when nothing is mapped.
  BOOL WriteText(std::string_view text);
  // The text the block holds, read under the mutex and never past the block's end (a writer that
  // left no NUL gives the whole block). Empty when nothing is mapped.
  CString ReadText() const;

private:
  tolvar::kernel::UniqueHandle m_hMapping;
  void* m_pView = nullptr;
  DWORD m_nSize = 0;
  BOOL m_bMapped = FALSE;
  BOOL m_bExisted = FALSE;
  CString m_strMutexName = "SharedMemoryMutex";
  tolvar::kernel::UniqueHandle m_hMutex;
  CString m_strName = "SharedMemory";
};
