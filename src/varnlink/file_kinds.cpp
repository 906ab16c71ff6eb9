#include "varnlink/file_kinds.h"

#include <array>

namespace varnholt::varnlink {
namespace {

constexpr std::array<FileKind, 13> kKinds = {{
    {"settings", 0, 1, false},
    {"banlist", 15, 16, true},
    {"maplist", 10, 11, true},
    {"mods", 8, -1, false},
    {"maps", 9, -1, false},
    {"schedule", 19, 20, true},
    {"announcements", 22, 23, true},
    {"bannedwords", 24, 25, true},
    {"playermenu", 14, -1, false},
    {"users", 17, 18, false},
    {"pbsv.cfg", 2, 3, true},
    {"customcombat", 6, 7, true},
    {"log", 48, -1, false},
}};

}  // namespace

const FileKind* FindFileKind(std::string_view name) {
  for (const FileKind& kind : kKinds) {
    if (name == kind.name) return &kind;
  }
  return nullptr;
}

const char* FileKindNames() {
  return "settings, banlist, maplist, mods, maps, schedule, announcements, bannedwords, "
         "playermenu, users, pbsv.cfg, customcombat, log";
}

}  // namespace varnholt::varnlink
