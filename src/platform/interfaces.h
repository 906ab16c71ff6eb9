// The machine's active IPv4 interface addresses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnholt {

constexpr size_t kMaxInterfaces = 64;

// Fills `addresses` (host order) with the addresses of the interfaces that are up, at most
// kMaxInterfaces; `reported` receives how many the system has. Fails with the last error set.
bool DetectInterfaceAddresses(std::vector<uint32_t>* addresses, size_t* reported);

}  // namespace varnholt
