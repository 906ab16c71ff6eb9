#include "remote/random_text.h"

#include <algorithm>
#include <array>

#include "platform/random_bytes.h"

namespace varnholt {
namespace {

constexpr unsigned kFirstChar = '0';
constexpr unsigned kAlphabetSize = 74;  // "0" to "y"
// Bytes at or above this are dropped so every character is equally likely.
constexpr unsigned kUnbiasedLimit = 256 - 256 % kAlphabetSize;

}  // namespace

bool FillRandomText(uint8_t* buffer, size_t size) {
  std::array<uint8_t, 64> pool{};
  size_t filled = 0;
  while (filled < size) {
    if (!GetRandomBytes(pool.data(), pool.size())) return false;
    for (uint8_t b : pool) {
      if (filled == size) break;
      if (b >= kUnbiasedLimit) continue;
      buffer[filled++] = static_cast<uint8_t>(kFirstChar + b % kAlphabetSize);
    }
  }
  return true;
}

bool RandomText(size_t n, std::string* text) {
  std::string out(std::min(n, kMaxRandomText), '\0');
  if (!FillRandomText(reinterpret_cast<uint8_t*>(out.data()), out.size())) return false;
  *text = std::move(out);
  return true;
}

}  // namespace varnholt
