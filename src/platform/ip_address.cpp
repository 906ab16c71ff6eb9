#include "platform/ip_address.h"

#include <cstdio>

namespace varnholt {

uint32_t IpFromText(std::string_view text) {
  uint32_t value = 0;
  for (int piece = 0; piece < 4; ++piece) {
    uint32_t number = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
      // Saturate instead of wrapping, so "300" cannot spill into the neighbouring byte.
      number = number * 10 + static_cast<uint32_t>(text.front() - '0');
      if (number > 255) number = 255;
      text.remove_prefix(1);
    }
    value = (value << 8) | number;
    size_t dot = text.find('.');
    text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  }
  return value;
}

std::string IpToText(uint32_t address) {
  char buf[16];
  snprintf(buf, sizeof buf, "%i.%i.%i.%i", static_cast<int>(address >> 24),
           static_cast<int>((address >> 16) & 0xFF), static_cast<int>((address >> 8) & 0xFF),
           static_cast<int>(address & 0xFF));
  return buf;
}

}  // namespace varnholt
