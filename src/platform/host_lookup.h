// Host names to IPv4 addresses, for programs that connect to a host the user names.
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

// A dotted address or a name the resolver knows, as a host-order IPv4 address. False with
// 11001 (host not found) when it names no IPv4 host.
bool LookUpHostIPv4(const std::string& host, uint32_t* address);

}  // namespace varnholt
