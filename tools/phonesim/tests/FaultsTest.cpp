#include "Faults.h"

#include <gtest/gtest.h>

using phonesim::ApplyControlLine;
using phonesim::Faults;

TEST(ControlLines, SwitchFaultsOnAndOff) {
  Faults faults;
  EXPECT_EQ(ApplyControlLine("silent on", faults), "");
  EXPECT_TRUE(faults.silent);
  EXPECT_EQ(ApplyControlLine("silent 2", faults), "");
  EXPECT_FALSE(faults.silent);
  EXPECT_EQ(faults.silentAnswers, 2);
  EXPECT_EQ(ApplyControlLine("delay 250", faults), "");
  EXPECT_EQ(faults.delay.count(), 250);
  EXPECT_EQ(ApplyControlLine("garbage on", faults), "");
  EXPECT_TRUE(faults.garbage);
  EXPECT_EQ(ApplyControlLine("drop 10", faults), "");
  EXPECT_EQ(faults.dropAfterSent, 10);
  EXPECT_EQ(ApplyControlLine("drop-received 0", faults), "");
  EXPECT_EQ(faults.dropAfterReceived, 0);
  EXPECT_EQ(ApplyControlLine("clear", faults), "");
  EXPECT_FALSE(faults.garbage);
  EXPECT_EQ(faults.delay.count(), 0);
  EXPECT_FALSE(faults.dropAfterSent);
}

TEST(ControlLines, BadLinesAreRefusedAndChangeNothing) {
  Faults faults;
  for (const char* line : {"", "silent", "silent maybe", "delay -5", "delay 1x", "garbage 1", "drop", "jam on",
                           "clear now", "jam"}) {
    EXPECT_NE(ApplyControlLine(line, faults), "") << line;
  }
  EXPECT_FALSE(faults.silent);
  EXPECT_EQ(faults.delay.count(), 0);
  EXPECT_FALSE(faults.dropAfterSent);
}

TEST(Noise, HoldsNoFrameLeadNoResultCodeAndEndsInSyn) {
  phonesim::NoiseSource noise;
  const std::string bytes = noise.Make(2000);
  ASSERT_EQ(bytes.size(), 2000u);
  EXPECT_EQ(bytes.back(), '\x16');
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    EXPECT_GE(byte, 0x80);
    EXPECT_LT(byte, 0xFC);
  }
  EXPECT_EQ(noise.Make(1), "\x16");
  EXPECT_EQ(noise.Make(0), "");
}
