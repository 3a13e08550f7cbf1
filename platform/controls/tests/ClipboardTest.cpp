// The clipboard file read back from damage: a file that is not whole counts as an empty clipboard,
// never as part of one, and the next copy replaces it.
#include "ControlTest.h"

#include <base/Home.h>

#include <cstdint>
#include <fstream>
#include <string>

using namespace testing_controls;

namespace {

void WriteClipboardFile(const std::string& bytes) {
  std::ofstream file(tolvar::HomeFolder() + "/clipboard/data", std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Le32(std::uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}

class DamagedClipboard : public ControlTest, public ::testing::WithParamInterface<std::pair<const char*, std::string>> {};

TEST_P(DamagedClipboard, ReadsAsEmptyAndIsReplacedByTheNextCopy) {
  // Make sure the folder exists, then damage the file.
  ASSERT_TRUE(OpenClipboard(nullptr));
  CloseClipboard();
  WriteClipboardFile(GetParam().second);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_EQ(CountClipboardFormats(), 0);
  CloseClipboard();
  HWND edit = Make("Edit", "fresh", WS_BORDER, 10, 10, 100, 22, 90);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_COPY, 0, 0);
  SetWindowTextA(edit, "");
  SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(edit), "fresh");
}

INSTANTIATE_TEST_SUITE_P(
    , DamagedClipboard,
    ::testing::Values(std::make_pair("Garbage", std::string("not a clipboard at all")),
                      std::make_pair("Empty", std::string()),
                      std::make_pair("CutInTheCount", std::string("TOLVARCB") + Le32(0) + "\x01"),
                      std::make_pair("FormatLongerThanTheFile",
                                     std::string("TOLVARCB") + Le32(0) + Le32(1) + Le32(CF_TEXT) + Le32(1000) + "abc"),
                      std::make_pair("SecondFormatMissing",
                                     std::string("TOLVARCB") + Le32(0) + Le32(2) + Le32(CF_TEXT) + Le32(2) + "a")),
    [](const auto& info) { return std::string(info.param.first); });

}  // namespace
