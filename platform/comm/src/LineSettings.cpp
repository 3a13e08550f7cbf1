#include "LineSettings.h"

#include <array>
#include <utility>

namespace tolvar::comm {
namespace {

constexpr std::array<std::pair<DWORD, speed_t>, 15> kSpeeds{{
    {110, B110}, {300, B300}, {600, B600}, {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    {460800, B460800}, {921600, B921600}, {0, B0}}};

constexpr std::array<std::pair<BYTE, tcflag_t>, 4> kSizes{{{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}}};

// Control flags of each parity; mark and space use the stick-parity bit.
constexpr std::array<tcflag_t, 5> kParity{0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                          PARENB | CMSPAR};

bool SpeedFor(DWORD baud, speed_t& speed) {
  for (const auto& [rate, constant] : kSpeeds) {
    if (rate == baud && rate != 0) {
      speed = constant;
      return true;
    }
  }
  return false;
}

DWORD BaudFor(speed_t speed) {
  for (const auto& [rate, constant] : kSpeeds)
    if (constant == speed) return rate;
  return 0;
}

}  // namespace

void MakeRaw(termios& m) {
  m.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY | IUCLC | IMAXBEL);
  m.c_oflag &= ~OPOST;
  m.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  m.c_cflag |= CREAD | CLOCAL;
  m.c_cc[VMIN] = 1;
  m.c_cc[VTIME] = 0;
}

DCB DcbFromModes(const termios& m) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = BaudFor(cfgetospeed(&m));
  dcb.fBinary = 1;
  dcb.fParity = (m.c_iflag & INPCK) ? 1 : 0;
  const bool rtsCts = (m.c_cflag & CRTSCTS) != 0;
  dcb.fOutxCtsFlow = rtsCts;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;  // the kernel raises DTR and RTS when a port is opened
  dcb.fRtsControl = rtsCts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  dcb.fOutX = (m.c_iflag & IXON) ? 1 : 0;
  dcb.fInX = (m.c_iflag & IXOFF) ? 1 : 0;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.ByteSize = 8;
  for (const auto& [size, flag] : kSizes)
    if ((m.c_cflag & CSIZE) == flag) dcb.ByteSize = size;
  dcb.Parity = NOPARITY;
  for (BYTE p = 0; p < kParity.size(); ++p)
    if ((m.c_cflag & (PARENB | PARODD | CMSPAR)) == kParity[p]) dcb.Parity = p;
  dcb.StopBits = (m.c_cflag & CSTOPB) ? (dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
  dcb.XonChar = static_cast<char>(m.c_cc[VSTART]);
  dcb.XoffChar = static_cast<char>(m.c_cc[VSTOP]);
  return dcb;
}

bool ApplyDcb(const DCB& dcb, termios& modes) {
  speed_t speed;
  if (!SpeedFor(dcb.BaudRate, speed)) return false;
  tcflag_t size = 0;
  for (const auto& [bits, flag] : kSizes)
    if (bits == dcb.ByteSize) size = flag;
  if (size == 0 || dcb.Parity >= kParity.size()) return false;
  // One and a half stop bits exist only with 5-bit characters, two only with longer ones.
  if (dcb.StopBits > TWOSTOPBITS || (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) ||
      (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5))
    return false;
  if (dcb.fOutxDsrFlow || dcb.fDsrSensitivity || dcb.fErrorChar || dcb.fDtrControl == DTR_CONTROL_HANDSHAKE ||
      dcb.fDtrControl > DTR_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
    return false;
  if ((dcb.fOutX || dcb.fInX) && dcb.XonChar == dcb.XoffChar) return false;

  termios m = modes;
  MakeRaw(m);
  m.c_iflag &= ~(INPCK | IGNPAR | IXON | IXOFF);
  if (dcb.fParity && dcb.Parity != NOPARITY) m.c_iflag |= INPCK;
  if (dcb.fOutX) m.c_iflag |= IXON;
  if (dcb.fInX) m.c_iflag |= IXOFF;
  m.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  m.c_cflag |= size | kParity[dcb.Parity];
  if (dcb.StopBits != ONESTOPBIT) m.c_cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) m.c_cflag |= CRTSCTS;
  m.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  m.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  if (cfsetispeed(&m, speed) != 0 || cfsetospeed(&m, speed) != 0) return false;
  modes = m;
  return true;
}

}  // namespace tolvar::comm
