#include "ui/button_bar.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace varnholt {
namespace {

constexpr std::array<BarButtonText, kBarButtonCount> kButtons = {{
    {"Start", "Click to start/stop the dedicated server."},
    {"Pause", "Click to toggle the game pause state."},
    {"Save", "Click to save server settings to disk."},
    {"Refresh", "Click to refresh the information shown on the current dialog page."},
    {"Settings",
     "Click to load/save server settings, or reset all server settings to default "
     "values."},
    {"Options", "Click to set options for this program."},
    {"Log", "Click to show/hide the log window."},
    {"About", "Click to show/hide the program information window."},
    {"Exit", "Click to quit this program."},
    {"Hide", "Click to show/hide the server window."},
}};

}  // namespace

const BarButtonText& BarButtonTextOf(BarButton button) {
  return kButtons[static_cast<size_t>(button)];
}

ButtonBar::ButtonBar(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < kBarButtonCount; ++i) {
    auto* button = new QPushButton(QString::fromUtf8(kButtons[i].text), this);
    button->setToolTip(QString::fromUtf8(kButtons[i].help));
    button->setAutoDefault(false);
    layout->addWidget(button);
    buttons_[i] = button;
  }
  layout->addStretch(1);
}

}  // namespace varnholt
