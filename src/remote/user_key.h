// The key that enciphers account names, passwords and keyhashes, in UserAccess.con and in
// the login exchange. Its 1024 bytes come from data/userkey.bin, built into the program;
// every client that talks to this server must hold the same file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varnholt {

constexpr size_t kUserKeySize = 1024;

// Generated at build time from data/userkey.bin.
extern const std::array<uint8_t, kUserKeySize> kUserKey;

// RC4: the standard key schedule over `key`, then the standard output stream XORed onto
// `data`. Enciphering and deciphering are the same operation.
void Rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data);

// One account field under the user key, each with a fresh key schedule, so every field
// starts at the beginning of the key stream.
void CipherUserField(std::span<uint8_t> field);

}  // namespace varnholt
