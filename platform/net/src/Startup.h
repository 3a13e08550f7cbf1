#pragma once
// Whether WSAStartup has been called more often than WSACleanup.
namespace tolvar::net {

bool Started();

}  // namespace tolvar::net
