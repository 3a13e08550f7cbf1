#include <framework/File.h>

#include <base/LastError.h>
#include <kernel/File.h>

#include <cstring>
#include <string>

IMPLEMENT_DYNAMIC(CStdioFile, CFile)

namespace {
constexpr size_t kReadAheadSize = 4096;
}

CStdioFile::CStdioFile(LPCSTR fileName, UINT openFlags) {
  CFileException error;
  if (!Open(fileName, openFlags, &error)) throw error;
}

BOOL CStdioFile::Open(LPCSTR fileName, UINT openFlags, CFileException* error) {
  m_readAhead.clear();
  m_readPos = 0;
  m_text = !(openFlags & typeBinary);
  return OpenHandle(fileName, openFlags & ~static_cast<UINT>(typeText | typeBinary), error);
}

// Reading goes through a buffer of raw bytes; the file's own position is ahead of the program's by
// the bytes not yet consumed.
bool CStdioFile::Fill() {
  m_readAhead.resize(kReadAheadSize);
  m_readPos = 0;
  UINT n = CFile::Read(m_readAhead.data(), static_cast<UINT>(m_readAhead.size()));
  m_readAhead.resize(n);
  return n > 0;
}

void CStdioFile::DropReadAhead() {
  size_t unread = m_readAhead.size() - m_readPos;
  m_readAhead.clear();
  m_readPos = 0;
  if (unread > 0) CFile::Seek(-static_cast<LONG>(unread), current);
}

int CStdioFile::NextChar() {
  if (m_readPos == m_readAhead.size() && !Fill()) return -1;
  char c = m_readAhead[m_readPos++];
  if (m_text && c == '\r') {
    // CR LF is one LF in text mode; the LF may be the first byte of the next read.
    if (m_readPos == m_readAhead.size() && !Fill()) return c;
    if (m_readAhead[m_readPos] == '\n') {
      ++m_readPos;
      return '\n';
    }
  }
  return static_cast<unsigned char>(c);
}

LPSTR CStdioFile::ReadString(LPSTR buffer, UINT maxChars) {
  if (!buffer || maxChars == 0) return nullptr;
  UINT n = 0;
  while (n + 1 < maxChars) {
    int c = NextChar();
    if (c < 0) break;
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[n] = '\0';
  return n > 0 || maxChars == 1 ? buffer : nullptr;
}

BOOL CStdioFile::ReadString(CString& line) {
  std::string text;
  int c;
  bool any = false;
  while ((c = NextChar()) >= 0) {
    any = true;
    if (c == '\n') break;
    text += static_cast<char>(c);
  }
  line = CString(std::string_view(text));
  return any;
}

void CStdioFile::WriteString(LPCSTR text) {
  if (!text) return;
  Write(text, static_cast<UINT>(std::strlen(text)));
}

UINT CStdioFile::Read(void* buffer, UINT count) {
  auto* out = static_cast<char*>(buffer);
  UINT n = 0;
  for (int c; n < count && (c = NextChar()) >= 0;) out[n++] = static_cast<char>(c);
  return n;
}

void CStdioFile::Write(const void* buffer, UINT count) {
  DropReadAhead();
  if (!m_text) {
    CFile::Write(buffer, count);
    return;
  }
  const char* in = static_cast<const char*>(buffer);
  std::string translated;
  translated.reserve(count + count / 16);
  for (UINT i = 0; i < count; ++i) {
    if (in[i] == '\n') translated += '\r';
    translated += in[i];
  }
  CFile::Write(translated.data(), static_cast<UINT>(translated.size()));
}

LONG CStdioFile::Seek(LONG offset, UINT from) {
  DropReadAhead();
  return CFile::Seek(offset, from);
}

DWORD CStdioFile::GetPosition() const {
  return CFile::GetPosition() - static_cast<DWORD>(m_readAhead.size() - m_readPos);
}

void CStdioFile::SetLength(DWORD newLength) {
  DropReadAhead();
  CFile::SetLength(newLength);
}

void CStdioFile::Flush() {
  DropReadAhead();
  CFile::Flush();
}

void CStdioFile::Close() {
  m_readAhead.clear();
  m_readPos = 0;
  CFile::Close();
}

void CStdioFile::Abort() {
  m_readAhead.clear();
  m_readPos = 0;
  CFile::Abort();
}
