// The enciphered form of account fields: a fixed-size buffer holding the text, its zero and
// random filler, run through the user key and written as upper-case hexadecimal. The same
// fields travel in the login exchange and the change-own-password request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnholt {

constexpr size_t kNameFieldSize = 32;
constexpr size_t kPasswordFieldSize = 32;
constexpr size_t kKeyhashFieldSize = 33;
// Longest field any caller uses; texts are at most size - 1 characters.
constexpr size_t kMaxFieldSize = kKeyhashFieldSize;

// Enciphers `text` (cut to size - 1 characters) into a `size`-byte field and writes it as
// 2 * size hexadecimal digits. False only when no random filler could be had.
bool EncipherFieldHex(std::string_view text, size_t size, std::string* hex);

// Enciphers `text` into `field` (`size` bytes) for the wire.
bool EncipherField(std::string_view text, uint8_t* field, size_t size);

// The text of a deciphered field: up to its first zero byte, and never more than size - 1
// characters (a field without a zero byte is cut).
std::string FieldText(const uint8_t* field, size_t size);

// Deciphers a field received on the wire and returns its text.
std::string DecipherField(const uint8_t* field, size_t size);

// Deciphers exactly 2 * size hexadecimal digits (either case); nothing for anything else.
std::optional<std::string> DecipherFieldHex(std::string_view hex, size_t size);

// Decodes exactly 2 * size hexadecimal digits into `out`.
bool DecodeHex(std::string_view hex, uint8_t* out, size_t size);

}  // namespace varnholt
