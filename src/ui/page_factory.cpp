#include "ui/page_factory.h"

#include <array>

#include "program/program.h"
#include "ui/bans_page.h"
#include "ui/clients_page.h"
#include "ui/maps_page.h"
#include "ui/players_page.h"
#include "ui/schedule_page.h"
#include "ui/settings_page.h"
#include "ui/status_page.h"
#include "ui/users_page.h"

namespace varnholt {
namespace {

constexpr std::array<const char*, kTabCount> kTabTexts = {
    "Server", "Game",    "Friendly Fire", "Misc",  "Admin",    "Status",
    "Maps",   "Players", "Bans",          "Users", "Schedule", "Clients",
};

}  // namespace

const char* TabText(int index) {
  return index >= 0 && index < kTabCount ? kTabTexts[static_cast<size_t>(index)] : "";
}

Page* CreatePage(int index, Program& program, QWidget* parent) {
  switch (index) {
    case 5:
      return new StatusPage(program, parent);
    case 6:
      return new MapsPage(program, parent);
    case 7:
      return new PlayersPage(program, parent);
    case 8:
      return new BansPage(program, parent);
    case 9:
      return new UsersPage(program, parent);
    case 10:
      return new SchedulePage(program, parent);
    case 11:
      return new ClientsPage(program, parent);
    default:
      // Tabs 0 to 4 are the settings pages, in the settings' page order.
      return new SettingsPage(program, static_cast<SettingPage>(index), parent);
  }
}

}  // namespace varnholt
