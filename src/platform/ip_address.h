// IPv4 addresses as 32-bit integers in host order, the first dotted number in the top byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varnholt {

// "a.b.c.d" -> a*2^24 + b*2^16 + c*2^8 + d. Each piece is read as a decimal number and
// kept to 0-255, missing pieces count as 0; no other validation.
uint32_t IpFromText(std::string_view text);
// "%i.%i.%i.%i".
std::string IpToText(uint32_t address);

constexpr uint32_t kLoopbackAddress = 0x7F000001;

}  // namespace varnholt
