// The process token's groups: Everyone and Users always, Administrators exactly when the user
// administers the machine (root, or a member of sudo, wheel or admin); the size asked for first;
// and SIDs compared by their bytes.
#include <kernel/Kernel.h>
#include <kernel/Security.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <gtest/gtest.h>

#include <cstring>
#include <grp.h>
#include <unistd.h>
#include <vector>

namespace {

bool HostSaysAdministrator() {
  if (geteuid() == 0) return true;
  std::vector<gid_t> groups(static_cast<std::size_t>(getgroups(0, nullptr)) + 1);
  groups.resize(static_cast<std::size_t>(getgroups(static_cast<int>(groups.size()), groups.data())));
  groups.push_back(getegid());
  for (gid_t id : groups)
    if (const group* g = getgrgid(id))
      for (const char* name : {"sudo", "wheel", "admin"})
        if (std::strcmp(g->gr_name, name) == 0) return true;
  return false;
}

struct Sid {
  PSID sid = nullptr;
  Sid(const SID_IDENTIFIER_AUTHORITY& authority, std::vector<DWORD> subs) {
    const auto count = static_cast<BYTE>(subs.size());
    subs.resize(8);
    EXPECT_TRUE(AllocateAndInitializeSid(&authority, count, subs[0], subs[1], subs[2], subs[3], subs[4], subs[5], subs[6],
                                         subs[7], &sid));
  }
  ~Sid() { FreeSid(sid); }
};

TEST(Tokens, TheProcessTokenListsTheUsersGroups) {
  HANDLE thread = nullptr;
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &thread));
  EXPECT_EQ(GetLastError(), ERROR_NO_TOKEN);

  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD needed = 0;
  EXPECT_FALSE(GetTokenInformation(token, TokenGroups, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  std::vector<BYTE> buffer(needed);
  DWORD length = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buffer.data(), needed, &length));
  EXPECT_EQ(length, needed);
  CloseHandle(token);

  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  Sid everyone(SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID});
  Sid users(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS});
  Sid admins(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS});
  auto holds = [&](PSID sid) {
    for (DWORD i = 0; i < groups->GroupCount; ++i)
      if (EqualSid(groups->Groups[i].Sid, sid)) return true;
    return false;
  };
  EXPECT_TRUE(holds(everyone.sid));
  EXPECT_TRUE(holds(users.sid));
  EXPECT_EQ(holds(admins.sid), HostSaysAdministrator());
  EXPECT_FALSE(EqualSid(users.sid, admins.sid));
  EXPECT_EQ(GetLengthSid(admins.sid), 16u);
}

}  // namespace
