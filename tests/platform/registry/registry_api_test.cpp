// The registry calls' semantics, against a real store in a temporary folder.
#include <array>
#include <cstring>
#include <string>

#include "platform/registry/hive.h"
#include "platform/registry/hive_changes.h"
#include "tests/platform/registry/registry_test_support.h"

namespace qvtouch::platform::test {
namespace {

constexpr const char* kParameters = R"(System\CurrentControlSet\Services\QVTouch\Parameters)";

using RegistryApi = RegistryTest;

TEST_F(RegistryApi, MissingKeysAndValuesAreReportedMissingAndReadingCreatesNoFile) {
  HKEY key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "Port", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  char name[16];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(HKEY_LOCAL_MACHINE, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  EXPECT_FALSE(std::filesystem::exists(HiveFile(Hive::LocalMachine)));
  EXPECT_FALSE(std::filesystem::exists(HiveFile(Hive::CurrentUser)));

  key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  EXPECT_EQ(RegQueryValueExA(key, "Port", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Port"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryApi, EachHiveIsItsOwnFileUnderTheRoot) {
  HKEY machine = CreateKey(HKEY_LOCAL_MACHINE, "Software");
  HKEY user = CreateKey(HKEY_CURRENT_USER, R"(Control Panel\Mouse)");
  SetDword(machine, "Where", 1);
  EXPECT_EQ(HiveFile(Hive::LocalMachine), Root() / "var/lib/qvtouch/hive/machine.db");
  EXPECT_EQ(ReadersHiveFile(Hive::LocalMachine), Root() / "var/lib/qvtouch/machine.db");
  EXPECT_EQ(HiveFile(Hive::CurrentUser), Root() / "home/.local/share/qvtouch/user.db");
  EXPECT_EQ(ReadersHiveFile(Hive::CurrentUser), HiveFile(Hive::CurrentUser));
  EXPECT_TRUE(std::filesystem::exists(HiveFile(Hive::LocalMachine)));
  EXPECT_TRUE(std::filesystem::exists(ReadersHiveFile(Hive::LocalMachine)));
  EXPECT_TRUE(std::filesystem::exists(HiveFile(Hive::CurrentUser)));
  // Only the machine hive's owner may enter its folder.
  EXPECT_EQ(std::filesystem::status(HiveFile(Hive::LocalMachine).parent_path()).permissions(),
            std::filesystem::perms::owner_all);
  EXPECT_EQ(QueryDword(user, "Where"), std::nullopt);
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &other),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(machine);
  RegCloseKey(user);
}

TEST_F(RegistryApi, CreateMakesEveryMissingKeyAndSaysWhetherItDid) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, R"(System\CurrentControlSet)", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Volatile", 0, nullptr, 1, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, DwordsBinariesAndStringsComeBackWithTheirTypesAndSizes) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  SetDword(key, "XL", static_cast<DWORD>(-4000));
  const std::array<BYTE, 3> bytes{1, 0, 0xFF};
  ASSERT_EQ(RegSetValueExA(key, "Raw", 0, REG_BINARY, bytes.data(), bytes.size()), ERROR_SUCCESS);
  // Counted with or without its terminating zero, a string is kept with one.
  ASSERT_EQ(RegSetValueExA(key, "Counted", 0, REG_SZ, reinterpret_cast<const BYTE*>("900"), 4),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Uncounted", 0, REG_SZ, reinterpret_cast<const BYTE*>("900"), 3),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Cut", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("9\0"
                                                         "00"),
                           5),
            ERROR_SUCCESS);

  EXPECT_EQ(QueryDword(key, "XL"), static_cast<DWORD>(-4000));
  std::array<BYTE, 8> buffer{};
  DWORD type = 0;
  DWORD size = buffer.size();
  ASSERT_EQ(RegQueryValueExA(key, "Raw", nullptr, &type, buffer.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::memcmp(buffer.data(), bytes.data(), 3), 0);
  for (const char* name : {"Counted", "Uncounted"}) {
    size = buffer.size();
    ASSERT_EQ(RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u) << name;
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data()), "900");
  }
  size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "Cut", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  RegCloseKey(key);
}

TEST_F(RegistryApi, ABufferTooSmallGetsMoreDataAndTheSizeAndStaysAsItWas) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, R"(Control Panel\Mouse)");
  SetString(key, "DoubleClickSpeed", "500");
  char buffer[8] = "xyz";
  DWORD size = 3;  // room for the text but not its terminating zero
  EXPECT_EQ(RegQueryValueExA(key, "DoubleClickSpeed", nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(buffer, "xyz");
  size = 0;  // no buffer: only the size
  EXPECT_EQ(RegQueryValueExA(key, "DoubleClickSpeed", nullptr, nullptr, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(RegQueryValueExA(key, "DoubleClickSpeed", nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(buffer), nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryApi, OnlyTheThreeTypesAndFourByteDwordsAreStored) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  const DWORD value = 1;
  const auto* data = reinterpret_cast<const BYTE*>(&value);
  EXPECT_EQ(RegSetValueExA(key, "Short", 0, REG_DWORD, data, 2), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "Multi", 0, 7, data, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "NoData", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, std::string(16384, 'n').c_str(), 0, REG_DWORD, data, 4),
            ERROR_INVALID_PARAMETER);
  DWORD count = 1;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(count, 0u);
  RegCloseKey(key);
}

TEST_F(RegistryApi, NamesMatchWithoutRegardToCaseAndKeepTheirCase) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, R"(Software\QVTouch)");
  SetDword(key, "Port", 1);
  SetDword(key, "Beep", 2);
  SetDword(key, "PORT", 3);  // replaces Port, which keeps its name and its place
  RegCloseKey(key);

  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, R"(SOFTWARE\qvtouch\)", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(key, "port"), 3u);
  char name[8];
  DWORD length = sizeof name;
  ASSERT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "Port");
  RegCloseKey(key);
  HKEY software = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software", 0, KEY_READ, &software), ERROR_SUCCESS);
  length = sizeof name;
  ASSERT_EQ(RegEnumKeyExA(software, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "QVTouch");
  RegCloseKey(software);
}

TEST_F(RegistryApi, EnumerationGivesSubkeysInNameOrderAndValuesInCreationOrder) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, "Software");
  for (const char* subkey : {"b", "A", "Ccc"}) RegCloseKey(CreateKey(key, subkey));
  for (const char* value : {"Zeta", "Alpha", ""}) SetString(key, value, "text");

  std::vector<std::string> names;
  char name[4];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    const LSTATUS status = RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(length, std::strlen(name));
    names.emplace_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "Ccc"}));
  names.clear();
  for (DWORD i = 0;; ++i) {
    char valueName[8];
    DWORD length = sizeof valueName;
    DWORD type = 0;
    DWORD size = 0;
    const LSTATUS status =
        RegEnumValueA(key, i, valueName, &length, nullptr, &type, nullptr, &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 5u);
    names.emplace_back(valueName);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "Alpha", ""}));

  DWORD length = 3;  // "Ccc" needs 4 with its terminating zero
  EXPECT_EQ(RegEnumKeyExA(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  DWORD subkeys = 0;
  DWORD longestSubkey = 0;
  DWORD values = 0;
  DWORD longestName = 0;
  DWORD largestData = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr,
                             &values, &longestName, &largestData, nullptr, nullptr),
            ERROR_SUCCESS);
  const std::array<DWORD, 5> info{subkeys, longestSubkey, values, longestName, largestData};
  EXPECT_EQ(info, (std::array<DWORD, 5>{3, 3, 3, 5, 5}));
  RegCloseKey(key);
}

TEST_F(RegistryApi, DeletingKeysAndWhatHandlesToThemSeeAfterwards) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, R"(Software\QVTouch)");
  RegCloseKey(CreateKey(key, R"(Deep\Deeper)"));
  SetDword(key, "Port", 1);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, R"(Software\QVTouch)"), ERROR_ACCESS_DENIED)
      << "a key with subkeys stays";
  EXPECT_EQ(RegDeleteKeyA(key, R"(Deep\Deeper)"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key, "Deep"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key, "Deep"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Port"), ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(key, "Port"), std::nullopt);

  RegCloseKey(CreateKey(key, R"(Deep\Deeper)"));
  EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, R"(Software\QVTouch)"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Port", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, R"(Software\QVTouch)"));
  EXPECT_EQ(RegSetValueExA(key, "Port", 0, REG_BINARY, nullptr, 0), ERROR_KEY_DELETED)
      << "a key of the same name is another key";
  RegCloseKey(key);

  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED) << "the root stays";
  key = CreateKey(HKEY_LOCAL_MACHINE, "Software");
  SetDword(key, "Port", 1);
  EXPECT_EQ(RegDeleteTreeA(key, nullptr), ERROR_SUCCESS);  // what is under the key, not the key
  DWORD subkeys = 1;
  DWORD values = 1;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys + values, 0u);
  RegCloseKey(key);
}

TEST_F(RegistryApi, AHandleAllowsOnlyTheRightsItWasOpenedWith) {
  RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, kParameters));
  HKEY reader = nullptr;
  HKEY writer = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, KEY_QUERY_VALUE, &reader),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, KEY_SET_VALUE, &writer),
            ERROR_SUCCESS);
  const DWORD value = 5;
  const auto* data = reinterpret_cast<const BYTE*>(&value);
  EXPECT_EQ(RegSetValueExA(reader, "Port", 0, REG_DWORD, data, 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(writer, "Port", 0, REG_DWORD, data, 4), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(writer, "Port", nullptr, nullptr, nullptr, &size),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(QueryDword(reader, "Port"), 5u);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExA(reader, "New", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                            &child, nullptr),
            ERROR_ACCESS_DENIED);
  char name[8];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(reader, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_ACCESS_DENIED);

  EXPECT_EQ(RegCloseKey(reader), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(reader), ERROR_INVALID_HANDLE);
  EXPECT_EQ(QueryDword(reader, "Port"), std::nullopt);
  EXPECT_EQ(RegQueryValueExA(reader, "Port", nullptr, nullptr, nullptr, &size),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(writer), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryApi, MalformedPathsAreInvalidParameters) {
  HKEY key = nullptr;
  const std::vector<std::string> paths{R"(Software\\QVTouch)", R"(\Software)", R"(Software\\)",
                                       "Software\\" + std::string(256, 'k')};
  for (const std::string& path : paths) {
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER)
        << path;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key),
              ERROR_INVALID_PARAMETER)
        << path;
  }
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, nullptr),
            ERROR_INVALID_PARAMETER);
}

// A name holding a line break, a zero byte or another control character is refused where a key or
// a value would be made: listed, it could pass for other values, or other lines altogether.
TEST_F(RegistryApi, NamesWithControlCharactersAreNeverMade) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, "Software");
  const DWORD one = 1;
  for (const char* name : {"line\nbreak", "carriage\rreturn", "tab\there", "\x1b[2Jclear"}) {
    EXPECT_EQ(
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one),
        ERROR_INVALID_PARAMETER)
        << name;
  }
  HKEY made = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, "line\nbreak", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &made, nullptr),
            ERROR_INVALID_PARAMETER);
  // As an import and the registry service make changes: by name, where a zero byte fits too.
  const std::string zero("zero\0byte", 9);
  const std::array<HiveChange, 3> changes{
      HiveChange::SetValue("Software", zero, REG_DWORD, {1, 0, 0, 0}),
      HiveChange::SetValue("Software", "line\nbreak", REG_DWORD, {1, 0, 0, 0}),
      HiveChange::CreateKey("Software\\" + zero)};
  for (std::size_t i = 0; i < changes.size(); ++i) {
    EXPECT_EQ(ChangeHive(Hive::LocalMachine, std::span(&changes[i], 1)),
              (ChangeResult{ERROR_INVALID_PARAMETER, 0}))
        << i;
  }
  DWORD subkeys = 0;
  DWORD values = 0;
  EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 0u);
  RegCloseKey(key);
}

TEST_F(RegistryApi, TheDefaultValueIsTheEmptyName) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "Software");
  SetString(key, nullptr, "default");
  char text[16];
  DWORD size = sizeof text;
  ASSERT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "default");
  EXPECT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace
}  // namespace qvtouch::platform::test
