#include "remote/account_fields.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "remote/random_text.h"
#include "remote/user_key.h"

namespace varnholt {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool EncipherField(std::string_view text, uint8_t* field, size_t size) {
  if (size == 0) return true;
  // Filler first, so the bytes after the zero give away nothing about the text's length.
  if (!FillRandomText(field, size)) return false;
  const size_t length = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), length);
  field[length] = 0;
  CipherUserField({field, size});
  return true;
}

bool EncipherFieldHex(std::string_view text, size_t size, std::string* hex) {
  std::array<uint8_t, kMaxFieldSize> field{};
  size = std::min(size, field.size());
  if (!EncipherField(text, field.data(), size)) return false;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  hex->clear();
  hex->reserve(2 * size);
  for (size_t i = 0; i < size; ++i) {
    hex->push_back(kDigits[field[i] >> 4]);
    hex->push_back(kDigits[field[i] & 0xF]);
  }
  return true;
}

std::string FieldText(const uint8_t* field, size_t size) {
  if (size == 0) return {};
  const auto* end = static_cast<const uint8_t*>(std::memchr(field, 0, size - 1));
  const size_t length = end ? static_cast<size_t>(end - field) : size - 1;
  return std::string(reinterpret_cast<const char*>(field), length);
}

std::string DecipherField(const uint8_t* field, size_t size) {
  std::array<uint8_t, kMaxFieldSize> copy{};
  size = std::min(size, copy.size());
  std::memcpy(copy.data(), field, size);
  CipherUserField({copy.data(), size});
  return FieldText(copy.data(), size);
}

bool DecodeHex(std::string_view hex, uint8_t* out, size_t size) {
  if (hex.size() != 2 * size) return false;
  for (size_t i = 0; i < size; ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    out[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

std::optional<std::string> DecipherFieldHex(std::string_view hex, size_t size) {
  std::array<uint8_t, kMaxFieldSize> field{};
  if (size > field.size() || !DecodeHex(hex, field.data(), size)) return std::nullopt;
  CipherUserField({field.data(), size});
  return FieldText(field.data(), size);
}

}  // namespace varnholt
