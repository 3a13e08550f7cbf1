// The phone's multimedia folder and file commands. Each is one attempt; its answer is
// "<name>:RET:<value>", the name in the phone's own case.
#include "HexCodec.h"
#include "LinkEngine.h"
#include "PhoneText.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

#include <vector>

namespace {

// The folder flags that the phone's attribute number stands for.
DWORD FolderFlags(int attribute) {
  DWORD flags = attribute == 10 ? 0x11 : attribute == 522 ? 0x13 : 0;
  if (attribute & 0x80) flags |= 0x10;
  return flags;
}

// The ','-items of a value, empty ones kept: a file's title may be empty.
std::vector<std::string_view> Items(std::string_view value) {
  std::vector<std::string_view> items;
  while (true) {
    const std::size_t comma = value.find(',');
    items.push_back(value.substr(0, comma));
    if (comma == std::string_view::npos) return items;
    value = value.substr(comma + 1);
  }
}

CString FromPhoneText(std::string_view utf8) {
  CPhoneText text;
  text.FromUtf8(utf8);
  return text.Text();
}

// A name for the phone: its UTF-8 bytes as hex.
std::string HexName(const CString& name) {
  CPhoneText text(name);
  const BYTE* bytes;
  int length;
  text.ToUtf8(bytes, length);
  std::string hex(2 * static_cast<std::size_t>(length) + 1, '\0');
  HexEncode(std::span(bytes, static_cast<std::size_t>(length)), hex);
  hex.pop_back();
  return hex;
}

std::string_view CommandName(std::string_view command) { return command.substr(0, command.find(',')); }

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

}  // namespace

int CLinkEngine::RunMediaCommand(std::string_view command, std::string& value) {
  std::string reply;
  if (!ExchangeOnce(command, reply)) return 0;
  CReplyFields fields;
  fields.Split(reply, ":");
  if (fields.GetCount() != 3 || !EqualsNoCase(fields.GetField(0), CommandName(command)) ||
      fields.GetField(1) != "RET") {
    return Fail(ERROR_PHONE_BAD_REPLY);
  }
  value = fields.GetField(2);
  return 1;
}

int CLinkEngine::RunMediaSuccessCommand(std::string_view command) {
  std::string value;
  if (!RunMediaCommand(command, value)) return 0;
  return value == "1" ? 1 : Fail(ERROR_PHONE_BAD_REPLY);
}

int CLinkEngine::GetFolderNum(int folder, int& count) {
  std::string value;
  if (!RunMediaCommand(CommandText("GetFolderNum,%d", folder), value)) return 0;
  const int number = ReadNumber(value);
  if (number < 0) return Fail(ERROR_PHONE_BAD_REPLY);
  count = number;
  return 1;
}

int CLinkEngine::GetFolderName(int folder, int index, PA_FOLDER_INFO& info) {
  std::string value;
  if (!RunMediaCommand(CommandText("GetFolderName,%d,%d", folder, index), value)) return 0;
  CReplyFields items;
  items.Split(value, ",");
  if (items.GetCount() != 6) return Fail(ERROR_PHONE_BAD_REPLY);
  info.dwNumber = static_cast<DWORD>(ReadNumber(items.GetField(1)));
  info.dwType = static_cast<DWORD>(ReadNumber(items.GetField(2)));
  info.dwAttributes = FolderFlags(ReadNumber(items.GetField(4)));
  info.strName = FromPhoneText(items.GetField(5));
  info.lFolderId = folder;
  return 1;
}

int CLinkEngine::GetResourceFileNumWFolder(int type, int folder, int& count) {
  std::string value;
  if (!RunMediaCommand(CommandText("GetResourceFileNumWFolder,%d,%d", type, folder), value)) return 0;
  const int number = ReadNumber(value);
  if (number < 0) return Fail(ERROR_PHONE_BAD_REPLY);
  count = number;
  return 1;
}

int CLinkEngine::GetResourceFileNameWFolder(int type, int folder, int index, PA_RESOURCE_INFO& info) {
  std::string command =
      CommandText("GetResourceFileNameWFolder,%d,%d,%d", static_cast<BYTE>(type), folder, index);
  if (m_modelCode == "10129") command += ",0";
  std::string reply;
  if (!ExchangeOnce(command, reply)) return 0;
  // "<name>:RET:<file id>,<attribute>,<size>,<file name>,<title>": everything after the second
  // ':' is the record, so a ':' in a name does not cut it.
  const std::size_t first = reply.find(':');
  const std::size_t second = first == std::string::npos ? first : reply.find(':', first + 1);
  if (second == std::string::npos ||
      !EqualsNoCase(std::string_view(reply).substr(0, first), "GetResourceFileNameWFolder")) {
    return Fail(ERROR_PHONE_BAD_REPLY);
  }
  const std::vector<std::string_view> items = Items(std::string_view(reply).substr(second + 1));
  if (items.size() != 5) return Fail(ERROR_PHONE_BAD_REPLY);
  const int fileId = ReadNumber(items[0]);
  const int size = ReadNumber(items[2]);
  if (fileId < 0 || size < 0) return Fail(ERROR_PHONE_BAD_REPLY);
  info.dwFileId = static_cast<DWORD>(fileId);
  info.dwAttribute = static_cast<DWORD>(ReadNumber(items[1]));
  info.dwSize = static_cast<DWORD>(size);
  info.strFileName = FromPhoneText(items[3]);
  info.strTitle = FromPhoneText(items[4]);
  info.dwFolderId = static_cast<DWORD>(folder);
  info.dwIndex = static_cast<DWORD>(index);
  return 1;
}

int CLinkEngine::DeleteResourceFileWFolder(int fileId) {
  return RunMediaSuccessCommand(CommandText("DeleteResourceFileWFolder,%d", fileId));
}

int CLinkEngine::RenameResourceFileWFolder(int fileId, const CString& name) {
  return RunMediaSuccessCommand(CommandText("RenameResourceFileWFolder,%d,%s", fileId, HexName(name).c_str()));
}

int CLinkEngine::MoveResourceFileWFolder(int fileId, int folder) {
  return RunMediaSuccessCommand(CommandText("MoveResourceFileWFolder,%d,%d", fileId, folder));
}

int CLinkEngine::DeleteFolderAll(int first, int second) {
  return RunMediaSuccessCommand(CommandText("DeleteFolderAll,%d,%d", first, second));
}

int CLinkEngine::AssignResourceFileWFolder(int type, int folder, int index) {
  const BYTE typeByte = static_cast<BYTE>(type);
  const std::string command =
      DownloadChunkSize() == kDefaultChunkSize
          ? CommandText("AssignResourceFileWFolder,%d,%d,%d", typeByte, folder, index)
          : CommandText("AssignResourceFileWFolder,%d,%d,%d,%d,%d", typeByte, folder, index, DownloadChunkSize(), 0);
  return RunMediaSuccessCommand(command);
}

int CLinkEngine::CreateFolder(int parent, const CString& name, int& type, int& number) {
  type = -1;
  number = -1;
  const std::string command = CommandText("CreateFolder,%d,%s", parent, HexName(name).c_str());
  std::string reply;
  if (!ExchangeOnce(command, reply)) return 0;
  CReplyFields fields;
  fields.Split(reply, ":");
  if (fields.GetCount() != 3 || !EqualsNoCase(fields.GetField(0), "CreateFolder")) {
    return Fail(ERROR_PHONE_BAD_REPLY);
  }
  if (fields.GetField(2) == "Folder Exist") return FindFolder(parent, name, type, number);
  CReplyFields items;
  items.Split(fields.GetField(2), ",");
  if (fields.GetField(1) != "RET" || items.GetCount() != 2) return Fail(ERROR_PHONE_BAD_REPLY);
  type = ReadNumber(items.GetField(1));
  number = ReadNumber(items.GetField(0));
  return 1;
}

int CLinkEngine::FindFolder(int parent, const CString& name, int& type, int& number) {
  int count = 0;
  if (GetFolderNum(parent, count)) {
    for (int index = 0; index < count; ++index) {
      PA_FOLDER_INFO folder;
      if (!GetFolderName(parent, index, folder)) break;
      if (folder.strName == name) {
        type = static_cast<int>(folder.dwType);
        number = static_cast<int>(folder.dwNumber);
        break;
      }
    }
  }
  SetLastError(ERROR_PA_EXISTS);
  return 0;
}
