// Feeds arbitrary lines to the player menu's line reader: submenu path, item, message,
// actions and shortcuts, and the console template filled in for a player whose name and
// keyhash are cut from the same input. A shortcut found in a line must be one of its
// bracketed pieces; a filled-in template must hold no line break the line did not have.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "autoadmin/menu_line.h"

namespace {

using namespace varnholt;

void CheckLine(std::string_view line) {
  const MenuLine m = ParseMenuLine(line);
  if (m.item.size() > line.size() || m.message.size() > line.size()) __builtin_trap();
  for (const std::string& name : m.path) {
    if (name.find('>') != std::string::npos) __builtin_trap();
  }
  if (m.cmd && (m.kick || m.ban)) __builtin_trap();
  if (m.seconds < 0) __builtin_trap();
  const size_t open = line.find('[');
  if (open != std::string_view::npos) {
    const size_t close = line.find(']', open);
    const std::string_view word = line.substr(
        open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
    if (!word.empty() && word.find('[') == std::string_view::npos && !LineHasShortcut(line, word)) {
      __builtin_trap();
    }
  }
  PlayerRecord player;
  player.id = static_cast<int>(line.size() % 65);
  player.name = std::string(line.substr(0, line.size() / 2));
  player.keyhash = std::string(line.substr(line.size() / 2));
  const std::string with = ExpandMenuTemplate(m.message, player.id, &player);
  const std::string without = ExpandMenuTemplate(m.message, player.id, nullptr);
  if (without.find('\n') != std::string::npos && m.message.find('\n') == std::string::npos) {
    __builtin_trap();
  }
  (void)with;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    CheckLine(text.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
