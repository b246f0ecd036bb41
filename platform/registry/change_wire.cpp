#include "platform/registry/change_wire.h"

#include <limits>
#include <string>

#include "common/little_endian.h"

namespace qvtouch::platform {
namespace {

constexpr std::uint8_t kAbsentIsDone = 1;
constexpr std::uint8_t kKeyIdGiven = 2;
constexpr std::uint32_t kNoneRefused = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kResultSize = 8;

class Writer {
 public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U32(std::uint32_t value) {
    bytes_.resize(bytes_.size() + 4);
    StoreU32(bytes_, bytes_.size() - 4, value);
  }
  void I64(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    U32(static_cast<std::uint32_t>(bits));
    U32(static_cast<std::uint32_t>(bits >> 32));
  }
  void Bytes(std::span<const std::uint8_t> bytes) {
    U32(static_cast<std::uint32_t>(bytes.size()));
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  void Text(const std::string& text) {
    Bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads fields in order; once a field runs past the end, every later read fails too.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::optional<std::uint8_t> U8() {
    if (!Have(1)) return std::nullopt;
    return bytes_[offset_++];
  }
  std::optional<std::uint32_t> U32() {
    if (!Have(4)) return std::nullopt;
    const std::uint32_t value = LoadU32(bytes_, offset_);
    offset_ += 4;
    return value;
  }
  std::optional<std::int64_t> I64() {
    const auto low = U32();
    const auto high = U32();
    if (!low || !high) return std::nullopt;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(*high) << 32) | *low);
  }
  std::optional<std::span<const std::uint8_t>> Bytes() {
    const auto size = U32();
    if (!size || !Have(*size)) return std::nullopt;
    const auto bytes = bytes_.subspan(offset_, *size);
    offset_ += *size;
    return bytes;
  }
  std::optional<std::string> Text() {
    const auto bytes = Bytes();
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
  }
  bool AtEnd() const { return offset_ == bytes_.size(); }

 private:
  bool Have(std::size_t count) const { return bytes_.size() - offset_ >= count; }

  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

std::optional<HiveChange> DecodeChange(Reader& in) {
  using Action = HiveChange::Action;
  const auto action = in.U8();
  const auto flags = in.U8();
  if (!action || *action > static_cast<std::uint8_t>(Action::DeleteValue) || !flags ||
      (*flags & ~(kAbsentIsDone | kKeyIdGiven)) != 0) {
    return std::nullopt;
  }
  HiveChange change;
  change.What = static_cast<Action>(*action);
  change.AbsentIsDone = (*flags & kAbsentIsDone) != 0;
  if ((*flags & kKeyIdGiven) != 0) {
    change.KeyId = in.I64();
    if (!change.KeyId) return std::nullopt;
  }
  const auto type = in.U32();
  auto key = in.Text();
  auto value = in.Text();
  const auto data = in.Bytes();
  if (!type || !key || !value || !data) return std::nullopt;
  change.Type = *type;
  change.Key = std::move(*key);
  change.Value = std::move(*value);
  change.Data.assign(data->begin(), data->end());
  return change;
}

}  // namespace

std::vector<std::uint8_t> EncodeChanges(std::span<const HiveChange> changes) {
  Writer out;
  out.U32(static_cast<std::uint32_t>(changes.size()));
  for (const HiveChange& change : changes) {
    out.U8(static_cast<std::uint8_t>(change.What));
    out.U8(static_cast<std::uint8_t>((change.AbsentIsDone ? kAbsentIsDone : 0) |
                                     (change.KeyId ? kKeyIdGiven : 0)));
    if (change.KeyId) out.I64(*change.KeyId);
    out.U32(change.Type);
    out.Text(change.Key);
    out.Text(change.Value);
    out.Bytes(change.Data);
  }
  return out.Take();
}

std::optional<std::vector<HiveChange>> DecodeChanges(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxChangeMessage) return std::nullopt;
  Reader in(bytes);
  const auto count = in.U32();
  if (!count) return std::nullopt;
  std::vector<HiveChange> changes;
  for (std::uint32_t i = 0; i < *count; ++i) {
    auto change = DecodeChange(in);
    if (!change) return std::nullopt;  // a count larger than the changes there ends here too
    changes.push_back(std::move(*change));
  }
  if (!in.AtEnd()) return std::nullopt;
  return changes;
}

std::vector<std::uint8_t> EncodeResult(const ChangeResult& result) {
  Writer out;
  out.U32(static_cast<std::uint32_t>(result.Status));
  out.U32(result.Refused ? static_cast<std::uint32_t>(*result.Refused) : kNoneRefused);
  return out.Take();
}

std::optional<ChangeResult> DecodeResult(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kResultSize) return std::nullopt;
  ChangeResult result{static_cast<LSTATUS>(LoadU32(bytes, 0)), std::nullopt};
  if (const std::uint32_t refused = LoadU32(bytes, 4); refused != kNoneRefused) {
    result.Refused = refused;
  }
  return result;
}

}  // namespace qvtouch::platform
