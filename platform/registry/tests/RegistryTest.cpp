// The Reg* functions in one process: Windows' results and error codes, access rights, order of
// enumeration, the text hive file, and what happens to a hive that cannot be read.
#include "TestHome.h"

#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace tolvar::registry::testing;

namespace {

constexpr const char* kSettings = "Software\\Halvane\\Tolvar\\Settings";

// Closes the key at the end of the scope.
struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle) RegCloseKey(handle);
  }
  HKEY* operator&() { return &handle; }
  operator HKEY() const { return handle; }
};

LSTATUS Create(HKEY root, const char* path, Key& key, REGSAM access = KEY_ALL_ACCESS,
               DWORD* disposition = nullptr) {
  return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                         disposition);
}

LSTATUS SetText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
}

LSTATUS SetDword(HKEY key, const char* name, DWORD number) {
  BYTE bytes[4] = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8),
                   static_cast<BYTE>(number >> 16), static_cast<BYTE>(number >> 24)};
  return RegSetValueExA(key, name, 0, REG_DWORD, bytes, 4);
}

std::vector<std::string> ValueNames(HKEY key) {
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, size);
  }
  return names;
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, size);
  }
  return names;
}

struct Stored {
  LSTATUS status;
  DWORD type;
  std::vector<BYTE> data;
};

Stored Query(HKEY key, const char* name) {
  Stored stored{0, 0xFFFF, {}};
  DWORD size = 0;
  stored.status = RegQueryValueExA(key, name, nullptr, &stored.type, nullptr, &size);
  if (stored.status != ERROR_SUCCESS) return stored;
  stored.data.resize(size);
  stored.status = RegQueryValueExA(key, name, nullptr, &stored.type, stored.data.data(), &size);
  return stored;
}

class RegistryTest : public ::testing::Test {
protected:
  TestHome home;
};

}  // namespace

TEST_F(RegistryTest, CreateReportsNewThenExistingAndKeysKeepTheirCreatedCase) {
  Key first, second, reopened, parent;
  DWORD disposition = 0;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, kSettings, first, KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "SOFTWARE\\halvane\\TOLVAR\\settings", second, KEY_ALL_ACCESS,
                   &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

  ASSERT_EQ(SetText(second, "Build", "ZDE_0123"), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\HALVANE\\Tolvar\\Settings", 0, KEY_READ,
                          &reopened),
            ERROR_SUCCESS);
  Stored build = Query(reopened, "BUILD");
  EXPECT_EQ(build.status, ERROR_SUCCESS);
  EXPECT_EQ(std::string(build.data.begin(), build.data.end()), std::string("ZDE_0123", 9));

  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\halvane", 0, KEY_READ, &parent),
            ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(parent), std::vector<std::string>{"Tolvar"});
  EXPECT_EQ(ValueNames(reopened), std::vector<std::string>{"Build"});
}

TEST_F(RegistryTest, QueryGivesSizeOnRequestAndMoreDataWhenTheBufferIsShort) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, kSettings, key), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key, "Build", "ZDE_0123"), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Build", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 9u);  // the text and the NUL the caller counted

  char small[4] = {'x', 'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Build", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 9u);

  char exact[9];
  size = sizeof exact;
  EXPECT_EQ(RegQueryValueExA(key, "Build", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(exact, "ZDE_0123");

  type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Build", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(RegQueryValueExA(key, "Phone", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Build", &reserved, &type, nullptr, &size),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "Build", nullptr, &type, reinterpret_cast<BYTE*>(exact), nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, ValuesComeBackAsStoredWithoutConversion) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, kSettings, key), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "ATTimeOut", 3000), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Phone", 0, REG_SZ, reinterpret_cast<const BYTE*>("Selka"), 5),
            ERROR_SUCCESS);
  const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(RegSetValueExA(key, "Wide", 0, REG_DWORD, eight, 8), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "Bad", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);

  // A DWORD read into a text buffer: the four bytes, and the type says REG_DWORD.
  char text[256];
  std::memset(text, 'z', sizeof text);
  DWORD type = 0, size = sizeof text;
  ASSERT_EQ(RegQueryValueExA(key, "ATTimeOut", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  ASSERT_EQ(size, 4u);
  EXPECT_EQ(std::memcmp(text, "\xb8\x0b\x00\x00", 4), 0);
  EXPECT_EQ(text[4], 'z');

  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Case cases[] = {
      {"Phone", REG_SZ, {'S', 'e', 'l', 'k', 'a'}},  // written without its NUL, kept so
      {"Wide", REG_DWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"Empty", REG_BINARY, {}},
  };
  for (const Case& c : cases) {
    Stored stored = Query(key, c.name);
    EXPECT_EQ(stored.status, ERROR_SUCCESS) << c.name;
    EXPECT_EQ(stored.type, c.type) << c.name;
    EXPECT_EQ(stored.data, c.data) << c.name;
  }
}

TEST_F(RegistryTest, AccessRightsOfTheHandleAreHonoured) {
  {
    Key setup;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, kSettings, setup), ERROR_SUCCESS);
    ASSERT_EQ(SetText(setup, "Build", "ZDE_0123"), ERROR_SUCCESS);
    Key child;
    ASSERT_EQ(Create(setup, "Child", child), ERROR_SUCCESS);
  }
  enum Op { Query, Set, DeleteValue, CreateSubkey, EnumValues, EnumKeys };
  struct Case {
    REGSAM access;
    Op op;
    LSTATUS expected;
  };
  const Case cases[] = {
      {KEY_READ, Query, ERROR_SUCCESS},
      {KEY_READ, EnumValues, ERROR_SUCCESS},
      {KEY_READ, EnumKeys, ERROR_SUCCESS},
      {KEY_READ, Set, ERROR_ACCESS_DENIED},
      {KEY_READ, DeleteValue, ERROR_ACCESS_DENIED},
      {KEY_READ, CreateSubkey, ERROR_ACCESS_DENIED},
      {KEY_WRITE, Query, ERROR_ACCESS_DENIED},
      {KEY_WRITE, EnumKeys, ERROR_ACCESS_DENIED},
      {KEY_WRITE, Set, ERROR_SUCCESS},
      {KEY_WRITE, CreateSubkey, ERROR_SUCCESS},
      {KEY_QUERY_VALUE, EnumKeys, ERROR_ACCESS_DENIED},
      {KEY_QUERY_VALUE, EnumValues, ERROR_SUCCESS},
      {KEY_SET_VALUE, Set, ERROR_SUCCESS},
      {KEY_SET_VALUE, CreateSubkey, ERROR_ACCESS_DENIED},
      {KEY_CREATE_SUB_KEY, CreateSubkey, ERROR_SUCCESS},
      {KEY_ENUMERATE_SUB_KEYS, EnumKeys, ERROR_SUCCESS},
      {KEY_ENUMERATE_SUB_KEYS, Query, ERROR_ACCESS_DENIED},
      {KEY_ALL_ACCESS, DeleteValue, ERROR_SUCCESS},
  };
  int n = 0;
  for (const Case& c : cases) {
    Key key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, c.access, &key), ERROR_SUCCESS);
    LSTATUS result = 0;
    char name[64];
    DWORD size = sizeof name;
    std::string fresh = "New" + std::to_string(n++);
    switch (c.op) {
      case Query: result = RegQueryValueExA(key, "Build", nullptr, nullptr, nullptr, &size); break;
      case Set: result = SetText(key, "Other", "x"); break;
      case DeleteValue: result = RegDeleteValueA(key, "Build"); break;
      case CreateSubkey: {
        Key sub;
        result = Create(key, fresh.c_str(), sub);
        break;
      }
      case EnumValues:
        result = RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
        break;
      case EnumKeys:
        result = RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
        break;
    }
    EXPECT_EQ(result, c.expected) << "access " << std::hex << c.access << " op " << c.op;
    // Put "Build" back for the next case when a delete took it.
    Key restore;
    Create(HKEY_CURRENT_USER, kSettings, restore);
    SetText(restore, "Build", "ZDE_0123");
  }
  // Opening an existing key through RegCreateKeyEx needs no right to create.
  Key readOnly, existing;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  DWORD disposition = 0;
  EXPECT_EQ(Create(readOnly, "Child", existing, KEY_READ, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
}

TEST_F(RegistryTest, BadHandlesPathsAndArgumentsGiveWindowsCodes) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, kSettings, key), ERROR_SUCCESS);
  HKEY closed = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &closed), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);

  DWORD size = 0;
  EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExA(closed, "Build", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetText(nullptr, "Build", "x"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);  // predefined keys stay open

  HKEY result = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &result),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &result), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Volatile", 0, nullptr, 1 /*volatile*/,
                            KEY_ALL_ACCESS, nullptr, &result, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Bad\nName", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &result, nullptr),
            ERROR_INVALID_PARAMETER);

  // An empty subkey name opens the same key again; a trailing backslash is harmless.
  Key same, trailing;
  EXPECT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &same), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\", 0, KEY_READ, &trailing),
            ERROR_SUCCESS);

  // Enumeration: past the end, and a name buffer too small for the name and its NUL.
  ASSERT_EQ(SetText(key, "Build", "ZDE_0123"), ERROR_SUCCESS);
  char name[8];
  size = 5;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  size = 6;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  size = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);

  // The data part of an enumeration: size on request, ERROR_MORE_DATA with the size needed.
  BYTE data[4];
  DWORD dataSize = sizeof data, type = 0;
  size = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 9u);
  EXPECT_EQ(type, REG_SZ);
}

TEST_F(RegistryTest, DeleteKeyRefusesKeysWithSubkeysAndOpenHandlesSeeTheDeletion) {
  Key tolvar, settings, daybook, path;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar", tolvar), ERROR_SUCCESS);
  ASSERT_EQ(Create(tolvar, "Settings", settings), ERROR_SUCCESS);
  ASSERT_EQ(Create(tolvar, "Daybook\\Path", path), ERROR_SUCCESS);
  ASSERT_EQ(SetText(path, "Path", "/home/someone/"), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyA(tolvar, "Daybook"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(tolvar, "Nothing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(tolvar, "DAYBOOK\\path"), ERROR_SUCCESS);

  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(path, "Path", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(SetText(path, "Path", "x"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyA(tolvar, "Daybook"), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(tolvar), std::vector<std::string>{"Settings"});

  // An empty name deletes the key the handle names.
  EXPECT_EQ(RegDeleteKeyA(settings, ""), ERROR_SUCCESS);
  EXPECT_TRUE(SubkeyNames(tolvar).empty());
  EXPECT_EQ(RegDeleteValueA(tolvar, "Missing"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, EnumerationKeepsCreationOrderAcrossReloads) {
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Tabulon", key), ERROR_SUCCESS);
  for (const char* name : {"zeta", "Alpha", "mid", "CSV_NFILES"}) ASSERT_EQ(SetText(key, name, name), 0);
  for (const char* name : {"File2", "File0", "File1"}) {
    Key sub;
    ASSERT_EQ(Create(key, name, sub), ERROR_SUCCESS);
  }
  ASSERT_EQ(SetText(key, "ALPHA", "changed"), ERROR_SUCCESS);  // replaced in place, name kept

  const std::vector<std::string> values{"zeta", "Alpha", "mid", "CSV_NFILES"};
  const std::vector<std::string> subkeys{"File2", "File0", "File1"};
  EXPECT_EQ(ValueNames(key), values);
  EXPECT_EQ(SubkeyNames(key), subkeys);

  // The same file written anew, as another process's write would leave it: loaded again.
  std::string hive = home.File("user.reg");
  ReplaceFile(hive, ReadFile(hive));
  EXPECT_EQ(ValueNames(key), values);
  EXPECT_EQ(SubkeyNames(key), subkeys);
  EXPECT_EQ(Query(key, "alpha").data, std::vector<BYTE>({'c', 'h', 'a', 'n', 'g', 'e', 'd', 0}));

  DWORD subCount = 0, valueCount = 0, longestKey = 0, longestName = 0, longestData = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subCount, &longestKey, nullptr,
                             &valueCount, &longestName, &longestData, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subCount, 3u);
  EXPECT_EQ(longestKey, 5u);
  EXPECT_EQ(valueCount, 4u);
  EXPECT_EQ(longestName, 10u);  // CSV_NFILES
  EXPECT_EQ(longestData, 11u);  // "CSV_NFILES" and its NUL
}

TEST_F(RegistryTest, HiveFileIsReadableTextThatKeepsEveryByte) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
    const char* line;  // how it reads in the file
  };
  const Case cases[] = {
      {"Build", REG_SZ, std::string("ZDE_0123", 9), "\"Build\"=\"ZDE_0123\""},
      {"Path", REG_SZ, std::string("C:\\Tolvar\\\"x\"", 14), "\"Path\"=\"C:\\\\Tolvar\\\\\\\"x\\\"\""},
      {"Name", REG_SZ, std::string("Gr\xc3\xbc\xc3\x9f" "e", 8), "\"Name\"=\"Gr\xc3\xbc\xc3\x9f" "e\""},
      {"Lines", REG_SZ, std::string("a\r\nb", 5), "\"Lines\"=\"a\\x0d\\x0ab\""},
      {"Latin1", REG_SZ, std::string("caf\xe9", 5), "\"Latin1\"=\"caf\\xe9\""},
      {"NoNul", REG_SZ, "Selka", "\"NoNul\"=hex(1):53,65,6c,6b,61"},
      {"TwoNuls", REG_SZ, std::string("a\0b", 4), "\"TwoNuls\"=hex(1):61,00,62,00"},
      {"ATTimeOut", REG_DWORD, std::string("\xb8\x0b\0\0", 4), "\"ATTimeOut\"=dword:00000bb8"},
      {"Odd", REG_DWORD, std::string("\1\2", 2), "\"Odd\"=hex(4):01,02"},
      {"Blob", REG_BINARY, std::string("\0\xff", 2), "\"Blob\"=hex:00,ff"},
      {"Empty", REG_BINARY, "", "\"Empty\"=hex:"},
      {"Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5), "\"Multi\"=hex(7):61,00,62,00,00"},
      {"Say \"hi\"\\", REG_SZ, std::string("", 1), "\"Say \\\"hi\\\"\\\\\"=\"\""},
      {"", REG_SZ, std::string("default", 8), "@=\"default\""},
      {"Long", REG_BINARY, std::string(100, '\x5a'), nullptr},
  };
  {
    Key key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", key), ERROR_SUCCESS);
    for (const Case& c : cases)
      ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type,
                               reinterpret_cast<const BYTE*>(c.data.data()),
                               static_cast<DWORD>(c.data.size())),
                ERROR_SUCCESS);
  }
  std::string hive = home.File("user.reg");
  std::string text = ReadFile(hive);
  EXPECT_TRUE(text.starts_with("TOLVAR REGISTRY 1\n")) << text;
  EXPECT_NE(text.find("\n[HKEY_CURRENT_USER\\Software\\Halvane\\Tolvar\\Settings]\n"),
            std::string::npos)
      << text;
  for (const Case& c : cases) {
    if (!c.line) continue;
    EXPECT_NE(text.find(std::string("\n") + c.line + "\n"), std::string::npos) << c.line;
  }
  EXPECT_NE(text.find(",\\\n  5a,"), std::string::npos) << "long data wraps\n" << text;

  ReplaceFile(hive, text);  // force a fresh parse of the file
  Key key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  for (const Case& c : cases) {
    Stored stored = Query(key, c.name);
    EXPECT_EQ(stored.status, ERROR_SUCCESS) << c.name;
    EXPECT_EQ(stored.type, c.type) << c.name;
    EXPECT_EQ(std::string(stored.data.begin(), stored.data.end()), c.data) << c.name;
  }
}

TEST_F(RegistryTest, HandEditedHiveIsRead) {
  // A byte-order mark, comments, CRLF line ends, a repeated header, continued hex data, root values.
  std::filesystem::copy_file(TOLVAR_REGISTRY_TEST_DATA "/hand-edited.reg", home.File("user.reg"));
  Key key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"Build", "Phone", "LC", "Blob", ""}));
  Stored lc = Query(key, "LC");
  EXPECT_EQ(lc.type, REG_DWORD);
  EXPECT_EQ(lc.data, std::vector<BYTE>({7, 0, 0, 0}));
  EXPECT_EQ(Query(key, "Blob").data, std::vector<BYTE>({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Query(key, nullptr).data, std::vector<BYTE>({'d', 0}));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, "AtRoot").data, std::vector<BYTE>({'r', 0}));
  Key linkwell;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Linkwell", 0, KEY_READ,
                          &linkwell),
            ERROR_SUCCESS);
}

TEST_F(RegistryTest, CorruptHiveIsKeptAsideWithAClearMessageAndANewHiveStarts) {
  const std::string header = "TOLVAR REGISTRY 1\n[HKEY_CURRENT_USER\\Software]\n";
  const std::string cases[] = {
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n",       // no signature
      header + "\"Build\"=\"ZDE_0123\n",                   // unterminated text
      header + "\"Blob\"=hex:01,0g\n",                      // bad hex
      header + "\"Blob\"=hex:01,02,\\\n",                   // continued past the end
      header + "\"LC\"=dword:123456789\n",                 // dword too long
      header + "\"LC\"=number:7\n",                        // unknown form
      header + "\"A\"=\"1\"\n\"a\"=\"2\"\n",               // one value twice
      header + "[HKEY_LOCAL_MACHINE\\Software]\n",         // another hive's key
      header + "[HKEY_CURRENT_USER\\Software\\\\Gap]\n",   // empty key name
      "TOLVAR REGISTRY 1\n\"Orphan\"=\"x\"\n",             // value before any key
      "TOLVAR REGISTRY 1\n\"Bad\\q\"=\"x\"\n",             // unknown escape
      std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10),  // not text at all
  };
  for (const std::string& content : cases) {
    SCOPED_TRACE(content);
    std::string hive = home.File("user.reg");
    WriteFile(hive, content);

    ::testing::internal::CaptureStderr();
    Key key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
    std::string message = ::testing::internal::GetCapturedStderr();

    auto kept = FilesStartingWith(home.Path(), "user.reg.corrupt-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadFile(kept[0]), content);
    EXPECT_NE(message.find(hive), std::string::npos) << message;
    EXPECT_NE(message.find(kept[0]), std::string::npos) << message;
    EXPECT_NE(message.find("line "), std::string::npos) << message;

    // The suite goes on with an empty hive; the kept file is left alone.
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    Key settings;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, kSettings, settings), ERROR_SUCCESS);
    ASSERT_EQ(SetText(settings, "Build", "ZDE_0123"), ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(kept[0]), content);
    EXPECT_NE(ReadFile(hive).find("\"Build\"=\"ZDE_0123\""), std::string::npos);
    std::filesystem::remove(kept[0]);
  }
}

TEST_F(RegistryTest, WriteOnACorruptHiveFailsAndLosesNothing) {
  std::string hive = home.File("user.reg");
  const std::string content = "TOLVAR REGISTRY 1\n[HKEY_CURRENT_USER\\Software]\n\"x\"=hex:zz\n";
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software", key), ERROR_SUCCESS);
  WriteFile(hive, content);  // damaged after the handle was opened

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(SetText(key, "Build", "ZDE_0123"), ERROR_REGISTRY_CORRUPT);
  ::testing::internal::GetCapturedStderr();
  auto kept = FilesStartingWith(home.Path(), "user.reg.corrupt-");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadFile(kept[0]), content);
  EXPECT_EQ(SetText(key, "Build", "ZDE_0123"), ERROR_KEY_DELETED);  // its key went with the file
}

TEST_F(RegistryTest, EmptyOrMissingHiveFileIsAnEmptyHive) {
  Key key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  WriteFile(home.File("user.reg"), "");
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(FilesStartingWith(home.Path(), "user.reg.corrupt-").empty());
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software", key), ERROR_SUCCESS);
}
