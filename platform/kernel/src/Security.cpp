// Tokens and SIDs. A token is a handle-table object that only remembers it is the process's; its
// groups are worked out when asked, from the user's id and groups, so a change of group membership
// shows in the next token query. SIDs are written byte by byte in their published layout.
#include <kernel/Object.h>
#include <kernel/Security.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <unistd.h>
#include <vector>

namespace {

using tolvar::kernel::Object;
using tolvar::kernel::ObjectType;

class Token : public Object {
public:
  ObjectType Type() const override { return ObjectType::Other; }
};

std::vector<BYTE> MakeSid(const SID_IDENTIFIER_AUTHORITY& authority, std::initializer_list<DWORD> subs) {
  std::vector<BYTE> sid{1, static_cast<BYTE>(subs.size())};
  sid.insert(sid.end(), authority.Value, authority.Value + 6);
  for (DWORD sub : subs)
    for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<BYTE>(sub >> shift));  // little-endian
  return sid;
}

// Root, or a member of a group whose members administer the machine.
bool IsAdministrator() {
  if (geteuid() == 0) return true;
  int count = getgroups(0, nullptr);
  if (count < 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count) + 1);
  count = getgroups(count, groups.data());
  if (count < 0) return false;
  groups.resize(static_cast<std::size_t>(count));
  groups.push_back(getegid());
  for (gid_t id : groups) {
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(id, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) continue;
    for (const char* name : {"sudo", "wheel", "admin"})
      if (std::strcmp(found->gr_name, name) == 0) return true;
  }
  return false;
}

}  // namespace

BOOL OpenProcessToken(HANDLE, DWORD, PHANDLE token) {
  if (!token) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *token = tolvar::kernel::InsertHandle(std::make_shared<Token>());
  return TRUE;
}

BOOL OpenThreadToken(HANDLE, DWORD, BOOL, PHANDLE token) {
  if (token) *token = nullptr;
  SetLastError(ERROR_NO_TOKEN);
  return FALSE;
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD length,
                         PDWORD returnLength) {
  auto object = tolvar::kernel::LookupHandle(token);
  if (!object || !dynamic_cast<Token*>(object.get())) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (kind != TokenGroups || !returnLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<std::vector<BYTE>> sids{MakeSid(SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID}),
                                      MakeSid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS})};
  if (IsAdministrator())
    sids.push_back(MakeSid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}));
  const std::size_t header = offsetof(TOKEN_GROUPS, Groups) + sids.size() * sizeof(SID_AND_ATTRIBUTES);
  std::size_t needed = header;
  for (const auto& sid : sids) needed += sid.size();
  *returnLength = static_cast<DWORD>(needed);
  if (!information || length < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* bytes = static_cast<BYTE*>(information);
  auto* groups = static_cast<TOKEN_GROUPS*>(information);
  groups->GroupCount = static_cast<DWORD>(sids.size());
  std::size_t at = header;
  for (std::size_t i = 0; i < sids.size(); ++i) {
    std::memcpy(bytes + at, sids[i].data(), sids[i].size());
    groups->Groups[i].Sid = bytes + at;
    groups->Groups[i].Attributes = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
    at += sids[i].size();
  }
  return TRUE;
}

BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0, DWORD sub1, DWORD sub2,
                              DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7, PSID* sid) {
  if (!authority || !sid || count == 0 || count > 8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD all[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
  std::vector<BYTE> bytes = MakeSid(*authority, {});
  bytes[1] = count;
  for (BYTE i = 0; i < count; ++i)
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(all[i] >> shift));
  void* block = std::malloc(bytes.size());
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  std::memcpy(block, bytes.data(), bytes.size());
  *sid = block;
  return TRUE;
}

PSID FreeSid(PSID sid) {
  std::free(sid);
  return nullptr;
}

DWORD GetLengthSid(PSID sid) { return sid ? 8 + 4 * static_cast<DWORD>(static_cast<const BYTE*>(sid)[1]) : 0; }

BOOL EqualSid(PSID a, PSID b) {
  if (!a || !b) return FALSE;
  const DWORD length = GetLengthSid(a);
  return length == GetLengthSid(b) && std::memcmp(a, b, length) == 0 ? TRUE : FALSE;
}
