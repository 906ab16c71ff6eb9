#include "varnlink/request_texts.h"

#include <array>
#include <cstdio>

#include "log/error_text.h"
#include "platform/ip_address.h"
#include "remote/account_fields.h"
#include "remote/random_text.h"
#include "remote/user_key.h"
#include "varnlink/duration.h"

namespace varnholt::varnlink {
namespace {

constexpr const char* kUnknown = "[unknown]";
constexpr char kFieldEnd = '\xFF';

bool ValidAddress(const std::string& text) {
  // Four dotted numbers 0-255 and nothing else: what the server writes into its ban files.
  int dots = 0;
  int digits = 0;
  for (char c : text) {
    if (c == '.') {
      if (digits == 0) return false;
      ++dots;
      digits = 0;
    } else if (c >= '0' && c <= '9') {
      if (++digits > 3) return false;
    } else {
      return false;
    }
  }
  return dots == 3 && digits > 0 && IpToText(IpFromText(text)) == text;
}

bool ValidHex32(const std::string& text) {
  return IsValidKeyhash(text);
}

// An identity option with its value; advances `i`. 0: not one; 1: taken; -1: error.
int TakeIdentity(const std::vector<std::string>& args, size_t* i, BanArguments* out,
                 std::string* error, bool name_allowed) {
  const std::string& a = args[*i];
  const bool known =
      a == "--address" || a == "--keyhash" || a == "--guid" || (name_allowed && a == "--name");
  if (!known) return 0;
  if (*i + 1 >= args.size()) {
    *error = a + " needs a value";
    return -1;
  }
  const std::string& value = args[++*i];
  if (a == "--address") {
    if (!ValidAddress(value)) {
      *error = "not an IPv4 address: " + value;
      return -1;
    }
    out->address = value;
  } else if (a == "--keyhash") {
    if (!ValidHex32(value)) {
      *error = "malformed keyhash " + value + ": it must be 32 hexadecimal digits";
      return -1;
    }
    out->keyhash = value;
  } else if (a == "--guid") {
    if (!ValidHex32(value)) {
      *error = "malformed GUID " + value + ": it must be 32 hexadecimal digits";
      return -1;
    }
    out->guid = value;
  } else {
    out->name = value;
  }
  return 1;
}

std::string Known(const std::string& text) {
  return text.empty() ? kUnknown : text;
}

}  // namespace

bool ParsePlayerId(const std::string& text, int* id) {
  if (text.empty() || text.size() > 9) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *id = value;
  return true;
}

bool ParseBanArguments(const std::vector<std::string>& args, BanArguments* out,
                       std::string* error) {
  *out = BanArguments();
  bool text_only = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!text_only && a == "--") {
      text_only = true;
      continue;
    }
    if (!text_only) {
      const int taken = TakeIdentity(args, &i, out, error, true);
      if (taken < 0) return false;
      if (taken > 0) continue;
      if (a == "--for") {
        if (i + 1 >= args.size() || !ParseDuration(args[i + 1], &out->seconds)) {
          *error = "--for needs a duration such as 30m, 12h, 7d or 1d12h" +
                   (i + 1 < args.size() ? ", not " + args[i + 1] : std::string());
          return false;
        }
        ++i;
        continue;
      }
      if (a.size() > 1 && a[0] == '-') {
        *error = "unknown ban option " + a;
        return false;
      }
      if (out->id < 0 && out->reason.empty() && ParsePlayerId(a, &out->id)) continue;
    }
    if (!out->reason.empty()) out->reason += ' ';
    out->reason += a;
  }
  if (out->address.empty() && out->keyhash.empty() && out->guid.empty()) {
    *error = out->id >= 0
                 ? "the server bans identities: give --address, --keyhash or --guid with the id"
                 : "nothing to ban: give --address, --keyhash or --guid";
    return false;
  }
  return true;
}

bool ParseUnbanArguments(const std::vector<std::string>& args, BanArguments* out,
                         std::string* error) {
  *out = BanArguments();
  for (size_t i = 0; i < args.size(); ++i) {
    const int taken = TakeIdentity(args, &i, out, error, true);
    if (taken < 0) return false;
    if (taken == 0) {
      *error = "unban takes --address, --keyhash, --guid or --name, not " + args[i];
      return false;
    }
  }
  if (out->address.empty() && out->keyhash.empty() && out->guid.empty()) {
    *error = "nothing to unban: give --address, --keyhash or --guid";
    return false;
  }
  return true;
}

std::string KickRequestText(int id, const std::string& reason) {
  std::string text = std::to_string(id) + ",";
  for (char c : reason) text += c == ',' ? ';' : c;
  return text + ",";
}

std::string BanRequestText(const BanArguments& ban) {
  std::string text;
  auto add = [&text](const std::string& field) {
    text += field;
    text += kFieldEnd;
  };
  add(std::to_string(ban.id));
  add(Known(ban.name));
  add(Known(ban.address));
  add(Known(ban.keyhash));
  add(Known(ban.guid));
  add(std::to_string(ban.seconds));
  add(ban.reason.empty() ? "unknown reason" : ban.reason);
  return text;
}

std::string UnbanRequestText(const BanArguments& ban) {
  return Known(ban.name) + "," + Known(ban.address) + "," + Known(ban.keyhash) + "," +
         Known(ban.guid);
}

bool PasswordRequestText(const std::string& password, std::string* text, std::string* error) {
  if (password.empty() || password.size() > kPasswordFieldSize - 1) {
    *error = "a password has 1 to 31 characters";
    return false;
  }
  if (password.find_first_of(" \t") != std::string::npos) {
    *error = "passwords cannot contain spaces";
    return false;
  }
  std::array<uint8_t, kPasswordFieldSize> field{};
  FillRandomText(field.data(), field.size());
  password.copy(reinterpret_cast<char*>(field.data()), password.size());
  field[password.size()] = 0;
  CipherUserField(field);
  text->clear();
  for (uint8_t b : field) {
    char hex[3];
    snprintf(hex, sizeof hex, "%02X", b);
    *text += hex;
  }
  field.fill(0);
  return true;
}

}  // namespace varnholt::varnlink
