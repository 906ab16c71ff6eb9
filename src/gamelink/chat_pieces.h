// Splitting chat and server messages into pieces the game's console line can take (at most
// 63 characters of text each).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

constexpr size_t kChatPieceMax = 63;
constexpr char kChatBlank = '\x80';  // stands for a blank inside chat texts

enum class MessageStyle { kChat, kServerMessage };

// Chat: blanks become 0x80 and 0x80 separates pieces. Server message: 0x80 becomes a blank
// and blanks separate pieces. A piece ends before the last separator found from the 64th
// character back to the piece's second; without one it is the next 63 characters.
std::vector<std::string> SplitChatPieces(std::string_view text, MessageStyle style);

}  // namespace varnholt
