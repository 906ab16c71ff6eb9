// The client's side of the login exchange as the server reads it, byte by byte as the
// socket delivers them: the enciphered name and password fields (32 bytes each), then,
// once the server has answered, the client's one-byte protocol version. The reader never
// asks for more than the step needs, so bytes a client sends after its version (its first
// request) stay in the socket for the request handler.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "remote/account_fields.h"

namespace varnholt {

constexpr uint8_t kProtocolVersion = 0x90;
constexpr size_t kLoginFieldsSize = kNameFieldSize + kPasswordFieldSize;

class LoginReader {
 public:
  enum class Step { kCredentials, kAnswering, kVersion, kDone };

  ~LoginReader();

  Step step() const { return step_; }
  // How many bytes the current step still wants (0 while the server answers or when done).
  size_t Needed() const;
  // Takes at most Needed() of `size` bytes and returns how many it took.
  size_t Feed(const uint8_t* data, size_t size);

  // Both fields have arrived: the deciphered name and password (each at most 31
  // characters, cut at the first zero byte). The password only until ExpectVersion.
  std::string Name() const;
  std::string Password() const;
  // Forgets the password bytes and moves on to waiting for the version.
  void ExpectVersion();
  // The version byte once it has arrived (step kDone).
  uint8_t version() const { return version_; }

 private:
  Step step_ = Step::kCredentials;
  std::array<uint8_t, kLoginFieldsSize> fields_{};
  size_t have_ = 0;
  uint8_t version_ = 0;
};

}  // namespace varnholt
