#include "Options.h"

#include <gtest/gtest.h>

using phonesim::ParseOptions;

TEST(Options, ReadsEveryOptionInBothForms) {
  std::string error;
  const auto options = ParseOptions({"--model", "tavik", "--sw-version=TDE_0100", "--baud", "9600", "--off-time",
                                     "never", "--delay=250", "--silent-answers", "2", "--garbage", "--drop-after", "64",
                                     "--home", "/tmp/h", "--state", "/tmp/s", "--no-control", "--maker=Orvane", "--refuse-echo"},
                                    error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->model->name, "Tavik");
  EXPECT_EQ(options->swVersion, "TDE_0100");
  EXPECT_EQ(options->baud, 9600);
  EXPECT_FALSE(options->offTime);
  EXPECT_EQ(options->faults.delay.count(), 250);
  EXPECT_EQ(options->faults.silentAnswers, 2);
  EXPECT_TRUE(options->faults.garbage);
  EXPECT_EQ(options->faults.dropAfterSent, 64);
  EXPECT_FALSE(options->faults.dropAfterReceived);
  EXPECT_EQ(options->home, "/tmp/h");
  EXPECT_EQ(options->state, "/tmp/s");
  EXPECT_FALSE(options->control);
  EXPECT_EQ(options->maker, "Orvane");
  EXPECT_TRUE(options->refuseEcho);
}

TEST(Options, DefaultsAndRefusals) {
  std::string error;
  const auto defaults = ParseOptions({}, error);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->baud, 115200);
  EXPECT_EQ(defaults->offTime, std::chrono::milliseconds(1000));
  EXPECT_TRUE(defaults->control);
  EXPECT_FALSE(defaults->model);

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--model", "Nokk"}, {"--model"}, {"--baud", "12"}, {"--delay", "-1"},
        {"--drop-after", "x"}, {"--frobnicate"}, {"--garbage=on"}, {"stray"}}) {
    error.clear();
    EXPECT_FALSE(ParseOptions(bad, error)) << bad[0];
    EXPECT_FALSE(error.empty()) << bad[0];
  }
}
