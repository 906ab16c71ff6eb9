#include "ui/status_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "program/program.h"
#include "ui/list_view_rows.h"

namespace varnholt {
namespace {

// One help text per field, in the summary's field order.
constexpr const char* kFieldTips[kStatusFieldCount] = {
    "Server name as seen in the game server browser window.",
    "Address and port the game server is reached on.",
    "Players on the server and the most it admits.",
    "Map, game mode and modification being played now.",
    "Map the server plays after the current one.",
    "Map the server switches to while nobody plays.",
    "Whether the game server process is running.",
    "Time of the last crash of the game server.",
    "Whether the remote console of the game server is connected.",
    "State of the game as the server reports it.",
    "Version of the game server.",
    "Whether players need a password to join.",
    "Team-kill mode of the game server.",
    "Content check the server asks of the players' game files.",
    "Scores of the two teams and their total.",
    "Players of the two teams and all players listed.",
    "Time left in the current round.",
    "Tickets left to each team.",
    "Whether PunkBuster is installed and enabled on the server.",
};

}  // namespace

StatusPage::StatusPage(Program& program, QWidget* parent) : Page(parent), program_(program) {
  icon_ = new QLabel(this);
  icon_->setToolTip("Shows whether the game server is running or stopped.");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout();
  top->addWidget(icon_);
  for (size_t i = 0; i < kStatusFieldCount; ++i) {
    fields_[i] = new QLabel(this);
    fields_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fields_[i]->setToolTip(kFieldTips[i]);
    if (i == 0) {
      QFont bold = fields_[i]->font();
      bold.setBold(true);
      fields_[i]->setFont(bold);
      top->addWidget(fields_[i], 1);
      layout->addLayout(top);
    } else {
      layout->addWidget(fields_[i]);
    }
  }
  layout->addStretch(1);
}

void StatusPage::Reload() {
  StatusPageLines lines = program_.Summary().PageLines();
  if (shown_once_ && lines.lines == shown_.lines && lines.running == shown_.running) return;
  for (size_t i = 0; i < kStatusFieldCount; ++i) fields_[i]->setText(FromText(lines.lines[i]));
  const QStyle::StandardPixmap pixmap = lines.running ? QStyle::SP_MediaPlay : QStyle::SP_MediaStop;
  icon_->setPixmap(style()->standardIcon(pixmap).pixmap(32, 32));
  shown_ = std::move(lines);
  shown_once_ = true;
}

}  // namespace varnholt
