// Device control blocks that a terminal line can and cannot take.
#include "LineSettings.h"

#include <gtest/gtest.h>

namespace {

using tolvar::comm::ApplyDcb;
using tolvar::comm::DcbFromModes;

DCB Plain() {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = CBR_115200;
  dcb.fBinary = 1;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.XonChar = 17;
  dcb.XoffChar = 19;
  return dcb;
}

TEST(LineSettings, RoundTripsWhatTheLineCanDo) {
  DCB dcb = Plain();
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.fParity = 1;
  dcb.StopBits = TWOSTOPBITS;
  dcb.fOutX = 1;
  dcb.fInX = 1;
  termios modes{};
  ASSERT_TRUE(ApplyDcb(dcb, modes));
  EXPECT_EQ(cfgetospeed(&modes), B9600);
  EXPECT_EQ(modes.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
  EXPECT_TRUE(modes.c_cflag & PARENB);
  EXPECT_FALSE(modes.c_cflag & PARODD);
  EXPECT_TRUE(modes.c_cflag & CSTOPB);
  EXPECT_TRUE(modes.c_iflag & INPCK);
  EXPECT_TRUE((modes.c_iflag & IXON) && (modes.c_iflag & IXOFF));
  EXPECT_FALSE(modes.c_lflag & (ICANON | ECHO));

  DCB back = DcbFromModes(modes);
  EXPECT_EQ(back.BaudRate, CBR_9600);
  EXPECT_EQ(back.ByteSize, 7);
  EXPECT_EQ(back.Parity, EVENPARITY);
  EXPECT_EQ(back.StopBits, TWOSTOPBITS);
  EXPECT_EQ(back.fOutX, 1u);
  EXPECT_EQ(back.XonChar, 17);
}

TEST(LineSettings, RefusesWhatTheLineCannotDoAndLeavesItAlone) {
  struct Case {
    const char* name;
    void (*change)(DCB&);
  };
  const Case cases[] = {
      {"a speed without a terminal constant", [](DCB& d) { d.BaudRate = 14400; }},
      {"nine data bits", [](DCB& d) { d.ByteSize = 9; }},
      {"an unknown parity", [](DCB& d) { d.Parity = 5; }},
      {"one and a half stop bits with 8 data bits", [](DCB& d) { d.StopBits = ONE5STOPBITS; }},
      {"DSR output flow control", [](DCB& d) { d.fOutxDsrFlow = 1; }},
      {"DSR sensitivity", [](DCB& d) { d.fDsrSensitivity = 1; }},
      {"DTR handshake", [](DCB& d) { d.fDtrControl = DTR_CONTROL_HANDSHAKE; }},
      {"RTS toggle", [](DCB& d) { d.fRtsControl = RTS_CONTROL_TOGGLE; }},
      {"the error character", [](DCB& d) { d.fErrorChar = 1; }},
      {"XON equal to XOFF", [](DCB& d) { d.fOutX = 1; d.XoffChar = d.XonChar; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DCB dcb = Plain();
    c.change(dcb);
    termios modes{};
    cfsetspeed(&modes, B1200);
    EXPECT_FALSE(ApplyDcb(dcb, modes));
    EXPECT_EQ(cfgetospeed(&modes), B1200);
  }
}

}  // namespace
