#pragma once
// Turning the errno of a failed socket call into the Winsock error Windows gives for the same
// failure.
namespace tolvar::net {

int WinsockErrorFromErrno(int error);

}  // namespace tolvar::net
