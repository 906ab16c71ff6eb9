// Error codes as text: "text (code)" for system and socket codes, the program's own texts
// for 30001-30018. The result lives in a per-thread buffer that the next call overwrites.
#pragma once

#include <cstdint>
#include <string_view>

namespace varnholt {

const char* ErrorText(uint32_t code);

// True when the text is exactly 32 hexadecimal digits; otherwise sets the last error to
// 30017 (wrong length, tested first) or 30018 (a non-hexadecimal character).
bool IsValidKeyhash(std::string_view text);

}  // namespace varnholt
