#include "FrameCodec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using phonesim::CommandFrameDecoder;
using phonesim::EncodeReplyFrame;
using phonesim::kMaxCommandText;

namespace {

std::vector<std::string> Decode(CommandFrameDecoder& decoder, const std::string& bytes) {
  std::vector<std::string> commands;
  for (char c : bytes) {
    if (auto command = decoder.Feed(static_cast<unsigned char>(c))) commands.push_back(*command);
  }
  return commands;
}

std::vector<std::string> Decode(const std::string& bytes) {
  CommandFrameDecoder decoder;
  return Decode(decoder, bytes);
}

using namespace std::string_literals;

}  // namespace

TEST(ReplyFrame, LeadTextLineFeedAndSynWithEscapes) {
  struct Case { std::string text; std::string frame; };
  for (const Case& c : {
           Case{"PowerOff:DONE", "\xFCPowerOff:DONE\n\x16"},
           Case{"", "\xFC\n\x16"},
           Case{"a\x16z", "\xFC" "a\x10\x16z\n\x16"},
           Case{"\x10", "\xFC\x10\x10\n\x16"},
           Case{"\x1B" "A", "\xFC\x10\x1B" "A\n\x16"},
       }) {
    EXPECT_EQ(EncodeReplyFrame(c.text), c.frame) << c.text;
  }
}

TEST(CommandFrames, DecodeEscapesAndIgnoreBytesBetweenFrames) {
  struct Case { std::string bytes; std::vector<std::string> commands; };
  const std::vector<Case> cases{
      {"\0ShowSwVersion\x16"s, {"ShowSwVersion"}},
      {"\0\x16"s, {""}},
      {"\0a\x10\x16z\x16"s, {"a\x16z"}},
      {"\0a\x10\x10\x16"s, {"a\x10"}},
      {"\0\x10\x10\x10\x16\x16"s, {"\x10\x16"}},
      // Echoes, wake-up bytes and noise outside a frame are not commands.
      {"AT*TRACE\r\x16\x16V\x16L\x16Z\x16\0PowerOff\x16"s, {"PowerOff"}},
      // An unescaped 0x00 inside a frame starts over: the broken frame is forgotten.
      {"\0Show\0PowerOff\x16"s, {"PowerOff"}},
      {"\0A\x16\0B\x16"s, {"A", "B"}},
      // A frame without its closing SYN is not a command yet.
      {"\0ShowSwVersion"s, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Decode(c.bytes), c.commands);
}

TEST(CommandFrames, TextsUpToTheLimitPassAndLongerFramesAreDroppedWhole) {
  CommandFrameDecoder decoder;
  const std::string longest(kMaxCommandText, 'x');
  EXPECT_EQ(Decode(decoder, "\0"s + longest + "\x16"), std::vector<std::string>{longest});
  EXPECT_EQ(decoder.DroppedFrames(), 0u);

  // One byte more: nothing of it is taken, not even a cut-off command, and an escaped SYN in the
  // overflowing part does not end it early.
  EXPECT_TRUE(Decode(decoder, "\0"s + longest + "y\x10\x16more\x16").empty());
  EXPECT_EQ(decoder.DroppedFrames(), 1u);
  // The next frame is read normally.
  EXPECT_EQ(Decode(decoder, "\0ShowSwVersion\x16"s), std::vector<std::string>{"ShowSwVersion"});
}
