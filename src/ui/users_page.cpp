#include "ui/users_page.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "program/program.h"
#include "remote/random_text.h"

namespace varnholt {
namespace {

enum Column { kUser, kPassword, kAccess, kKeyhash };

// The boxes in the page's order with the page each one grants.
struct PageBox {
  const char* label;
  AccessRights bit;
  const char* tip;
};
constexpr std::array<PageBox, UsersPage::kPageBoxCount> kPageBoxes{{
    {"Server", kRightServerPage, "Check to let the user view and change the Server page."},
    {"Game", kRightGamePage, "Check to let the user view and change the Game page."},
    {"FF", kRightFriendlyFirePage, "Check to let the user view and change the Friendly Fire page."},
    {"Misc", kRightMiscPage, "Check to let the user view and change the Misc page."},
    {"Admin", kRightAdminPage, "Check to let the user view and change the Admin page."},
    {"Maps", kRightMapsPage, "Check to let the user view and change the Maps page."},
    {"Players", kRightPlayersPage, "Check to let the user view the players and kick or ban them."},
    {"Banlist", kRightBanlistPage, "Check to let the user view and change the banlist."},
    {"Users", kRightUsersPage, "Check to let the user view and change the user accounts."},
    {"Schedule", kRightSchedulePage, "Check to let the user view and change the schedule."},
    {"Status", kRightStatusPage, "Check to let the user view the server status."},
    {"Clients", kRightClientsPage, "Check to let the user view the connected clients."},
}};

// The rights beyond the pages, bits 12 to 18, as the account menu names them.
constexpr std::array<const char*, 7> kExtraRights{
    "User can start/stop the server",      "User can view server log",
    "User can connect multiple times",     "User can change critical settings",
    "User can issue console commands",     "User can edit PunkBuster settings",
    "User can edit CustomCombat settings",
};

constexpr const char* kPasswordMask = "********";

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

bool SameRows(const std::vector<UserAccount>& a, const std::vector<UserAccount>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].password != b[i].password || a[i].keyhash != b[i].keyhash ||
        a[i].rights != b[i].rights || a[i].active != b[i].active) {
      return false;
    }
  }
  return true;
}

}  // namespace

UsersPage::UsersPage(Program& program, QWidget* parent) : Page(parent), program_(program) {
  list_ = new QTreeWidget;
  list_->setHeaderLabels({"User", "Password", "Access", "Keyhash"});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSortingEnabled(true);
  list_->sortByColumn(kUser, Qt::AscendingOrder);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip(
      "User accounts for remote and in-game administration. The check mark makes an account "
      "active; right-click for passwords, extra rights, presets, export and import.");

  name_ = new QLineEdit;
  name_->setMaxLength(static_cast<int>(kMaxUserName));
  name_->setToolTip("Name the user logs in with; no spaces.");
  password_ = new QLineEdit;
  password_->setMaxLength(static_cast<int>(kMaxPassword));
  password_->setEchoMode(QLineEdit::Password);
  password_->setToolTip("Password the user logs in with; no spaces. Required for admin accounts.");
  show_password_ = new QCheckBox("Show");
  show_password_->setToolTip("Check to show the password in the field above in clear text.");
  keyhash_ = new QLineEdit;
  keyhash_->setMaxLength(static_cast<int>(kKeyhashLength));
  keyhash_->setToolTip(
      "CD-key hash of the user's game, a 32-digit hexadecimal number, for in-game admin "
      "commands; leave empty for none.");

  auto* password_row = new QHBoxLayout;
  password_row->addWidget(password_, 1);
  password_row->addWidget(show_password_);
  auto* fields = new QFormLayout;
  fields->addRow("Username", name_);
  fields->addRow("Password", password_row);
  fields->addRow("Keyhash", keyhash_);

  auto* rights = new QGroupBox("Pages");
  auto* grid = new QGridLayout(rights);
  for (size_t i = 0; i < kPageBoxes.size(); ++i) {
    boxes_[i] = new QCheckBox(kPageBoxes[i].label);
    boxes_[i]->setToolTip(kPageBoxes[i].tip);
    grid->addWidget(boxes_[i], static_cast<int>(i % 6), static_cast<int>(i / 6));
  }

  save_ = new QPushButton("&Save");
  save_->setToolTip("Click to save the user account entered above.");
  delete_ = new QPushButton("&Delete");
  delete_->setToolTip("Click to delete the selected user account.");
  delete_->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(delete_);

  auto* editor = new QHBoxLayout;
  editor->addLayout(fields, 1);
  editor->addWidget(rights);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(editor);
  layout->addLayout(buttons);

  connect(save_, &QPushButton::clicked, this, [this] { SaveUser(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteUser(); });
  connect(show_password_, &QCheckBox::toggled, this, [this](bool on) {
    password_->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
  });
  connect(name_, &QLineEdit::textEdited, this,
          [this] { RefuseBlank(name_, "Username cannot contain spaces!"); });
  connect(password_, &QLineEdit::textEdited, this,
          [this] { RefuseBlank(password_, "Passwords cannot contain spaces!"); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
  connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (column != kUser) return;
    const std::string name = item->text(kUser).toStdString();
    const bool active = item->checkState(kUser) == Qt::Checked;
    EditAccount(program_.Accounts(), name, [active](UserAccount& a) { a.active = active; });
    // Not from inside the item's own signal: the reload may replace the item.
    QMetaObject::invokeMethod(
        this, [this] { Reload(); }, Qt::QueuedConnection);
  });
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowMenu(at); });
}

void UsersPage::Reload() {
  const std::vector<UserAccount> accounts = program_.Accounts().Accounts();
  if (shown_once_ && SameRows(accounts, shown_)) return;
  Show(accounts);
  shown_ = accounts;
  shown_once_ = true;
}

void UsersPage::Show(const std::vector<UserAccount>& accounts) {
  const std::optional<UserAccount> selected = SelectedAccount();
  const int scroll = list_->verticalScrollBar()->value();
  list_->setUpdatesEnabled(false);
  const bool blocked = list_->blockSignals(true);
  list_->setSortingEnabled(false);
  list_->clear();
  QTreeWidgetItem* reselect = nullptr;
  for (const UserAccount& account : accounts) {
    // The list never shows a password: only whether one is set.
    auto* item = new QTreeWidgetItem(QStringList{
        Text(account.name), account.password.empty() ? QString() : QString(kPasswordMask),
        Text(RightsText(account.rights)), Text(account.keyhash)});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(kUser, account.active ? Qt::Checked : Qt::Unchecked);
    list_->addTopLevelItem(item);
    if (selected && SameUserName(selected->name, account.name)) reselect = item;
  }
  list_->setSortingEnabled(true);
  if (reselect) list_->setCurrentItem(reselect);
  list_->blockSignals(blocked);
  list_->verticalScrollBar()->setValue(scroll);
  list_->setUpdatesEnabled(true);
  delete_->setEnabled(reselect != nullptr);
}

std::optional<UserAccount> UsersPage::SelectedAccount() const {
  const QList<QTreeWidgetItem*> items = list_->selectedItems();
  if (items.isEmpty()) return std::nullopt;
  return program_.Accounts().FindAccount(items.front()->text(kUser).toStdString());
}

bool UsersPage::SelectUser(const std::string& name) {
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list_->topLevelItem(i);
    if (SameUserName(item->text(kUser).toStdString(), name)) {
      list_->setCurrentItem(item);
      return true;
    }
  }
  list_->clearSelection();
  return false;
}

void UsersPage::OnSelectionChanged() {
  const std::optional<UserAccount> account = SelectedAccount();
  delete_->setEnabled(account.has_value());
  if (!account) return;
  name_->setText(Text(account->name));
  password_->setText(Text(account->password));
  keyhash_->setText(Text(account->keyhash));
  ShowPageRights(account->rights);
}

AccessRights UsersPage::CheckedPageRights() const {
  AccessRights rights = 0;
  for (size_t i = 0; i < kPageBoxes.size(); ++i) {
    if (boxes_[i]->isChecked()) rights |= kPageBoxes[i].bit;
  }
  return rights;
}

void UsersPage::ShowPageRights(AccessRights rights) {
  for (size_t i = 0; i < kPageBoxes.size(); ++i) {
    boxes_[i]->setChecked((rights & kPageBoxes[i].bit) != 0);
  }
}

void UsersPage::RefuseBlank(QLineEdit* field, const char* message) {
  QString text = field->text();
  if (!text.contains(' ')) return;
  const int cursor = field->cursorPosition();
  const int before = static_cast<int>(text.left(cursor).count(' '));
  text.remove(' ');
  field->setText(text);
  field->setCursorPosition(cursor - before);
  program_.Log().ShowMessage(kMessageError, "%s", message);
}

bool UsersPage::SaveUser() {
  const std::optional<UserAccount> selected = SelectedAccount();
  AccountForm form;
  form.name = name_->text().toStdString();
  form.password = password_->text().toStdString();
  form.keyhash = keyhash_->text().trimmed().toStdString();
  form.rights = ComposePageRights(
      selected ? std::optional<AccessRights>(selected->rights) : std::nullopt, CheckedPageRights());
  if (const char* refusal = SaveAccountForm(program_.Accounts(), form, program_.Log())) {
    program_.Log().ShowMessage(kMessageError, "%s", refusal);
    return false;
  }
  Reload();
  SelectUser(form.name);
  return true;
}

bool UsersPage::DeleteUser() {
  const std::optional<UserAccount> selected = SelectedAccount();
  if (!selected) return false;
  if (!DeleteAccount(program_.Accounts(), selected->name, program_.Log())) return false;
  Reload();
  return true;
}

std::string UsersPage::OptionsPath() const {
  return JoinPath(program_.GameFolder(), "Varnholt.ini");
}

std::vector<RightsPreset> UsersPage::Presets() const {
  return ReadRightsPresets(IniFile(OptionsPath()));
}

std::vector<UsersPage::MenuEntry> UsersPage::MenuEntries() const {
  std::vector<MenuEntry> entries;
  const std::optional<UserAccount> account = SelectedAccount();
  if (account) {
    entries.push_back({"Random password", true, kMenuRandomPassword});
    entries.push_back({"", false, kMenuSeparator});
    for (size_t i = 0; i < kExtraRights.size(); ++i) {
      const AccessRights bit = AccessRights{kRightStartStop} << i;
      entries.push_back({kExtraRights[i], true, kMenuToggleStartStop + static_cast<int>(i), true,
                         (account->rights & bit) != 0});
    }
    entries.push_back({"", false, kMenuSeparator});
    const std::vector<RightsPreset> presets = Presets();
    for (size_t i = 0; i < presets.size(); ++i) {
      entries.push_back({presets[i].name, true, kMenuPreset + static_cast<int>(i)});
    }
  }
  entries.push_back({"Edit permission presets...", true, kMenuEditPresets});
  if (account) {
    entries.push_back({"", false, kMenuSeparator});
    entries.push_back({"Grant admin access", true, kMenuGrantAdmin});
    entries.push_back({"Revoke all access", true, kMenuRevokeAll});
  }
  entries.push_back({"", false, kMenuSeparator});
  entries.push_back({"Export userlist", true, kMenuExport});
  entries.push_back({"Import userlist", true, kMenuImport});
  return entries;
}

bool UsersPage::ChangeSelected(const std::function<void(UserAccount&)>& change) {
  const std::optional<UserAccount> account = SelectedAccount();
  if (!account || !EditAccount(program_.Accounts(), account->name, change)) return false;
  Reload();
  OnSelectionChanged();
  return true;
}

bool UsersPage::RunMenuAction(int action) {
  if (action >= kMenuToggleStartStop && action <= kMenuToggleCustomCombat) {
    const AccessRights bit = AccessRights{kRightStartStop} << (action - kMenuToggleStartStop);
    return ChangeSelected([bit](UserAccount& a) { a.rights ^= bit; });
  }
  if (action >= kMenuPreset) {
    const std::vector<RightsPreset> presets = Presets();
    const size_t index = static_cast<size_t>(action - kMenuPreset);
    if (index >= presets.size()) return false;
    const AccessRights rights = presets[index].rights;
    return ChangeSelected([rights](UserAccount& a) { a.rights = rights; });
  }
  switch (action) {
    case kMenuRandomPassword: {
      std::string password;
      if (!RandomText(16, &password)) return false;
      return ChangeSelected([&password](UserAccount& a) { a.password = password; });
    }
    case kMenuEditPresets:
      return EditRightsPresets(OptionsPath(), program_.Log());
    case kMenuGrantAdmin:
      return ChangeSelected([](UserAccount& a) { a.rights = kAdminRights; });
    case kMenuRevokeAll:
      return ChangeSelected([](UserAccount& a) { a.rights = 0; });
    case kMenuExport: {
      QString path =
          QFileDialog::getSaveFileName(this, "Select config file for saved userlist",
                                       Text(program_.SettingsFolder()), "Config Files (*.con)");
      if (path.isEmpty()) return false;
      if (QFileInfo(path).suffix().isEmpty()) path += ".con";
      return ExportUserList(path.toStdString());
    }
    case kMenuImport: {
      const QString path =
          QFileDialog::getOpenFileName(this, "Select userlist config file to load",
                                       Text(program_.SettingsFolder()), "Config Files (*.con)");
      if (path.isEmpty()) return false;
      return ImportUserList(path.toStdString());
    }
    default:
      return false;
  }
}

bool UsersPage::ExportUserList(const std::string& path) {
  if (program_.Accounts().SaveUserList(path)) return true;
  program_.Log().LogMessage(kSoundError, "Couldn't save the user access file! %s",
                            ErrorText(GetLastErrorCode()));
  return false;
}

bool UsersPage::ImportUserList(const std::string& path) {
  if (!program_.Accounts().LoadUserList(path)) return false;
  program_.Accounts().SetDirty();
  Reload();
  return true;
}

void UsersPage::ShowMenu(const QPoint& at) {
  PopUpMenu(this, MenuEntries(), list_->viewport()->mapToGlobal(at),
            [this](int action) { RunMenuAction(action); });
}

}  // namespace varnholt
