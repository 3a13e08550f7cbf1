// The meaning of the phone's answers: model answers to phone-type codes, software versions to model
// names, and the model line out of a whole "AT+GMM" answer.
#include "PhoneModels.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AtModelTable, TheFirstRowThatBeginsTheModelGivesItsCode) {
  const struct {
    const char* model;
    int code;
  } cases[] = {
      {"Ostrel-100", 64}, {"Pimsy-S", 64}, {"Quarn2", 64},  {"Ruvel-E", 64},   {"Selka-X", 128}, {"Tavik-D", 128},
      {"Ulmar-U", 2048},  {"Vesk-D", 2048}, {"Wirra-C", 512}, {"Yorne-E", 512}, {"Zenno-M", 1024},
      {"Marlo 7", 64},    {"", 64},        {"selka", 64},     {"Sel", 64},
  };
  for (const auto& c : cases) EXPECT_EQ(PhoneTypeOfModel(c.model), c.code) << c.model;
}

TEST(PteProbeTable, TheVersionsLettersPickTheModelOfTheRowsFamily) {
  const struct {
    int row;
    const char* version;
    const char* model;  // empty: not of the row's family
  } cases[] = {
      {0, "YAA_0412", "Ostrel"}, {0, "YIA_0305", "Pimsy"}, {0, "YRE_0521", "Ruvel"}, {0, "YIE", "Pimsy"},
      {1, "ZDE_0402", "Tavik"},  {1, "ZSE_0310", "Selka"}, {2, "UDE_0225", "Vesk"},  {2, "UAE_0118", "Ulmar"},
      {3, "CYE_0412", "Yorne"},  {3, "CWA_0330", "Wirra"}, {4, "MZE_0107", "Zenno"}, {1, "YE", ""},
      {1, "zDE", ""},            {0, "", ""},
      // A version of one or two letters has no second or third letter to match: nothing past its end
      // is read.
      {0, "Y", "Ostrel"},        {0, "YE", "Ostrel"},     {1, "Z", "Selka"},      {3, "CY", "Wirra"},
      {4, "M", "Zenno"},
  };
  for (const auto& c : cases) EXPECT_EQ(PteModelName(c.row, c.version), c.model) << c.row << " " << c.version;
  EXPECT_EQ(PteModelName(-1, "YAA"), "");
  EXPECT_EQ(PteModelName(PTE_PROBE_ROWS, "MZE"), "");
}

TEST(ModelLine, IsTheLastLineOfTheAnswerBeforeItsOk) {
  const struct {
    const char* answer;
    const char* model;
  } cases[] = {
      {"AT+GMM\r\r\nSelka-X\r\n\r\nOK\r\n", "Selka-X"},  // echo, the model, an empty line
      {"\r\nQuarn2\r\nOK\r\n", "Quarn2"},
      {"AT+GMM\r\r\nZenno-M\r\n\r\n\r\n\r\nOK\r\n", "Zenno-M"},
      {"Tavik-D\r\n\r\nOK", "Tavik-D"},  // no line end before the model: the whole first line
      {"Vesk-D", "Vesk-D"},
      {"OK", ""},
      {"\r\n\r\nOK", ""},
      {"AT+GMM\r\r\nX\r\n\r\nOK", "AT+GMM"},  // a one-letter line is no model line; the one before is taken
      {"\r", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ModelLineOfAnswer(c.answer), c.model) << testing::PrintToString(c.answer);
}

}  // namespace
