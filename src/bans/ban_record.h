// One ban as the program records it: who, on which identities, by whom, when, until when
// and why. Widths are the stored sizes including a terminating zero, so one character less
// is kept; longer texts are cut, never refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnholt {

constexpr size_t kBanPlayerWidth = 32;
constexpr size_t kBanAddressWidth = 16;
constexpr size_t kBanKeyhashWidth = 33;
constexpr size_t kBanGuidWidth = 33;
constexpr size_t kBanAdminWidth = 32;
constexpr size_t kBanReasonWidth = 63;

struct BanRecord {
  std::string player;   // "[unknown]" when banned without a name
  std::string address;  // dotted IPv4, or empty when the address is not banned
  std::string keyhash;  // 32 hexadecimal digits, or empty
  std::string guid;     // PunkBuster GUID, 32 hexadecimal digits, or empty
  std::string admin;
  int64_t bantime = 0;  // calendar seconds; 0 = not recorded
  int64_t expires = 0;  // calendar seconds; 0 = permanent
  std::string reason;

  bool operator==(const BanRecord&) const = default;
  bool HasIdentity() const { return !address.empty() || !keyhash.empty() || !guid.empty(); }
  // A ban that still holds at `now`: permanent or not yet at its expiry second.
  bool LiveAt(int64_t now) const { return expires == 0 || expires > now; }
};

}  // namespace varnholt
