// The process environment and the per-user folders derived from it.
#pragma once

#include <optional>
#include <string>

namespace varnholt {

// The variable's value; nothing when it is unset.
std::optional<std::string> EnvironmentValue(const char* name);

// Where per-user configuration lives: $XDG_CONFIG_HOME, else ~/.config; empty when neither
// is known.
std::string ConfigHomeFolder();

// The permission bits of a file (mode & 07777); false with the mapped errno.
bool FilePermissions(const std::string& path, unsigned* mode);

}  // namespace varnholt
