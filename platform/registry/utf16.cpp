#include "platform/registry/utf16.h"

namespace qvtouch::platform {
namespace {

constexpr char32_t kHighSurrogates = 0xD800;
constexpr char32_t kLowSurrogates = 0xDC00;
constexpr char32_t kSurrogatesEnd = 0xE000;
constexpr char32_t kSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t c) {
  return c >= kHighSurrogates && c < kSurrogatesEnd;
}

void AppendUtf8(std::string& out, char32_t c) {
  const auto put = [&out](unsigned bits) { out.push_back(static_cast<char>(bits)); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < kSupplementary) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

void AppendUtf16Le(std::vector<std::uint8_t>& out, char32_t c) {
  const auto unit = [&out](char32_t u) {
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  if (c < kSupplementary) {
    unit(c);
  } else {
    unit(kHighSurrogates + ((c - kSupplementary) >> 10));
    unit(kLowSurrogates + ((c - kSupplementary) & 0x3FF));
  }
}

// The code point starting text, and its length in bytes; nullopt unless it is well formed.
std::optional<std::pair<char32_t, std::size_t>> DecodeUtf8(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return std::pair(char32_t{lead}, std::size_t{1});
  // The sequence's length, and the least code point that needs that length.
  const auto [length, least] = lead >= 0xC2 && lead <= 0xDF   ? std::pair(2u, char32_t{0x80})
                               : lead >= 0xE0 && lead <= 0xEF ? std::pair(3u, char32_t{0x800})
                               : lead >= 0xF0 && lead <= 0xF4 ? std::pair(4u, kSupplementary)
                                                              : std::pair(0u, char32_t{0});
  if (length == 0) return std::nullopt;
  if (text.size() < length) return std::nullopt;
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < least || c > kLastCodePoint || IsSurrogate(c)) return std::nullopt;
  return std::pair(c, length);
}

}  // namespace

std::optional<std::string> Utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    char32_t c = bytes[i] | (char32_t{bytes[i + 1]} << 8);
    if (c >= kLowSurrogates && c < kSurrogatesEnd) return std::nullopt;
    if (c >= kHighSurrogates && c < kLowSurrogates) {
      if (i + 3 >= bytes.size()) return std::nullopt;
      const char32_t low = bytes[i + 2] | (char32_t{bytes[i + 3]} << 8);
      if (low < kLowSurrogates || low >= kSurrogatesEnd) return std::nullopt;
      c = kSupplementary + ((c - kHighSurrogates) << 10) + (low - kLowSurrogates);
      i += 2;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> Utf8ToUtf16Le(std::string_view text) {
  std::vector<std::uint8_t> out;
  while (!text.empty()) {
    const auto decoded = DecodeUtf8(text);
    if (!decoded) return std::nullopt;
    AppendUtf16Le(out, decoded->first);
    text.remove_prefix(decoded->second);
  }
  return out;
}

}  // namespace qvtouch::platform
