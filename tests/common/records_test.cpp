#include <gtest/gtest.h>

#include "common/controller_commands.h"
#include "common/records.h"
#include "common/request_codes.h"
#include "common/status.h"
#include "common/text_numbers.h"
#include "common/touch_report.h"

namespace qvtouch {
namespace {

TEST(CalibrationBlock, EncodesSeventeenLittleEndianFieldsInOrder) {
  CalibrationBlock block{2048, 2000, -3800, 3600, 90, 4096, 0, 4096, 0, {1, 2, 3, 4, 5, 6, 7, -8}};
  const auto bytes = block.Encode();
  EXPECT_EQ(bytes[0], 0x00);  // Xc 2048 = 0x800
  EXPECT_EQ(bytes[1], 0x08);
  EXPECT_EQ(bytes[8], 0x28);  // XL -3800 = 0xFFFFF128
  EXPECT_EQ(bytes[9], 0xF1);
  EXPECT_EQ(bytes[11], 0xFF);
  EXPECT_EQ(bytes[16], 90);  // Orientation
  EXPECT_EQ(bytes[36], 1);   // the first extra field follows Svs
  EXPECT_EQ(bytes[64], 0xF8);
  EXPECT_EQ(CalibrationBlock::Decode(bytes), block);
}

TEST(BeepRecord, RoundTripsFiveUnsignedFields) {
  const BeepRecord record{1, 1500, 100, 4000, 750};
  const auto bytes = record.Encode();
  EXPECT_EQ(bytes[4], 0xDC);  // 1500 = 0x5DC
  EXPECT_EQ(bytes[5], 0x05);
  EXPECT_EQ(BeepRecord::Decode(bytes), record);
}

TEST(CommandRecord, PutsTheSendCountAtByteSixteen) {
  CommandRecord record;
  std::copy(kEnterAssistedMode.begin(), kEnterAssistedMode.end(), record.CommandBytes.begin());
  record.SendCount = 5;
  record.ReplyCount = 3;
  record.CallerWord1 = 0xE2D2;
  const auto bytes = record.Encode();
  EXPECT_EQ(bytes[0], kSOH);
  EXPECT_EQ(bytes[16], 5);
  EXPECT_EQ(bytes[20], 3);
  EXPECT_EQ(bytes[24], 0xD2);
  EXPECT_EQ(bytes[25], 0xE2);
  EXPECT_EQ(CommandRecord::Decode(bytes), record);
}

TEST(TouchReport, ChecksumCoversStatusCoordinatesAndExtraBytes) {
  const TouchReport report{0x82, 0x1234, 0xABCD, {0x10, 0x20}};
  const ReportBytes bytes = report.Encode();
  unsigned sum = 0xAA;
  for (std::size_t i = 0; i < 9; ++i) sum += bytes[i];
  EXPECT_EQ(bytes[9], sum % 256);
  EXPECT_EQ(bytes[3], 0x34);
  EXPECT_EQ(bytes[6], 0xAB);
}

TEST(RequestCodes, NamesEveryCodeOnce) {
  const auto requests = TouchRequests();
  for (std::size_t i = 1; i < requests.size(); ++i) EXPECT_LT(requests[i - 1].Code, requests[i].Code);
  EXPECT_EQ(TouchRequestByName("IOCTL_TOUCH_PASS_THROUGH"), 0x000F2688u);
  EXPECT_EQ(TouchRequestByName("IOCTL_TOUCH_NOTHING"), std::nullopt);
}

TEST(Status, SuccessClassAndNames) {
  EXPECT_TRUE(NT_SUCCESS(STATUS_TIMEOUT));
  EXPECT_FALSE(NT_SUCCESS(STATUS_DEVICE_BUSY));
  EXPECT_FALSE(NT_SUCCESS(STATUS_BUFFER_TOO_SMALL));
  EXPECT_EQ(StatusName(STATUS_BUFFER_TOO_SMALL), "STATUS_BUFFER_TOO_SMALL");
  EXPECT_EQ(StatusName(MakeStatus(0xC0001234)), "");
}

TEST(ControllerCommands, SetParametersRepeatsEachValue) {
  const auto command = SetParametersCommand(0x0C00, 0x0102);
  const std::array<std::uint8_t, 12> expected{kSOH, 'S', 'P', 0x00, 0x0C, 0x00, 0x0C,
                                              0x02, 0x01, 0x02, 0x01, kCR};
  EXPECT_EQ(command, expected);
}

TEST(TextNumbers, DwordsInDecimalNegativeDecimalOrHex) {
  EXPECT_EQ(ParseDword("0"), 0u);
  EXPECT_EQ(ParseDword("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseDword("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseDword("-2147483648"), 0x80000000u);
  EXPECT_EQ(ParseDword("0x0105"), 0x105u);
  EXPECT_EQ(ParseDword("0XfFfFfFfF"), 0xFFFFFFFFu);
  for (std::string_view bad : {"", "-", "0x", "+1", " 1", "1 ", "1.5", "4294967296",
                               "-2147483649", "0x100000000", "0x-1", "-0x1", "abc"}) {
    EXPECT_EQ(ParseDword(bad), std::nullopt) << '"' << bad << '"';
  }
}

TEST(TextNumbers, HexBytesWithOrWithoutSeparators) {
  const std::vector<std::uint8_t> expected{0x01, 0x51, 0xAB};
  EXPECT_EQ(ParseHexBytes("0151ab"), expected);
  EXPECT_EQ(ParseHexBytes("01 51:AB"), expected);
  EXPECT_EQ(ParseHexBytes(""), std::vector<std::uint8_t>{});
  for (std::string_view bad : {"1", "015", "0g", "01 5", "+1"}) {
    EXPECT_EQ(ParseHexBytes(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace qvtouch
