#include <linkwell/LinkPacket.h>
#include <linkwell/LinkPacketAssembler.h>

#include <gtest/gtest.h>
#include <ostream>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Packet(BYTE type, const Bytes& payload, BYTE flag = LINK_FLAG) {
  Bytes packet(LINK_HEADER_SIZE + payload.size());
  packet.resize(BuildLinkPacket(type, payload, flag, packet));
  return packet;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(i * 7 + i / 251);
  return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Cuts `stream` into reads of the given sizes (the rest in one last read).
std::vector<Bytes> Cut(const Bytes& stream, std::initializer_list<std::size_t> sizes) {
  std::vector<Bytes> reads;
  std::size_t at = 0;
  for (std::size_t size : sizes) {
    reads.emplace_back(stream.begin() + at, stream.begin() + at + size);
    at += size;
  }
  if (at < stream.size()) reads.emplace_back(stream.begin() + at, stream.end());
  return reads;
}

TEST(LinkPacket, EmptyRefusedIsExactlyEightBytes) {
  EXPECT_EQ(Packet(PKT_REFUSED, {}), (Bytes{0x00, 0xFF, 0x01, 0x05, 0x00, 0x00, 0x00, 0x00}));
}

TEST(LinkPacket, ConnectResultCarriesTheTextWithItsNul) {
  Bytes payload = Text("COM3,");
  payload.push_back(0);
  EXPECT_EQ(Packet(PKT_CONNECT_RESULT, payload),
            (Bytes{0x00, 0xFF, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 'C', 'O', 'M', '3', ',', 0x00}));
  EXPECT_EQ(Packet(PKT_CONNECT_RESULT, Bytes{0}), (Bytes{0x00, 0xFF, 0x01, 0x08, 0x01, 0, 0, 0, 0x00}));
}

TEST(LinkPacket, HeaderLengthIsLittleEndianAndRoundTrips) {
  LinkPacketHeader header;
  header.flag = 0;
  header.type = PKT_FROM_PHONE;
  header.length = 0x00010000;
  BYTE bytes[LINK_HEADER_SIZE];
  PackLinkPacketHeader(header, bytes);
  EXPECT_EQ(Bytes(bytes, bytes + 8), (Bytes{0x00, 0xFF, 0x00, 0x03, 0x00, 0x00, 0x01, 0x00}));
  const LinkPacketHeader back = UnpackLinkPacketHeader(bytes);
  EXPECT_EQ(back.marker, 0xFF00);
  EXPECT_EQ(back.flag, 0);
  EXPECT_EQ(back.type, PKT_FROM_PHONE);
  EXPECT_EQ(back.length, 65536u);
  EXPECT_TRUE(IsValidLinkPacketHeader(back));
  header.length = 65537;
  EXPECT_FALSE(IsValidLinkPacketHeader(header));
  header.length = 0;
  header.marker = 0x00FF;
  EXPECT_FALSE(IsValidLinkPacketHeader(header));
}

TEST(LinkPacket, PayloadOverTheMaximumIsCut) {
  const Bytes payload = Pattern(70000);
  Bytes packet(LINK_MAX_PACKET);
  ASSERT_EQ(BuildLinkPacket(PKT_FROM_PHONE, payload, LINK_FLAG, packet), LINK_MAX_PACKET);
  EXPECT_EQ(UnpackLinkPacketHeader(std::span<const BYTE, 8>(packet.data(), 8)).length, 65536u);
  EXPECT_TRUE(std::equal(packet.begin() + 8, packet.end(), payload.begin()));
  Bytes tooSmall(LINK_HEADER_SIZE + 2);
  EXPECT_EQ(BuildLinkPacket(PKT_TO_PHONE, Text("abc"), LINK_FLAG, tooSmall), 0u);
}

struct AssemblyCase {
  const char* name;
  std::vector<Bytes> reads;    // what each socket read delivers
  std::vector<Bytes> packets;  // the packets to be taken, in order
};

// Test names show the case, not its bytes.
void PrintTo(const AssemblyCase& c, std::ostream* os) { *os << c.name; }

// Feeds the reads one by one, taking every whole packet after each, as the relay does.
std::vector<Bytes> Assemble(LinkPacketAssembler& assembler, const std::vector<Bytes>& reads) {
  std::vector<Bytes> taken;
  Bytes packet(LINK_MAX_PACKET);
  for (const Bytes& read : reads) {
    std::size_t at = 0;
    while (at < read.size()) {
      std::span<BYTE> space = assembler.FreeSpace();
      EXPECT_FALSE(space.empty());
      if (space.empty()) return taken;
      const std::size_t n = std::min(space.size(), read.size() - at);
      std::memcpy(space.data(), read.data() + at, n);
      assembler.Commit(static_cast<DWORD>(n));
      at += n;
      while (DWORD size = assembler.TakePacket(packet)) taken.emplace_back(packet.begin(), packet.begin() + size);
    }
  }
  return taken;
}

class LinkPacketAssembly : public testing::TestWithParam<AssemblyCase> {};

TEST_P(LinkPacketAssembly, TakesExactlyTheWholePackets) {
  LinkPacketAssembler assembler;
  const std::vector<Bytes> taken = Assemble(assembler, GetParam().reads);
  ASSERT_EQ(taken.size(), GetParam().packets.size());
  for (std::size_t i = 0; i < taken.size(); ++i) EXPECT_EQ(taken[i], GetParam().packets[i]) << "packet " << i;
}

const Bytes kClaim = Packet(PKT_CLAIM, {});
const Bytes kFrame = Packet(PKT_TO_PHONE, Text(std::string("\x00TestModeOn\x16", 12)));
const Bytes kMax = Packet(PKT_TO_PHONE, Pattern(LINK_MAX_PAYLOAD));
const Bytes kFlagZero = Packet(PKT_CLAIM, {}, 0);
const Bytes kTooLong = {0x00, 0xFF, 0x01, 0x02, 0x01, 0x00, 0x01, 0x00};  // announces 65,537 bytes

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkPacketAssembly,
    testing::Values(
        AssemblyCase{"TwoPacketsInOneRead", {Concat({kClaim, kFrame})}, {kClaim, kFrame}},
        AssemblyCase{"HeaderAndPayloadSplitAcrossReads", Cut(kFrame, {3, 6, 2}), {kFrame}},
        AssemblyCase{"ByteByByte", Cut(kFrame, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}), {kFrame}},
        AssemblyCase{"MaximumSizeOverSeveralReads", Cut(Concat({kMax, kClaim}), {65536, 4}), {kMax, kClaim}},
        AssemblyCase{"MaximumSizeAfterAPartialPacket", Cut(Concat({kFrame, kMax, kFrame}), {5, 65536, 65536}),
                     {kFrame, kMax, kFrame}},
        AssemblyCase{"BytesBeforeTheMarkerAreSkipped", {Concat({Text("noise\xff"), kClaim})}, {kClaim}},
        AssemblyCase{"ReadWithoutMarkerYieldsNothing", {Text("AT+GMM\r\n")}, {}},
        AssemblyCase{"BadMarkerThenValidPacket", {Concat({Bytes{0xFF, 0x00, 0x01, 0x00, 0, 0, 0, 0}, kFrame})},
                     {kFrame}},
        AssemblyCase{"LengthOverTheMaximumResynchronises", {Concat({kTooLong, Text("xyz"), kFrame})}, {kFrame}},
        AssemblyCase{"LengthOverTheMaximumSplitFromThePacket", {kTooLong, kClaim}, {kClaim}},
        AssemblyCase{"MarkerSplitBetweenReads", Cut(Concat({Text("zz"), kClaim}), {3}), {kClaim}},
        AssemblyCase{"FlagZeroIsCutOutLikeAnyOther", {Concat({kFlagZero, kClaim})}, {kFlagZero, kClaim}}),
    [](const testing::TestParamInfo<AssemblyCase>& info) { return std::string(info.param.name); });

TEST(LinkPacketAssembler, KeepsAnIncompletePacketAndNeverTakesPastTheReceivedBytes) {
  LinkPacketAssembler assembler;
  const std::vector<Bytes> reads = Cut(kFrame, {10});
  EXPECT_TRUE(Assemble(assembler, {reads[0]}).empty());
  EXPECT_EQ(assembler.Pending(), 10u);
  EXPECT_FALSE(assembler.HasPacket());
  EXPECT_EQ(Assemble(assembler, {reads[1]}), std::vector<Bytes>{kFrame});
  EXPECT_EQ(assembler.Pending(), 0u);
}

TEST(LinkPacketAssembler, APacketLargerThanTheDestinationStays) {
  LinkPacketAssembler assembler;
  std::span<BYTE> space = assembler.FreeSpace();
  std::memcpy(space.data(), kFrame.data(), kFrame.size());
  assembler.Commit(static_cast<DWORD>(kFrame.size()));
  Bytes small(kFrame.size() - 1);
  EXPECT_EQ(assembler.TakePacket(small), 0u);
  Bytes enough(kFrame.size());
  EXPECT_EQ(assembler.TakePacket(enough), kFrame.size());
  EXPECT_EQ(enough, kFrame);
}

TEST(LinkPacketAssembler, TwoConnectionsInterleavedKeepTheirOwnBytes) {
  LinkPacketAssembler a, b;
  const Bytes fromA = Packet(PKT_TO_PHONE, Text("AAAAAAAAAAAAAAAAAAAA"));
  const Bytes fromB = Packet(PKT_TO_PHONE, Text("BBBBBBBBBBBBBBBBBBBB"));
  const std::vector<Bytes> partsA = Cut(fromA, {5, 9});
  const std::vector<Bytes> partsB = Cut(fromB, {7, 4});
  std::vector<Bytes> takenA, takenB;
  for (std::size_t i = 0; i < 3; ++i) {
    for (const Bytes& p : Assemble(a, {partsA[i]})) takenA.push_back(p);
    for (const Bytes& p : Assemble(b, {partsB[i]})) takenB.push_back(p);
  }
  EXPECT_EQ(takenA, std::vector<Bytes>{fromA});
  EXPECT_EQ(takenB, std::vector<Bytes>{fromB});
}

}  // namespace
