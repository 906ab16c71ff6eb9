#include "autoadmin/banned_words.h"

#include "platform/ascii_text.h"

namespace varnholt {

std::vector<std::string> ParseBannedWords(std::string_view text) {
  std::vector<std::string> entries;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    for (size_t piece = pos; piece < end; piece += kBannedWordPiece) {
      entries.emplace_back(text.substr(piece, std::min(kBannedWordPiece, end - piece)));
    }
    pos = end + 1;
  }
  return entries;
}

void BannedWordList::Assign(std::vector<std::string> entries) {
  entries_ = std::move(entries);
  lowered_.clear();
  lowered_.reserve(entries_.size());
  for (const std::string& e : entries_) lowered_.push_back(Lower(e));
  loaded_ = true;
}

std::string BannedWordList::JoinedText() const {
  std::string text;
  for (const std::string& e : entries_) text += e + ",";
  return text;
}

bool BannedWordList::NameHasBannedWord(std::string_view name) const {
  const std::string lowered = Lower(name.substr(0, std::min(kBannedNameLength, name.size())));
  for (const std::string& entry : lowered_) {
    if (entry.empty()) continue;
    if (entry[0] == '$') {
      if (entry.size() > 1 && std::string_view(entry).substr(1) == lowered) return true;
    } else if (lowered.find(entry) != std::string::npos) {
      return true;
    }
  }
  return false;
}

const std::string* BannedWordList::FindOffendingWord(std::string_view line) const {
  const std::string lowered = Lower(line.substr(0, std::min(kBannedChatLength, line.size())));
  for (const std::string& entry : lowered_) {
    if (!entry.empty() && lowered.find(entry) != std::string::npos) return &entry;
  }
  return nullptr;
}

}  // namespace varnholt
