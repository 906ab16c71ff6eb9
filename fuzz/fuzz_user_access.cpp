// Feeds arbitrary text to the UserAccess.con reader (a file a client uploads or an operator
// imports). Every account read must keep the field rules, and writing the accounts out
// and reading them back must give the same accounts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "remote/user_access_file.h"

namespace {

bool Clean(const std::string& text, size_t limit) {
  if (text.size() > limit) return false;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > varnholt::kMaxUserAccessFileSize) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bool plain = false;
  const std::vector<varnholt::UserAccount> accounts = varnholt::ParseUserAccessText(text, &plain);
  for (const varnholt::UserAccount& account : accounts) {
    if (account.name.empty() || !Clean(account.name, varnholt::kMaxUserName) ||
        !Clean(account.password, varnholt::kMaxPassword) ||
        !Clean(account.keyhash, varnholt::kKeyhashLength)) {
      __builtin_trap();
    }
  }
  std::string written;
  if (!varnholt::FormatUserAccessText(accounts, &written)) __builtin_trap();
  bool plain_again = true;
  const std::vector<varnholt::UserAccount> back =
      varnholt::ParseUserAccessText(written, &plain_again);
  if (plain_again || back.size() != accounts.size()) __builtin_trap();
  for (size_t i = 0; i < back.size(); ++i) {
    if (back[i].name != accounts[i].name || back[i].password != accounts[i].password ||
        back[i].keyhash != accounts[i].keyhash || back[i].rights != accounts[i].rights ||
        back[i].active != accounts[i].active) {
      __builtin_trap();
    }
  }
  return 0;
}
