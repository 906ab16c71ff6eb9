#include "platform/process_command_line.h"

namespace varnholt {
namespace {

std::vector<std::string> SplitAt(std::string_view text, char separator) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

}  // namespace

std::vector<std::string> CommandLineWords(std::string_view cmdline) {
  return SplitAt(cmdline, '\0');
}

std::vector<std::string> InterpreterLineWords(std::string_view head) {
  if (head.substr(0, 2) != "#!") return {};
  std::string line(head.substr(
      2, head.find('\n') == std::string_view::npos ? std::string_view::npos : head.find('\n') - 2));
  for (char& c : line) {
    if (c == '\t' || c == '\r') c = ' ';
  }
  return SplitAt(line, ' ');
}

std::string ScriptWord(const std::vector<std::string>& words) {
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i][0] != '-') return words[i];
  }
  return "";
}

std::string WineProgramPath(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (!IsWineLoaderName(BaseName(word))) return UnixPathOfWinePath(word);
  }
  return "";
}

bool IsWineLoaderName(std::string_view name) {
  // wine, wine32, wine64 and their preloaders, as distributions install them.
  if (name.substr(0, 4) != "wine") return false;
  std::string_view rest = name.substr(4);
  if (rest.substr(0, 2) == "32" || rest.substr(0, 2) == "64") rest = rest.substr(2);
  return rest.empty() || rest == "-preloader";
}

std::string UnixPathOfWinePath(std::string_view path) {
  std::string_view p = path;
  if (p.substr(0, 4) == "\\\\?\\") p = p.substr(4);  // a long-path prefix
  if (p.size() >= 2 && p[1] == ':') {
    if (p[0] != 'Z' && p[0] != 'z') return "";
    std::string unix_path(p.substr(2));
    for (char& c : unix_path) {
      if (c == '\\') c = '/';
    }
    return unix_path.empty() ? "/" : unix_path;
  }
  return std::string(path);
}

std::string_view BaseName(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string NormalPath(std::string_view path) {
  std::vector<std::string> pieces;
  for (std::string& piece : SplitAt(path, '/')) {
    if (piece == ".") continue;
    if (piece == "..") {
      if (!pieces.empty()) pieces.pop_back();
      continue;
    }
    pieces.push_back(std::move(piece));
  }
  std::string result;
  for (const std::string& piece : pieces) result += "/" + piece;
  return result.empty() ? "/" : result;
}

}  // namespace varnholt
