#include "ui/page_factory.h"

#include <QLabel>
#include <QVBoxLayout>
#include <array>

#include "program/program.h"
#include "ui/page.h"

namespace varnholt {
namespace {

constexpr std::array<const char*, kTabCount> kTabTexts = {
    "Server", "Game",    "Friendly Fire", "Misc",  "Admin",    "Status",
    "Maps",   "Players", "Bans",          "Users", "Schedule", "Clients",
};

// A page whose controls this build does not have yet: it opens and says so.
class UnavailablePage final : public Page {
 public:
  UnavailablePage(const char* name, QWidget* parent) : Page(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(
        QString("The %1 page is not available in this build of Varnholt.").arg(name), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
  }
  void Reload() override {}
};

}  // namespace

const char* TabText(int index) {
  return index >= 0 && index < kTabCount ? kTabTexts[static_cast<size_t>(index)] : "";
}

Page* CreatePage(int index, Program& /*program*/, QWidget* parent) {
  return new UnavailablePage(TabText(index), parent);
}

}  // namespace varnholt
