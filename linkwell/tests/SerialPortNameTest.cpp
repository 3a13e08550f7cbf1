#include "SerialPort.h"

#include "support/TestHome.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
  const char* name;
  int baud;
  WORD port;
  DWORD baudRate;
};

TEST(CSerialPort, SetPortName) {
  linkwell::testing::TestHome home;  // the port's named events live in the home
  const NameCase cases[] = {
      {"COM12", -1, 12, 38400},     // the baud rate stays
      {"COM4", 115200, 4, 115200},
      {"", -1, 1, 38400},           // nothing changes
      {"LPT2", 9600, 1, 9600},      // the number stays, the baud rate is taken
      {"COM0", 9600, 0, 38400},     // port 0: the baud rate is left alone
      {"COMx", 9600, 1, 9600},
      {"COM99999", -1, 1, 38400},   // no port number of 16 bits
  };
  for (const NameCase& c : cases) {
    CSerialPort port;
    port.SetPortName(c.name, c.baud);
    EXPECT_EQ(port.GetPortNumber(), c.port) << c.name;
    EXPECT_EQ(port.GetBaudRate(), c.baudRate) << c.name;
  }
}

}  // namespace
