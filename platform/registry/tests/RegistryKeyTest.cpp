// The owning key: open, create, typed reads in the size the registry reports, writes, deletes and
// the two enumerations, and a handle that is closed when its object goes.
#include "TestHome.h"

#include <registry/RegistryKey.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tolvar::registry::testing;
using tolvar::registry::RegistryKey;

namespace {

constexpr const char* kSettings = "Software\\Halvane\\Tolvar\\Settings";

TEST(RegistryKeyTest, OpenFailsOnAMissingKeyCreateMakesItAndTheHandleClosesWithTheObject) {
  TestHome home;
  RegistryKey key;
  EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kSettings), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.SetDword("LC", 1), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));

  bool created = false;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kSettings, KEY_ALL_ACCESS, &created), ERROR_SUCCESS);
  EXPECT_TRUE(created);
  HKEY handle = key.Get();
  {
    RegistryKey moved = std::move(key);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(moved.Get(), handle);
    ASSERT_EQ(moved.Create(HKEY_CURRENT_USER, kSettings, KEY_ALL_ACCESS, &created), ERROR_SUCCESS);
    EXPECT_FALSE(created);  // opened the one there
    handle = moved.Get();
  }
  // Closed with its object: the handle names nothing any more.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(handle, "LC", nullptr, nullptr, nullptr, &size), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));

  // A key opened for reading refuses writes, as the registry does.
  ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kSettings, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(key.SetDword("LC", 1), static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
}

TEST(RegistryKeyTest, TypedReadsTakeTheWholeValueAndRefuseOtherTypesWithoutTouchingTheVariable) {
  TestHome home;
  RegistryKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kSettings), ERROR_SUCCESS);
  const std::string longText(5000, 'x');  // longer than any buffer a caller would guess
  ASSERT_EQ(key.SetString("Build", longText), ERROR_SUCCESS);
  ASSERT_EQ(key.SetDword("LC", 0x0407), ERROR_SUCCESS);
  const BYTE raw[] = {1, 2, 0, 3};
  ASSERT_EQ(key.SetBinary("Blob", raw), ERROR_SUCCESS);
  const BYTE unterminated[] = {'a', 'b'};
  ASSERT_EQ(key.SetValue("Bare", REG_SZ, unterminated), ERROR_SUCCESS);
  const BYTE shortNumber[] = {7, 0};
  ASSERT_EQ(key.SetValue("Short", REG_DWORD, shortNumber), ERROR_SUCCESS);
  ASSERT_EQ(key.SetString(nullptr, "default"), ERROR_SUCCESS);

  std::string text;
  ASSERT_EQ(key.QueryString("Build", text), ERROR_SUCCESS);
  EXPECT_EQ(text, longText);
  ASSERT_EQ(key.QueryString("Bare", text), ERROR_SUCCESS);
  EXPECT_EQ(text, "ab");
  ASSERT_EQ(key.QueryString(nullptr, text), ERROR_SUCCESS);
  EXPECT_EQ(text, "default");
  DWORD number = 0;
  ASSERT_EQ(key.QueryDword("LC", number), ERROR_SUCCESS);
  EXPECT_EQ(number, 0x0407u);
  std::vector<BYTE> bytes;
  ASSERT_EQ(key.QueryBinary("Blob", bytes), ERROR_SUCCESS);
  EXPECT_EQ(bytes, std::vector<BYTE>(std::begin(raw), std::end(raw)));
  DWORD type = REG_NONE;
  ASSERT_EQ(key.QueryValue("LC", type, bytes), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(bytes.size(), 4u);

  text = "kept";
  number = 99;
  EXPECT_EQ(key.QueryString("LC", text), static_cast<LSTATUS>(ERROR_INVALID_DATA));
  EXPECT_EQ(key.QueryDword("Build", number), static_cast<LSTATUS>(ERROR_INVALID_DATA));
  EXPECT_EQ(key.QueryDword("Short", number), static_cast<LSTATUS>(ERROR_INVALID_DATA));
  EXPECT_EQ(key.QueryDword("Missing", number), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(number, 99u);
}

TEST(RegistryKeyTest, EnumeratesInCreationOrderAndDeletesValuesAndLeafSubkeys) {
  TestHome home;
  RegistryKey root;
  ASSERT_EQ(root.Create(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar"), ERROR_SUCCESS);
  const std::string longName(250, 'k');  // near the registry's limit of 255
  for (const std::string& name : {std::string("Settings"), std::string("Daybook"), longName}) {
    RegistryKey child;
    ASSERT_EQ(child.Create(root.Get(), name), ERROR_SUCCESS) << name;
  }
  RegistryKey deep;
  ASSERT_EQ(deep.Create(root.Get(), "Daybook\\Inner"), ERROR_SUCCESS);
  ASSERT_EQ(root.SetDword("b", 1), ERROR_SUCCESS);
  ASSERT_EQ(root.SetDword("a", 2), ERROR_SUCCESS);

  std::vector<std::string> names;
  ASSERT_EQ(root.SubKeyNames(names), ERROR_SUCCESS);
  EXPECT_EQ(names, (std::vector<std::string>{"Settings", "Daybook", longName}));
  ASSERT_EQ(root.ValueNames(names), ERROR_SUCCESS);
  EXPECT_EQ(names, (std::vector<std::string>{"b", "a"}));

  EXPECT_EQ(root.DeleteValue("b"), ERROR_SUCCESS);
  EXPECT_EQ(root.DeleteValue("b"), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(root.DeleteSubKey("Daybook"), static_cast<LSTATUS>(ERROR_ACCESS_DENIED));  // has a subkey
  EXPECT_EQ(root.DeleteSubKey(""), static_cast<LSTATUS>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(root.DeleteSubKey("Settings"), ERROR_SUCCESS);
  ASSERT_EQ(root.SubKeyNames(names), ERROR_SUCCESS);
  EXPECT_EQ(names, (std::vector<std::string>{"Daybook", longName}));
  ASSERT_EQ(root.ValueNames(names), ERROR_SUCCESS);
  EXPECT_EQ(names, (std::vector<std::string>{"a"}));
}

}  // namespace
