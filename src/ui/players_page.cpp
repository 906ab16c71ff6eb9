#include "ui/players_page.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "autoadmin/player_menu.h"
#include "core/notify_codes.h"
#include "program/program.h"
#include "remote/account_edits.h"
#include "ui/custom_message_dialog.h"

namespace varnholt {
namespace {

constexpr int kColumns = 10;
constexpr const char* kHeaderTips[kColumns] = {
    "Click to sort the players by name.",        "Click to sort the players by console id.",
    "Click to sort the players by team.",        "Click to sort the players by score.",
    "Click to sort the players by kills.",       "Click to sort the players by deaths.",
    "Click to sort the players by ping.",        "Click to sort the players by address.",
    "Click to sort the players by CD-key hash.", "Click to sort the players by PunkBuster GUID.",
};

MenuEntry EntryOf(const MenuItem& item) {
  MenuEntry entry;
  if (item.separator) return entry;
  entry.text = item.text;
  entry.action = item.id;
  for (const MenuItem& sub : item.submenu) entry.entries.push_back(EntryOf(sub));
  return entry;
}

bool KeyhashKnown(const std::string& keyhash) {
  return !keyhash.empty() && keyhash != kUnknownText;
}

}  // namespace

PlayersPage::PlayersPage(Program& program, QWidget* parent) : Page(parent), program_(program) {
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setHeaderLabels({"Player", "Id", "Team", "Score", "Kills", "Died", "Ping", "IP",
                          "CD-Key Hash", "PunkBuster GUID"});
  list_->header()->setSectionsClickable(true);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip(
      "Players on the server. Right-click a player to warn, kick or ban him; click a column "
      "heading to sort.");
  for (int c = 0; c < kColumns; ++c) list_->headerItem()->setToolTip(c, kHeaderTips[c]);
  chat_ = new QLineEdit(this);
  chat_->setMaxLength(static_cast<int>(kCommandTextSize) - 1);
  chat_->setToolTip("Type a message to all players and press Enter to send it.");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(chat_);

  connect(list_, &QWidget::customContextMenuRequested, this, &PlayersPage::OnContextMenu);
  connect(list_->header(), &QHeaderView::sectionClicked, this, &PlayersPage::OnHeaderClicked);
  connect(chat_, &QLineEdit::returnPressed, this, &PlayersPage::SendChatLine);
}

void PlayersPage::Reload() {
  std::vector<PlayerRecord> rows = program_.Players().Rows();
  if (shown_once_ && rows == shown_) return;
  std::vector<ListRow> shown;
  shown.reserve(rows.size());
  for (const PlayerRecord& p : rows) {
    const QString id = QString::number(p.id);
    shown.push_back(ListRow{{FromText(p.name), id, FromText(p.team), FromText(p.score),
                             FromText(p.kills), FromText(p.deaths), FromText(p.ping),
                             FromText(p.address), FromText(p.keyhash), FromText(p.guid)},
                            -1,
                            id});
  }
  ShowListRows(list_, shown);
  shown_ = std::move(rows);
  shown_once_ = true;
}

void PlayersPage::SendChatLine() {
  const std::string text = ToText(chat_->text());
  if (text.empty()) {
    QApplication::beep();
    return;
  }
  const uint32_t code = program_.Options().AdminMessages ? kCmdServerMessage : kCmdChat;
  program_.Queue().QueueCommand(code, text, kOriginLocal, 0);
  chat_->clear();
}

std::vector<MenuEntry> PlayersPage::MenuEntries(int row) {
  MenuContext context;
  if (row >= 0 && static_cast<size_t>(row) < shown_.size()) {
    context.player_selected = true;
    context.keyhash_known = KeyhashKnown(shown_[static_cast<size_t>(row)].keyhash);
    for (const UserAccount& account : program_.Accounts().Accounts()) {
      context.account_names.push_back(account.name);
    }
  }
  std::vector<MenuItem> items;
  std::vector<MenuEntry> entries;
  if (!program_.Menu().BuildPlayerMenu(context, &items)) return entries;
  for (const MenuItem& item : items) entries.push_back(EntryOf(item));
  return entries;
}

void PlayersPage::RunMenuAction(int action, int row) {
  PlayerRecord player;  // id -1: no player
  const bool selected = row >= 0 && static_cast<size_t>(row) < shown_.size();
  if (selected) player = shown_[static_cast<size_t>(row)];
  RunMenuActionOn(action, selected ? &player : nullptr);
}

void PlayersPage::RunMenuActionOn(int action, const PlayerRecord* chosen) {
  PlayerRecord player;
  const bool selected = chosen != nullptr;
  if (selected) player = *chosen;
  PlayerMenu& menu = program_.Menu();
  if (action > 0 && action < kMenuAccountBase) {
    menu.ApplyMenuLine(player.id, action, kOriginLocal);
    return;
  }
  switch (action) {
    case kMenuEditPlayerMenu:
      menu.EditPlayerMenu();
      return;
    case kMenuEditBannedWords:
      program_.EditBannedWords();
      return;
    default:
      break;
  }
  if (!selected) return;  // the other fixed items act on a player
  switch (action) {
    case kMenuCustomKick:
      AskCustomMessage(player, false);
      break;
    case kMenuCustomBan:
      AskCustomMessage(player, true);
      break;
    case kMenuScreenshot:
      menu.TakeScreenshot(player.id, kOriginLocal);
      break;
    case kMenuBanName:
      menu.BanPlayerName(player.name, kOriginLocal);
      break;
    case kMenuCopyName:
      chat_->setText(FromText(player.name));
      chat_->setFocus();
      break;
    default:
      if (action >= kMenuAccountBase && action < kMenuCustomKick) {
        CopyKeyhashToUser(player, static_cast<size_t>(action - kMenuAccountBase));
      }
      break;
  }
}

bool PlayersPage::CustomKick(const PlayerRecord& opened_on, const std::string& reason) {
  return program_.Menu().CustomKick(opened_on.id, opened_on.name, reason, kOriginLocal);
}

bool PlayersPage::CustomBan(const PlayerRecord& opened_on, const std::string& reason) {
  return program_.Menu().CustomBan(opened_on.id, opened_on.name, reason, kOriginLocal);
}

void PlayersPage::AskCustomMessage(const PlayerRecord& player, bool ban) {
  if (message_box_) return;  // one box at a time
  message_box_ = new CustomMessageDialog(this);
  message_box_->setAttribute(Qt::WA_DeleteOnClose);
  connect(message_box_, &QDialog::finished, this, [this, player, ban](int result) {
    CustomMessageDialog* box = message_box_;
    message_box_ = nullptr;
    if (result != QDialog::Accepted || !box) return;
    const std::string reason = box->Message();
    ban ? CustomBan(player, reason) : CustomKick(player, reason);
  });
  // Window-modal without a nested loop, so the worker's results keep arriving meanwhile.
  message_box_->open();
}

void PlayersPage::CopyKeyhashToUser(const PlayerRecord& player, size_t account) {
  if (!KeyhashKnown(player.keyhash)) return;
  std::optional<UserAccount> target = program_.Accounts().AccountAt(account);
  if (!target) return;
  // Through the account edit, so the change is written by the next save.
  const std::string keyhash = player.keyhash;
  EditAccount(program_.Accounts(), target->name,
              [&keyhash](UserAccount& edited) { edited.keyhash = keyhash; });
}

void PlayersPage::OnContextMenu(const QPoint& pos) {
  QTreeWidgetItem* item = list_->itemAt(pos);
  const int row = item ? list_->indexOfTopLevelItem(item) : -1;
  const std::vector<MenuEntry> entries = MenuEntries(row);
  if (entries.empty()) return;
  // The rows may be rebuilt while the menu is open: the choice is for the player clicked.
  std::optional<PlayerRecord> player;
  if (row >= 0 && static_cast<size_t>(row) < shown_.size()) {
    player = shown_[static_cast<size_t>(row)];
  }
  PopUpMenu(this, entries, list_->viewport()->mapToGlobal(pos),
            [this, player](int action) { RunMenuActionOn(action, player ? &*player : nullptr); });
}

void PlayersPage::OnHeaderClicked(int column) {
  // A second click on the same heading reverses the order.
  sort_descending_ = column == sort_column_ ? !sort_descending_ : false;
  sort_column_ = column;
  program_.Players().SetSortOrder(static_cast<PlayerColumn>(column + 1), sort_descending_);
  list_->header()->setSortIndicatorShown(true);
  list_->header()->setSortIndicator(column,
                                    sort_descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
  Reload();
}

}  // namespace varnholt
