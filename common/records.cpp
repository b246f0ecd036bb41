#include "common/records.h"

#include <algorithm>

#include "common/little_endian.h"

namespace qvtouch {

namespace {

// The mapping fields in block order; the eight extra values follow them.
constexpr std::array<std::int32_t CalibrationBlock::*, 9> kMappingFields{
    &CalibrationBlock::Xc,  &CalibrationBlock::Yc,  &CalibrationBlock::XL,
    &CalibrationBlock::YL,  &CalibrationBlock::Orientation, &CalibrationBlock::Shp,
    &CalibrationBlock::Shs, &CalibrationBlock::Svp, &CalibrationBlock::Svs};
constexpr std::size_t kExtraOffset = 4 * kMappingFields.size();

}  // namespace

std::array<std::uint8_t, CalibrationBlock::kSize> CalibrationBlock::Encode() const {
  std::array<std::uint8_t, kSize> bytes{};
  for (std::size_t i = 0; i < kMappingFields.size(); ++i) StoreS32(bytes, 4 * i, this->*kMappingFields[i]);
  for (std::size_t i = 0; i < CalibrationExtra.size(); ++i) {
    StoreS32(bytes, kExtraOffset + 4 * i, CalibrationExtra[i]);
  }
  return bytes;
}

CalibrationBlock CalibrationBlock::Decode(std::span<const std::uint8_t, kSize> bytes) {
  CalibrationBlock block;
  for (std::size_t i = 0; i < kMappingFields.size(); ++i) block.*kMappingFields[i] = LoadS32(bytes, 4 * i);
  for (std::size_t i = 0; i < block.CalibrationExtra.size(); ++i) {
    block.CalibrationExtra[i] = LoadS32(bytes, kExtraOffset + 4 * i);
  }
  return block;
}

std::array<std::uint8_t, BeepRecord::kSize> BeepRecord::Encode() const {
  std::array<std::uint8_t, kSize> bytes{};
  StoreU32(bytes, 0, BeepMode);
  StoreU32(bytes, 4, BeepFreq1);
  StoreU32(bytes, 8, BeepTime);
  StoreU32(bytes, 12, BeepFreq2);
  StoreU32(bytes, 16, BeepTime2);
  return bytes;
}

BeepRecord BeepRecord::Decode(std::span<const std::uint8_t, kSize> bytes) {
  return {LoadU32(bytes, 0), LoadU32(bytes, 4), LoadU32(bytes, 8), LoadU32(bytes, 12),
          LoadU32(bytes, 16)};
}

std::array<std::uint8_t, CommandRecord::kSize> CommandRecord::Encode() const {
  std::array<std::uint8_t, kSize> bytes{};
  std::copy(CommandBytes.begin(), CommandBytes.end(), bytes.begin());
  StoreU32(bytes, kCommandSendCountOffset, SendCount);
  StoreU32(bytes, 20, ReplyCount);
  StoreU32(bytes, 24, CallerWord1);
  StoreU32(bytes, 28, CallerWord2);
  return bytes;
}

CommandRecord CommandRecord::Decode(std::span<const std::uint8_t, kSize> bytes) {
  CommandRecord record;
  std::copy_n(bytes.begin(), kMaxCommandBytes, record.CommandBytes.begin());
  record.SendCount = LoadU32(bytes, kCommandSendCountOffset);
  record.ReplyCount = LoadU32(bytes, 20);
  record.CallerWord1 = LoadU32(bytes, 24);
  record.CallerWord2 = LoadU32(bytes, 28);
  return record;
}

}  // namespace qvtouch
