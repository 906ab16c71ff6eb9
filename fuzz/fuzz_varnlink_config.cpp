// Feeds arbitrary text to varnlink's config file parser (a file the user edits by hand) and
// to the ban duration parser. Every profile read must write out and read back the same, and
// a duration that parses lies within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "varnlink/config_file.h"
#include "varnlink/duration.h"

namespace {

std::string Written(const varnholt::varnlink::Profiles& profiles) {
  std::string text;
  for (const auto& [name, p] : profiles) {
    text += "[" + name + "]\n";
    if (p.host) text += "host = " + *p.host + "\n";
    if (p.port) text += "port = " + std::to_string(*p.port) + "\n";
    if (p.user) text += "user = " + *p.user + "\n";
    if (p.password) text += "password = " + *p.password + "\n";
  }
  return text;
}

bool Same(const varnholt::varnlink::Profile& a, const varnholt::varnlink::Profile& b) {
  return a.host == b.host && a.port == b.port && a.user == b.user && a.password == b.password;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnholt::varnlink;
  if (size > kMaxConfigSize) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  int64_t seconds = 0;
  if (ParseDuration(text.substr(0, 64), &seconds) &&
      (seconds <= 0 || seconds > kMaxDurationSeconds)) {
    abort();
  }

  Profiles profiles;
  std::string error;
  if (!ParseConfig(text, &profiles, &error)) {
    if (error.rfind("line ", 0) != 0) abort();
    return 0;
  }
  for (const auto& [name, p] : profiles) {
    if (name.empty() || (p.port && *p.port == 0)) abort();
  }
  Profiles again;
  if (!ParseConfig(Written(profiles), &again, &error) || again.size() != profiles.size()) abort();
  for (const auto& [name, p] : profiles) {
    auto found = again.find(name);
    if (found == again.end() || !Same(found->second, p)) abort();
  }
  return 0;
}
