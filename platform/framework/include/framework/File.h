#pragma once
// CFile: a file opened through the layer's CreateFile, with the class library's mode flags; failures
// of an open file throw CFileException (thrown and caught by value). CStdioFile adds lines and the
// Windows text mode: CR LF in the file is LF in the program.
#include <base/WinDef.h>
#include <framework/Object.h>
#include <framework/String.h>
#include <framework/Time.h>

#include <vector>

class CException : public CObject {
  DECLARE_DYNAMIC(CException)
public:
  CException() = default;
  CException(const CException&) : CObject() {}
  CException& operator=(const CException&) { return *this; }
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
public:
  enum {
    none = 0, generic = 1, fileNotFound = 2, badPath = 3, tooManyOpenFiles = 4, accessDenied = 5,
    invalidFile = 6, removeCurrentDir = 7, directoryFull = 8, badSeek = 9, hardIO = 10,
    sharingViolation = 11, lockViolation = 12, diskFull = 13, endOfFile = 14,
  };

  explicit CFileException(int cause = none, LONG osError = -1, LPCSTR fileName = nullptr)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}
  CFileException(const CFileException& other) = default;
  CFileException& operator=(const CFileException& other) = default;

  static int OsErrorToException(LONG osError);
  [[noreturn]] static void ThrowOsError(LONG osError, LPCSTR fileName = nullptr);

  int m_cause;
  LONG m_lOsError;       // the Win32 error code, or -1
  CString m_strFileName;
};

struct CFileStatus {
  CTime m_ctime;           // creation
  CTime m_mtime;           // last write
  CTime m_atime;           // last access
  LONG m_size;
  BYTE m_attribute;        // CFile::Attribute bits
  char m_szFullName[MAX_PATH];
};

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
public:
  enum OpenFlags : UINT {
    modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
    shareExclusive = 0x0010, shareDenyWrite = 0x0020, shareDenyNone = 0x0040,
    modeCreate = 0x1000, modeNoTruncate = 0x2000,
    typeText = 0x4000, typeBinary = 0x8000,  // for CStdioFile; a CFile is always binary
  };
  enum Attribute : BYTE {
    normal = 0x00, readOnly = 0x01, hidden = 0x02, system = 0x04, directory = 0x10, archive = 0x20,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

  CFile() = default;
  explicit CFile(HANDLE file);                  // an open handle; not closed by the destructor
  CFile(LPCSTR fileName, UINT openFlags);       // throws CFileException when it cannot open
  ~CFile() override;                            // closes a file it opened, without throwing

  // FALSE when the file cannot be opened; `error` (when given) then says why.
  virtual BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = nullptr);
  virtual UINT Read(void* buffer, UINT count);  // bytes read; 0 at the end
  virtual void Write(const void* buffer, UINT count);
  virtual LONG Seek(LONG offset, UINT from);    // the new position
  void SeekToBegin() { Seek(0, begin); }
  DWORD SeekToEnd() { return static_cast<DWORD>(Seek(0, end)); }
  virtual DWORD GetPosition() const;
  virtual DWORD GetLength() const;
  virtual void SetLength(DWORD newLength);
  virtual void Flush();
  virtual void Close();
  virtual void Abort();                         // closes, ignoring any failure

  CString GetFileName() const;                  // "Name.ext"
  CString GetFilePath() const;                  // the full path the file was opened by
  BOOL GetStatus(CFileStatus& status) const;
  static BOOL GetStatus(LPCSTR fileName, CFileStatus& status);
  static void Remove(LPCSTR fileName);          // these two throw CFileException on failure
  static void Rename(LPCSTR oldName, LPCSTR newName);

  HANDLE m_hFile = hFileNull;
  static inline const HANDLE hFileNull = INVALID_HANDLE_VALUE;

protected:
  BOOL OpenHandle(LPCSTR fileName, UINT openFlags, CFileException* error);
  [[noreturn]] void ThrowLastError() const;

  BOOL m_bCloseOnDelete = FALSE;
  CString m_strFileName;
};

class CStdioFile : public CFile {
  DECLARE_DYNAMIC(CStdioFile)
public:
  CStdioFile() = default;
  CStdioFile(LPCSTR fileName, UINT openFlags);  // throws CFileException when it cannot open

  // Text mode unless `typeBinary` is given.
  BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = nullptr) override;

  // One line into `buffer`: at most `maxChars` - 1 bytes, its LF kept, NUL-terminated; null at the
  // end of the file.
  LPSTR ReadString(LPSTR buffer, UINT maxChars);
  // One line without its line end; FALSE at the end of the file. A last line without a line end
  // is still a line.
  BOOL ReadString(CString& line);
  // Writes the text as it is (no line end added); in text mode each LF goes out as CR LF.
  void WriteString(LPCSTR text);

  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  LONG Seek(LONG offset, UINT from) override;
  DWORD GetPosition() const override;
  void SetLength(DWORD newLength) override;
  void Flush() override;
  void Close() override;
  void Abort() override;

private:
  int NextChar();         // the next byte after text-mode translation, or -1 at the end
  bool Fill();
  void DropReadAhead();   // gives bytes read ahead back to the file before it is moved or written

  bool m_text = true;
  std::vector<char> m_readAhead;
  size_t m_readPos = 0;
};
