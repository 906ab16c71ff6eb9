#include <array>
#include <utility>

#include "remote/user_key.h"

namespace varnholt {

void Rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data) {
  std::array<uint8_t, 256> s{};
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i);
  if (!key.empty()) {
    uint8_t j = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      j = static_cast<uint8_t>(j + s[i] + key[i % key.size()]);
      std::swap(s[i], s[j]);
    }
  }
  uint8_t i = 0;
  uint8_t j = 0;
  for (uint8_t& byte : data) {
    i = static_cast<uint8_t>(i + 1);
    j = static_cast<uint8_t>(j + s[i]);
    std::swap(s[i], s[j]);
    byte ^= s[static_cast<uint8_t>(s[i] + s[j])];
  }
}

void CipherUserField(std::span<uint8_t> field) {
  Rc4Apply(kUserKey, field);
}

}  // namespace varnholt
