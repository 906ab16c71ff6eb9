// Feeds arbitrary bytes to the login reader in the pieces a socket might deliver: the first
// byte picks the piece sizes. The reader must never take more than its step wants, and
// the name and password it yields must be texts of at most 31 characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "remote/login_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 70;
  varnholt::LoginReader reader;
  size_t at = 1;
  while (at < size) {
    const size_t wanted = reader.Needed();
    const size_t offered = std::min(piece, size - at);
    const size_t taken = reader.Feed(data + at, offered);
    if (taken > wanted || taken > offered) __builtin_trap();
    if (taken == 0) {
      if (reader.step() != varnholt::LoginReader::Step::kAnswering) break;
      const std::string name = reader.Name();
      const std::string password = reader.Password();
      if (name.size() > 31 || password.size() > 31) __builtin_trap();
      if (name.find('\0') != std::string::npos || password.find('\0') != std::string::npos) {
        __builtin_trap();
      }
      reader.ExpectVersion();
      if (!reader.Password().empty()) __builtin_trap();
      continue;
    }
    at += taken;
  }
  return 0;
}
