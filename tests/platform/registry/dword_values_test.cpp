// Reading the driver's settings: many REG_DWORD values of one key in one call.
#include "platform/registry/dword_values.h"

#include <array>

#include "tests/platform/registry/registry_test_support.h"

namespace qvtouch::platform::test {
namespace {

constexpr const char* kParameters = R"(System\CurrentControlSet\Services\QVTouch\Parameters)";

using DwordValues = RegistryTest;

TEST_F(DwordValues, FillOnlyTheDestinationsOfDwordsThatAreThere) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  SetDword(key, "Port", 3);
  SetDword(key, "XL", static_cast<DWORD>(-4000));
  SetString(key, "MouseMode", "2");  // not a REG_DWORD
  RegCloseKey(key);

  std::array<std::uint32_t, 4> values{1, 800, 0, 48};
  const std::array<DwordValueQuery, 4> queries{{{"port", &values[0]},
                                                {"XL", &values[1]},
                                                {"MouseMode", &values[2]},
                                                {"RBNDelay", &values[3]}}};
  EXPECT_EQ(QueryDwordValues(HKEY_LOCAL_MACHINE, kParameters, queries), ERROR_SUCCESS);
  EXPECT_EQ(values, (std::array<std::uint32_t, 4>{3, static_cast<std::uint32_t>(-4000), 0, 48}));
}

TEST_F(DwordValues, AMissingKeyIsReportedApartAndTouchesNothing) {
  std::uint32_t port = 1;
  const std::array<DwordValueQuery, 1> queries{{{"Port", &port}}};
  EXPECT_EQ(QueryDwordValues(HKEY_LOCAL_MACHINE, kParameters, queries), ERROR_FILE_NOT_FOUND);
  RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, R"(System\CurrentControlSet)"));
  EXPECT_EQ(QueryDwordValues(HKEY_LOCAL_MACHINE, kParameters, queries), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(port, 1u);
}

TEST_F(DwordValues, ReadThroughAnOpenKeyWithItsRights) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  SetDword(key, "Port", 2);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  std::uint32_t port = 1;
  const std::array<DwordValueQuery, 1> queries{{{"Port", &port}}};
  EXPECT_EQ(QueryDwordValues(key, "", queries), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(QueryDwordValues(key, "", queries), ERROR_SUCCESS);
  EXPECT_EQ(port, 2u);
  RegCloseKey(key);
}

}  // namespace
}  // namespace qvtouch::platform::test
