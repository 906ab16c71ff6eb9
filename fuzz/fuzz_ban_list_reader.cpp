// Feeds arbitrary ServerBanList.con texts to the reader. Every record read must fit its
// widths, and writing it and reading it back must give the same record (the writer keeps
// every line readable).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bans/ban_file_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnholt;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const BanRecord& r : ParseBanListText(text)) {
    if (r.player.size() >= kBanPlayerWidth || r.address.size() >= kBanAddressWidth ||
        r.keyhash.size() >= kBanKeyhashWidth || r.guid.size() >= kBanGuidWidth ||
        r.admin.size() >= kBanAdminWidth || r.reason.size() >= kBanReasonWidth) {
      __builtin_trap();
    }
    BanRecord back;
    if (!ParseBanLine(FormatBanLine(r), &back)) __builtin_trap();
    // Writing replaces quotes and commas, so the texts may differ only there; the times and
    // the emptiness of every field must survive.
    if (back.bantime != r.bantime || back.expires != r.expires ||
        back.address.empty() != r.address.empty() || back.keyhash.empty() != r.keyhash.empty() ||
        back.guid.empty() != r.guid.empty()) {
      __builtin_trap();
    }
  }
  return 0;
}
