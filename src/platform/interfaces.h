// The machine's active IPv4 interface addresses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnholt {

constexpr size_t kMaxInterfaces = 64;

// One IPv4 address as the system reports it.
struct InterfaceEntry {
  uint32_t address = 0;  // host order
  bool up = false;
  bool loopback = false;
};

// The addresses a server can be offered to players on: interfaces that are up, without the
// loopback ones, at most kMaxInterfaces; `reported` receives how many qualified. Loopback is
// left out so that a default or reset server address is one players can reach; a machine
// that has nothing but loopback still gets its loopback address.
void SelectInterfaceAddresses(const std::vector<InterfaceEntry>& entries,
                              std::vector<uint32_t>* addresses, size_t* reported);

// SelectInterfaceAddresses over the system's interfaces. Fails with the last error set.
bool DetectInterfaceAddresses(std::vector<uint32_t>* addresses, size_t* reported);

}  // namespace varnholt
