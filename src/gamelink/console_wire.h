// The bytes the remote console client sends: the enciphered login and the request frames
// (a count, then per string its length including the zero byte and the bytes), plus the
// cleaning of texts that other parts of the program paste into console commands.
// Pure functions over buffers; no state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnholt {

constexpr size_t kLoginKeySize = 10;
constexpr size_t kMaxCredentialLength = 31;
// The longest command text a request carries; longer texts are cut.
constexpr size_t kMaxCommandText = 2051;

using LoginKey = std::array<uint8_t, kLoginKeySize>;

void AppendU32(std::string* out, uint32_t value);

// Length + 1, the characters XORed with key[i % 10], one zero byte (not enciphered); first
// the user name, then the password. Both are cut to kMaxCredentialLength characters.
std::string BuildLoginBytes(const LoginKey& key, std::string_view username,
                            std::string_view password);

// "ConsoleMessage 0", one string per line of `text` (cut at every line feed; the empty piece
// after a final line feed is not sent, empty pieces between line feeds are), then "\r".
void BuildCommandFrame(std::string_view text, std::string* frame);

// "ConsoleRun 0" and a two-byte string: the character code 0 and its zero byte.
void BuildPollFrame(std::string* frame);

// A text pasted into a console command (chat, messages, map names, reasons, player names)
// must stay one argument of one command: line feeds and carriage returns become blanks and
// double quotes become single quotes, so no text can end the quoted argument or start a
// second command. Zero bytes, which would cut the string on the wire, become blanks too.
std::string ConsoleSafeText(std::string_view text);

}  // namespace varnholt
