// A picture, sound or movie travels as one file, in hex chunks: "GetResourceFileWFolder" brings
// down the file that "AssignResourceFileWFolder" chose, "PutResourceFileWFolder" takes a new file
// up into a folder.
#include "ChunkedTransfer.h"
#include "HexCodec.h"
#include "PhoneText.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <climits>

namespace {

constexpr std::string_view kGetFile = "GetResourceFileWFolder";
constexpr std::string_view kChunkTaken = "PutResourceFileWFolder:RET:1";
// The header of a download: "<name>:RET:0", the size, the file name, the file id, the attribute,
// the folder, the type, the index, 0 and the title.
constexpr std::size_t kHeaderItems = 10;

CString FromPhone(std::string_view utf8) {
  CPhoneText text;
  text.FromUtf8(utf8);
  return text.Text();
}

std::string ToPhone(const CString& text) {
  CPhoneText phone(text);
  const BYTE* bytes = nullptr;
  int length = 0;
  phone.ToUtf8(bytes, length);
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

}  // namespace

int CLinkEngine::GetResourceFileWFolder(const TransferControl& control, std::vector<BYTE>& data,
                                        ResourceFileHeader& header) {
  data.clear();
  std::string reply;
  if (!ExchangeOnce(CommandText("GetResourceFileWFolder,%d", 0), reply)) return 0;
  CReplyFields items;
  items.Split(reply, ",");
  // A size that is no count (a sign, garbage) or beyond what a transfer takes is a garbled reply,
  // not a buffer to allocate.
  int size = 0;
  if (items.GetCount() != kHeaderItems || !ReadCount(items.GetField(1), kMaxTransferSize, size)) return BadReply();
  ResourceFileHeader read;
  // The name comes in the phone's UTF-8 like the title.
  read.name = FromPhone(items.GetField(2));
  read.fileId = static_cast<DWORD>(ReadNumber(items.GetField(3)));
  read.folder = static_cast<DWORD>(ReadNumber(items.GetField(5)));
  read.title = FromPhone(items.GetField(9));
  if (size > 0) {
    // Chunk n + 1 comes as "GetResourceFileWFolder,<n + 1>,<hex>".
    const auto judge = [](const std::string& chunkReply, int n, std::size_t hexLength, std::string& hex) {
      CReplyFields chunk;
      chunk.Split(chunkReply, ",");
      if (chunk.GetField(0) != kGetFile || ReadNumber(chunk.GetField(1)) != n + 1) return ChunkReply::Refused;
      hex = chunk.GetField(2);
      return hex.size() == hexLength ? ChunkReply::Whole : ChunkReply::AskAgain;
    };
    const auto request = [](int n) { return CommandText("GetResourceFileWFolder,%d", n + 1); };
    if (!ReadChunks(*this, size, DownloadChunkSize(), control, request, judge, 0, data)) return 0;
  }
  header = std::move(read);
  return 1;
}

int CLinkEngine::PutResourceFileWFolder(const TransferControl& control, std::span<const BYTE> data,
                                        const CString& name, const CString& title, int folder, int chunkSize,
                                        DWORD& fileId) {
  // Checked before the phone opens an upload that no chunk could fill.
  if (data.size() > static_cast<std::size_t>(kMaxTransferSize) || chunkSize < 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string record = ToPhone(name) + "," + std::to_string(data.size()) + "," + ToPhone(title) + "," +
                             std::to_string(folder) + ",0," + std::to_string(chunkSize);
  const std::span<const BYTE> recordBytes(reinterpret_cast<const BYTE*>(record.data()), record.size());
  std::string reply;
  if (!ExchangeOnce("PutResourceFileWFolder,0," + HexText(recordBytes), reply)) return 0;
  CReplyFields fields;
  fields.Split(reply, ":");
  if (fields.GetCount() != 3) return BadReply();
  if (fields.GetField(2) == " file exists") {
    DWORD existing = 0;
    if (FindFile(folder, name, existing)) fileId = existing;
    SetLastError(ERROR_PA_EXISTS);
    return 0;
  }
  if (fields.GetField(2) != "1") return BadReply();

  const auto send = [&](int n, std::span<const BYTE> chunk, bool) {
    if (!Exchange(CommandText("PutResourceFileWFolder,%d,%s", n + 1, HexText(chunk).c_str()), reply)) return 0;
    return reply == kChunkTaken ? 1 : BadReply();
  };
  if (!WriteChunks(data, chunkSize, control, send)) return 0;

  // The close makes the file: one attempt, as a repeat would find no upload open.
  if (!ExchangeOnce("PutResourceFileWFolder,-1", reply)) return 0;
  fields.Split(reply, ":");
  int id = 0;
  if (fields.GetCount() != 3 || fields.GetField(2).find("unspecified problem occured") != std::string::npos ||
      !ReadCount(fields.GetField(2), INT_MAX, id)) {
    return BadReply();
  }
  fileId = static_cast<DWORD>(id);
  return 1;
}

bool CLinkEngine::FindFile(int folder, const CString& name, DWORD& fileId) {
  int count = 0;
  if (!GetResourceFileNumWFolder(0, folder, count)) return false;
  for (int index = 0; index < count; ++index) {
    PA_RESOURCE_INFO file;
    if (!GetResourceFileNameWFolder(0, folder, index, file)) return false;
    if (file.strFileName == name) {
      fileId = file.dwFileId;
      return true;
    }
  }
  return false;
}
