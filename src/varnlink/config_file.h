// The user's varnlink config file: named profiles, each with host, port, user and password.
//
//   # comment
//   [home]
//   host = 192.0.2.10
//   port = 15667
//   user = admin
//   password = secret
//
// Keys before any section belong to the profile "default", which is used when no -P is
// given. The file holds passwords, so it is refused unless only its owner can read it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace varnholt::varnlink {

struct Profile {
  std::optional<std::string> host;
  std::optional<uint16_t> port;
  std::optional<std::string> user;
  std::optional<std::string> password;
};

using Profiles = std::map<std::string, Profile>;

constexpr const char* kDefaultProfile = "default";
// A config file is a few lines; anything larger is not one.
constexpr size_t kMaxConfigSize = 64 * 1024;

// Parses the text. False with "line N: reason" for a line that is neither blank, a comment,
// a section nor a known key with a value, or for a bad port.
bool ParseConfig(std::string_view text, Profiles* profiles, std::string* error);

// ~/.config/varnlink/config (or under $XDG_CONFIG_HOME).
std::string DefaultConfigPath();

// Reads the file at `path` into `*profiles`. A missing file is no error (no profiles).
// False with a reason when it exists but its mode is not 0600 (or 0400), is too large,
// cannot be read or does not parse.
bool LoadConfig(const std::string& path, Profiles* profiles, std::string* error);

}  // namespace varnholt::varnlink
