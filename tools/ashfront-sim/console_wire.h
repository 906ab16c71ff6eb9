// The bytes of the remote console: the login key and XOR-enciphered login, and the frames
// of counted zero-terminated strings used in both directions. Pure functions over buffers,
// so the session code only moves bytes. Every length read from the peer is bounded here.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::sim {

constexpr size_t kLoginKeySize = 10;
constexpr uint32_t kMaxLoginFieldBytes = 256;
constexpr uint32_t kMaxFrameStrings = 4096;
constexpr uint32_t kMaxStringBytes = 64 * 1024;
constexpr size_t kMaxFrameBytes = 1024 * 1024;

using LoginKey = std::array<uint8_t, kLoginKeySize>;

// Every key byte has its top bit set, so no printable character enciphers to a zero byte.
LoginKey MakeLoginKey(std::mt19937& rng);

enum class ParseResult { kIncomplete, kComplete, kBad };

struct LoginFields {
  std::string username;  // deciphered, without the zero byte
  std::string password;
};

// Reads "length, enciphered name, zero; length, enciphered password, zero" from the start
// of `buffer`. On kComplete `consumed` is the number of bytes used.
ParseResult ParseLogin(std::string_view buffer, const LoginKey& key, LoginFields* fields,
                       size_t* consumed);

// Reads one frame (count, then per string its length including the zero byte and the
// bytes) from the start of `buffer`.
ParseResult ParseFrame(std::string_view buffer, std::vector<std::string>* strings,
                       size_t* consumed);

std::string BuildFrame(const std::vector<std::string>& strings);

// Client side of the login, for tests and tools: the bytes a client sends.
std::string BuildLogin(const LoginKey& key, std::string_view username, std::string_view password);

void AppendU32(std::string* out, uint32_t value);

}  // namespace varnholt::sim
