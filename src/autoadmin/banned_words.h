// The banned words of BannedWords.con: words that may not appear in a player's name or
// chat, and whole names ("$" followed by the name) that may not be used at all. Entries are
// kept as a list of texts, so a comma inside an entry is part of that entry.
//
// Threads: loaded and read on the worker thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// Longest piece of a line taken as one entry; a longer line gives several entries.
constexpr size_t kBannedWordPiece = 1023;
// Names are compared on their first 32 characters, chat on its first 1023.
constexpr size_t kBannedNameLength = 32;
constexpr size_t kBannedChatLength = 1023;

// The entries of a BannedWords.con text in file order: each line without its carriage
// returns and line feeds, empty lines left out.
std::vector<std::string> ParseBannedWords(std::string_view text);

class BannedWordList {
 public:
  // Replaces the entries.
  void Assign(std::vector<std::string> entries);
  // Before the first load there is no list: nothing matches and the chat test does nothing.
  bool Loaded() const { return loaded_; }
  const std::vector<std::string>& Entries() const { return entries_; }
  // Every entry followed by a comma, for the debug line.
  std::string JoinedText() const;

  // A word anywhere in the name, or a whole-name entry equal to the name, both ignoring case.
  bool NameHasBannedWord(std::string_view name) const;
  // The first entry, in lower case, that occurs in the line ignoring case (whole-name entries
  // as plain text with their "$"); nullptr when none does.
  const std::string* FindOffendingWord(std::string_view line) const;

 private:
  bool loaded_ = false;
  std::vector<std::string> entries_;
  std::vector<std::string> lowered_;
};

}  // namespace varnholt
