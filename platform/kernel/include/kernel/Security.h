#pragma once
// Access tokens and security identifiers, as far as callers ask them one question: whether the
// user is an administrator. The process's token lists the groups Everyone (S-1-1-0) and Users
// (S-1-5-32-545), and Administrators (S-1-5-32-544) when the user may administer this machine:
// root, or a member of the group "sudo", "wheel" or "admin". Threads never impersonate, so they
// have no token of their own.
#include <base/WinDef.h>

struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
};
using PSID = void*;  // the SID's bytes: revision, count, authority (6 bytes), 32-bit sub-authorities

inline constexpr SID_IDENTIFIER_AUTHORITY SECURITY_WORLD_SID_AUTHORITY{{0, 0, 0, 0, 0, 1}};
inline constexpr SID_IDENTIFIER_AUTHORITY SECURITY_NT_AUTHORITY{{0, 0, 0, 0, 0, 5}};
constexpr DWORD SECURITY_WORLD_RID = 0;
constexpr DWORD SECURITY_BUILTIN_DOMAIN_RID = 32;
constexpr DWORD DOMAIN_ALIAS_RID_ADMINS = 544;
constexpr DWORD DOMAIN_ALIAS_RID_USERS = 545;

constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr DWORD SE_GROUP_MANDATORY = 0x00000001;
constexpr DWORD SE_GROUP_ENABLED_BY_DEFAULT = 0x00000002;
constexpr DWORD SE_GROUP_ENABLED = 0x00000004;

enum TOKEN_INFORMATION_CLASS { TokenUser = 1, TokenGroups = 2 };

struct SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
};
struct TOKEN_GROUPS {
  DWORD GroupCount;
  SID_AND_ATTRIBUTES Groups[1];  // GroupCount of them; the SIDs follow in the same buffer
};
using PTOKEN_GROUPS = TOKEN_GROUPS*;

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
// Always FALSE with ERROR_NO_TOKEN.
BOOL OpenThreadToken(HANDLE thread, DWORD access, BOOL openAsSelf, PHANDLE token);
// TokenGroups only (ERROR_INVALID_PARAMETER otherwise). A buffer too small fails with
// ERROR_INSUFFICIENT_BUFFER and *returnLength the size needed.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD length,
                         PDWORD returnLength);

BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0, DWORD sub1, DWORD sub2,
                              DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7, PSID* sid);
PSID FreeSid(PSID sid);  // NULL
BOOL EqualSid(PSID a, PSID b);
DWORD GetLengthSid(PSID sid);
