// Feeds arbitrary bytes as a process's command line and as the head of a script: the words
// found must come from the text, and the program named must never be longer than it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words = varnholt::CommandLineWords(text);
  for (const std::string& word : words) {
    if (word.empty() || word.find('\0') != std::string::npos) __builtin_trap();
  }
  if (varnholt::ScriptWord(words).size() > size) __builtin_trap();
  if (varnholt::WineProgramPath(words).size() > size + 1) __builtin_trap();
  for (const std::string& word : varnholt::InterpreterLineWords(text)) {
    if (word.empty() || word.find(' ') != std::string::npos) __builtin_trap();
  }
  std::string normal = varnholt::NormalPath(text);
  if (normal.empty() || normal[0] != '/' || normal.size() > size + 1) __builtin_trap();
  return 0;
}
