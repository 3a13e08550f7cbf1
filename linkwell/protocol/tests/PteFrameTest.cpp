#include <linkwell/PteFrame.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Encode(std::string_view text) {
  Bytes frame(PteFrameCapacity(static_cast<DWORD>(text.size())));
  frame.resize(EncodePteFrame(text, frame));
  return frame;
}

TEST(PteWakeUp, IsTheFourWritesInOrder) {
  const auto parts = PteWakeUpSequence();
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(Bytes(parts[0].begin(), parts[0].end()), B("AT*TRACE\r"));
  EXPECT_EQ(Bytes(parts[1].begin(), parts[1].end()), Bytes(92, 0x16));
  EXPECT_EQ(Bytes(parts[2].begin(), parts[2].end()), (Bytes{'V', 0x16, 'L', 0x16}));
  EXPECT_EQ(Bytes(parts[3].begin(), parts[3].end()), (Bytes{'Z', 0x16}));
}

struct EncodeCase {
  std::string text;
  Bytes frame;
};

TEST(EncodePteFrame, Cases) {
  const EncodeCase cases[] = {
      {"ShowSwVersion", Concat({Bytes{0x00}, B("ShowSwVersion"), Bytes{0x16}})},
      {"", Bytes{0x00, 0x16}},
      {std::string("a\x16" "b", 3), Bytes{0x00, 'a', 0x10, 0x16, 'b', 0x16}},
      {std::string("\x10\x10", 2), Bytes{0x00, 0x10, 0x10, 0x10, 0x10, 0x16}},
      {std::string("\x1b\x00\xfc", 3), Bytes{0x00, 0x1B, 0x00, 0xFC, 0x16}},  // only DLE and SYN are escaped
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(Encode(c.text), c.frame) << c.text;
    EXPECT_LE(c.frame.size(), PteFrameCapacity(static_cast<DWORD>(c.text.size())));
  }
  EXPECT_EQ(Encode("ShowSwVersion").size(), 15u);
}

TEST(EncodePteFrame, RefusesAFrameBufferTooSmall) {
  Bytes frame(5);
  EXPECT_EQ(EncodePteFrame("\x16\x16", frame), 0u);  // needs 6
  frame.resize(6);
  EXPECT_EQ(EncodePteFrame("\x16\x16", frame), 6u);
  Bytes none;
  EXPECT_EQ(EncodePteFrame("", none), 0u);
}

// Feeds the bytes one by one and gives the reply text of every valid frame, and how many frames
// were discarded as too long.
struct Received {
  std::vector<std::string> replies;
  int overlong = 0;
};

Received Receive(const Bytes& bytes, DWORD capacity = 512) {
  PteFrameCollector collector(capacity);
  Received out;
  std::vector<char> text(capacity);
  for (BYTE b : bytes) {
    switch (collector.Feed(b)) {
      case PteFrameCollector::PTE_FRAME:
        if (DecodePteFrame(collector.Collected(), text)) out.replies.emplace_back(text.data());
        break;
      case PteFrameCollector::PTE_OVERLONG:
        ++out.overlong;
        break;
      case PteFrameCollector::PTE_MORE:
        break;
    }
  }
  return out;
}

struct DecodeCase {
  const char* name;
  Bytes received;
  std::vector<std::string> replies;
};

TEST(PteFrameReceive, Cases) {
  const DecodeCase cases[] = {
      {"LeadAndLineFeed", Concat({Bytes{0xFC}, B("PowerOff:DONE\n"), Bytes{0x16}}), {"PowerOff:DONE"}},
      {"SecondLead", Bytes{0x01, 0xFC, 'X', 0x16}, {"X"}},
      {"NoLeadAfterTheFirstByte", Bytes{0x01, 'X', 0x16}, {}},
      {"EscapeStretchIsDropped", Bytes{0x1B, 0x41, 0x00, 0xFC, 'A', 0x16}, {}},  // collects 41 FC 41
      {"EscapeStretchBeforeTheLead", Bytes{0xFC, 0x1B, 'x', 0x00, 'A', 0x16}, {"xA"}},
      {"DleMakesSynLiteral", Bytes{0xFC, 'a', 0x10, 0x16, 'b', 0x16}, {"a\x16" "b"}},
      {"DleMakesNulLiteralInAnEscape", Bytes{0xFC, 0x1B, 0x10, 0x00, 'q', 0x00, 'r', 0x16}, {""}},  // the literal NUL ends the text
      {"OnlyOneLineFeedGoes", Concat({Bytes{0xFC}, B("A\n\n"), Bytes{0x16}}), {"A\n"}},
      {"EmptyReply", Bytes{0xFC, 0x16}, {""}},
      {"EmptyFrameIsNoReply", Bytes{0x16}, {}},
      {"EchoThenReply", Concat({Bytes{0x00}, B("PowerOff"), Bytes{0x16, 0xFC}, B("PowerOff:DONE"), Bytes{0x16}}),
       {"PowerOff:DONE"}},
      {"NulEndsTheText", Bytes{0xFC, 'A', 0x10, 0x00, 'B', 0x16}, {"A"}},
      {"TwoReplies", Bytes{0xFC, '1', 0x16, 0xFC, '2', 0x16}, {"1", "2"}},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(Receive(c.received).replies, c.replies) << c.name;
  }
}

TEST(PteFrameReceive, AnEscapeStretchOutlastsItsFrame) {
  // The SYN ends the frame but not the stretch: the next frame's bytes are kept only after its NUL.
  EXPECT_EQ(Receive(Bytes{0xFC, 0x1B, 'a', 0x16, 'b', 0x00, 0xFC, 'c', 0x16}).replies,
            std::vector<std::string>{"a"});
  // "b" was collected before the lead, so that second frame is no reply; the one after it is.
  EXPECT_EQ(Receive(Bytes{0xFC, 0x1B, 'a', 0x16, 'b', 0x00, 0xFC, 'c', 0x16, 0xFC, 'd', 0x16}).replies,
            (std::vector<std::string>{"a", "d"}));
}

TEST(PteFrameReceive, AnOverlongFrameIsDiscardedAndTheNextOneIsRead) {
  Bytes longFrame = {0xFC};
  longFrame.insert(longFrame.end(), 600, 'x');
  longFrame.push_back(0x16);
  const Received r = Receive(Concat({longFrame, Bytes{0xFC}, B("PowerOff:DONE"), Bytes{0x16}}));
  EXPECT_EQ(r.overlong, 1);
  EXPECT_EQ(r.replies, std::vector<std::string>{"PowerOff:DONE"});
}

TEST(PteFrameReceive, AFrameOfExactlyTheCapacityIsKept) {
  Bytes frame = {0xFC};
  frame.insert(frame.end(), 511, 'y');
  frame.push_back(0x16);
  const Received r = Receive(frame);
  EXPECT_EQ(r.overlong, 0);
  ASSERT_EQ(r.replies.size(), 1u);
  EXPECT_EQ(r.replies[0], std::string(511, 'y'));
}

TEST(DecodePteFrame, RefusesATextBufferTooSmall) {
  const Bytes collected = {0xFC, 'a', 'b', 'c'};
  std::vector<char> text(3);
  EXPECT_FALSE(DecodePteFrame(collected, text));
  text.resize(4);
  ASSERT_TRUE(DecodePteFrame(collected, text));
  EXPECT_STREQ(text.data(), "abc");
}

}  // namespace
