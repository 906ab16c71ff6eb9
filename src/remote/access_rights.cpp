#include "remote/access_rights.h"

namespace varnholt {

std::string RightsText(AccessRights rights) {
  if (rights == kAdminRights) return "-- admin --";
  static constexpr char kLetters[] = "sgfiatmpbuhc";
  std::string text(kLetters);
  for (size_t bit = 0; bit < text.size(); ++bit) {
    if (rights & (1u << bit)) text[bit] = static_cast<char>(text[bit] - 'a' + 'A');
  }
  return text;
}

bool IsRightsSubset(AccessRights holder, AccessRights wanted) {
  if (holder == kAdminRights) return true;
  if (wanted == kAdminRights) return false;
  return (wanted & ~holder) == 0;
}

AccessRights PresetRights(int64_t value) {
  if (value == -1 || value == int64_t{kAdminRights}) return kAdminRights;
  if (value < 0 || value > int64_t{kAllDefinedRights}) return 0;
  return static_cast<AccessRights>(value);
}

}  // namespace varnholt
