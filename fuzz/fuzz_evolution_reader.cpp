// Feeds arbitrary bytes to the evolution game-mode file reader, in the same blocks in which
// the file is read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "maps/evolution_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  const varnholt::EvolutionData result = varnholt::ParseEvolutionText(xml);
  for (const auto& level : result.levels) {
    if (!result.NamesLevel(level)) __builtin_trap();
  }
  if (result.parse_failed && result.error_text.empty()) __builtin_trap();
  return 0;
}
