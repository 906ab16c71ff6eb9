#include "autoadmin/menu_line.h"

#include <cstdlib>

#include "platform/ascii_text.h"

namespace varnholt {
namespace {

// A name that may be quoted: a leading quote is dropped and the name ends at the next
// quote, or at one of `ends`.
std::string QuotedName(std::string_view text, std::string_view ends) {
  if (!text.empty() && text[0] == '"') text.remove_prefix(1);
  return std::string(text.substr(0, std::min(text.find('"'), text.find_first_of(ends))));
}

std::vector<std::string_view> SplitWords(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

}  // namespace

MenuLine ParseMenuLine(std::string_view line) {
  MenuLine m;
  if (line.substr(0, 2) == "//") {
    m.comment = true;
    return m;
  }
  const size_t bar = line.find('|');
  const std::string_view head = line.substr(0, bar);
  // Submenu names run up to each '>' before the actions.
  size_t start = 0;
  for (size_t gt = head.find('>'); gt != std::string_view::npos; gt = head.find('>', start)) {
    m.path.push_back(QuotedName(head.substr(start, gt - start), ">"));
    start = gt + 1;
  }
  m.item = QuotedName(line.substr(start), "|\r\n");
  const size_t open = line.find('"');
  if (open != std::string_view::npos) {
    const size_t close = line.find('"', open + 1);
    if (close != std::string_view::npos) m.message = line.substr(open + 1, close - open - 1);
  }
  if (bar != std::string_view::npos) {
    for (std::string_view word : SplitWords(line.substr(bar + 1), ", \r\n")) {
      if (EqualsNoCase(word, "kick")) {
        m.kick = true;
      } else if (EqualsNoCase(word, "ban")) {
        m.ban = true;
      } else if (EqualsNoCase(word, "cmd")) {
        m.cmd = true;
      } else if (EqualsNoCase(word, "global")) {
        m.global = true;
      } else if (word[0] != '[') {
        m.seconds = std::max<int64_t>(0, atoll(std::string(word).c_str()));
      }
    }
  }
  if (m.cmd) m.kick = m.ban = false;
  if (m.ban) m.kick = false;
  return m;
}

bool LineHasShortcut(std::string_view line, std::string_view word) {
  for (std::string_view piece : SplitWords(line, "[]")) {
    if (EqualsNoCase(piece, word)) return true;
  }
  return false;
}

std::string ExpandMenuTemplate(std::string_view text, int id, const PlayerRecord* player) {
  auto known = [](const std::string& value) { return value.empty() ? "[unknown]" : value; };
  std::string out;
  for (std::string_view word : SplitWords(text, " ")) {
    std::string piece(word);
    if (EqualsNoCase(word, "%afid")) {
      piece = std::to_string(player ? id : -1);
    } else if (EqualsNoCase(word, "%pbid")) {
      piece = std::to_string(player ? id + 1 : 0);
    } else if (EqualsNoCase(word, "%name")) {
      piece = player ? known(player->name) : "[unknown]";
    } else if (EqualsNoCase(word, "%keyhash")) {
      piece = player ? known(player->keyhash) : "[unknown]";
    } else if (EqualsNoCase(word, "%guid")) {
      piece = player ? known(player->guid) : "[unknown]";
    }
    if (!out.empty()) out += ' ';
    out += piece;
  }
  return out;
}

}  // namespace varnholt
