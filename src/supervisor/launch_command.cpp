#include "supervisor/launch_command.h"

namespace varnholt {

std::vector<std::string> SplitLaunchPrefix(const std::string& prefix) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : prefix) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::vector<std::string> ServerCommandLine(const std::vector<std::string>& prefix,
                                           const std::string& executable, bool internet) {
  std::vector<std::string> args = prefix;
  args.push_back(executable);
  for (const char* fixed : {"+restart", "1", "+dedicated", "1", "+hostServer"}) {
    args.push_back(fixed);
  }
  args.push_back(internet ? "1" : "0");
  return args;
}

}  // namespace varnholt
