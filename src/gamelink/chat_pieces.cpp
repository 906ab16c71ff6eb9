#include "gamelink/chat_pieces.h"

namespace varnholt {

std::vector<std::string> SplitChatPieces(std::string_view text, MessageStyle style) {
  std::string s(text);
  char separator = style == MessageStyle::kChat ? kChatBlank : ' ';
  for (char& c : s) {
    if (style == MessageStyle::kChat && c == ' ') c = kChatBlank;
    if (style == MessageStyle::kServerMessage && c == kChatBlank) c = ' ';
  }
  std::vector<std::string> pieces;
  size_t pos = 0;
  while (pos < s.size()) {
    size_t remaining = s.size() - pos;
    if (remaining < kChatPieceMax + 1) {
      pieces.push_back(s.substr(pos));
      break;
    }
    size_t cut = std::string::npos;
    for (size_t i = pos + kChatPieceMax; i >= pos + 1; --i) {
      if (s[i] == separator) {
        cut = i;
        break;
      }
    }
    if (cut == std::string::npos) {
      pieces.push_back(s.substr(pos, kChatPieceMax));
      pos += kChatPieceMax;
    } else {
      pieces.push_back(s.substr(pos, cut - pos));
      pos = cut + 1;
    }
  }
  return pieces;
}

}  // namespace varnholt
