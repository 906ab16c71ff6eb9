// Ban durations as people write them: "90s", "45m", "12h", "7d", "2w" and sums of them
// ("1d12h"); a bare number counts seconds.
#pragma once

#include <cstdint>
#include <string_view>

namespace varnholt::varnlink {

// Longest ban the manager accepts: a hundred years.
constexpr int64_t kMaxDurationSeconds = int64_t{100} * 365 * 24 * 3600;

// False for an empty text, an unknown unit, a unit without a number, zero, or a total
// beyond kMaxDurationSeconds (checked piece by piece, so no sum can overflow).
bool ParseDuration(std::string_view text, int64_t* seconds);

}  // namespace varnholt::varnlink
