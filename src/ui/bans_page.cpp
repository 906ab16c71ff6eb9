#include "ui/bans_page.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "bans/ban_list.h"
#include "core/notify_codes.h"
#include "program/program.h"

namespace varnholt {
namespace {

enum Column { kPlayer, kAddress, kKeyhash, kGuid, kAdmin, kBanned, kExpires, kReason };
constexpr int kRecordIndexRole = Qt::UserRole;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QLineEdit* Field(int length, const char* tip) {
  auto* field = new QLineEdit;
  field->setMaxLength(length);
  field->setToolTip(QString::fromUtf8(tip));
  return field;
}

QPushButton* Button(const char* text, const char* tip) {
  auto* button = new QPushButton(QString::fromUtf8(text));
  button->setToolTip(QString::fromUtf8(tip));
  return button;
}

}  // namespace

BansPage::BansPage(Program& program, QWidget* parent) : Page(parent), program_(program) {
  list_ = new QTreeWidget;
  list_->setHeaderLabels(
      {"Player", "IP", "CD-Key Hash", "PunkBuster GUID", "Admin", "Banned", "Expires", "Reason"});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSortingEnabled(true);
  list_->sortByColumn(-1, Qt::AscendingOrder);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip(
      "Bans recorded by Varnholt. Click a ban to show it in the fields below; right-click to "
      "verify or sync with the server banlists, or to export or import the banlist.");

  name_ = Field(kBanPageNameLength, "Name of the player to ban, as it is shown in the game.");
  address_ = Field(kBanPageAddressLength, "IP address to ban, for example 192.168.0.10.");
  keyhash_ = Field(kBanPageKeyhashLength, "CD-key hash to ban: a 32-digit hexadecimal number.");
  guid_ = Field(kBanPageGuidLength, "PunkBuster GUID to ban: a 32-digit hexadecimal number.");
  reason_ = Field(kBanPageReasonLength, "Reason for the ban, shown in the banlist.");
  save_ = Button("&Save", "Click to ban the IP address, keyhash and GUID entered above.");
  delete_ = Button("&Delete", "Click to remove the selected ban.");
  clear_ = Button("&Clear", "Click to remove all bans and clear the server banlists.");
  delete_->setEnabled(false);

  auto* fields = new QFormLayout;
  fields->addRow("Name", name_);
  fields->addRow("IP", address_);
  fields->addRow("Keyhash", keyhash_);
  fields->addRow("GUID", guid_);
  fields->addRow("Reason", reason_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(delete_);
  buttons->addWidget(clear_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  connect(save_, &QPushButton::clicked, this, [this] { SaveBan(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteBan(); });
  connect(clear_, &QPushButton::clicked, this, [this] { ClearBans(); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowMenu(at); });
}

void BansPage::Reload() {
  std::vector<BanRecord> records = program_.BanRecords().Records();
  if (records == shown_) return;
  RebuildList(records);
  shown_ = std::move(records);
}

void BansPage::RebuildList(const std::vector<BanRecord>& records) {
  BanRecord selected;
  const bool had_selection = SelectedRecord(&selected);
  const int scroll = list_->verticalScrollBar()->value();
  list_->setUpdatesEnabled(false);
  const bool blocked = list_->blockSignals(true);
  list_->setSortingEnabled(false);
  list_->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<int>(records.size()));
  QTreeWidgetItem* reselect = nullptr;
  for (size_t i = 0; i < records.size(); ++i) {
    const BanRecord& r = records[i];
    auto* item = new QTreeWidgetItem(
        QStringList{Text(r.player), Text(r.address), Text(r.keyhash), Text(r.guid), Text(r.admin),
                    Text(BanTimeText(r.bantime)), Text(ExpiresText(r.expires)), Text(r.reason)});
    item->setData(kPlayer, kRecordIndexRole, static_cast<qulonglong>(i));
    items.append(item);
    if (had_selection && !reselect && r == selected) reselect = item;
  }
  list_->addTopLevelItems(items);
  list_->setSortingEnabled(true);
  if (reselect) list_->setCurrentItem(reselect);
  list_->blockSignals(blocked);
  list_->verticalScrollBar()->setValue(scroll);
  list_->setUpdatesEnabled(true);
  delete_->setEnabled(reselect != nullptr);
}

bool BansPage::SelectedRecord(BanRecord* record) const {
  const QList<QTreeWidgetItem*> items = list_->selectedItems();
  if (items.isEmpty()) return false;
  const size_t index = items.front()->data(kPlayer, kRecordIndexRole).toULongLong();
  if (index >= shown_.size()) return false;
  *record = shown_[index];
  return true;
}

void BansPage::SelectRow(int row) {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (item) {
    list_->setCurrentItem(item);
  } else {
    list_->clearSelection();
  }
}

void BansPage::OnSelectionChanged() {
  BanRecord record;
  const bool selected = SelectedRecord(&record);
  delete_->setEnabled(selected);
  if (selected) SetForm(BanPageFormOf(record));
}

BanPageForm BansPage::Form() const {
  return BanPageForm{
      name_->text().trimmed().toStdString(), address_->text().trimmed().toStdString(),
      keyhash_->text().trimmed().toStdString(), guid_->text().trimmed().toStdString(),
      reason_->text().trimmed().toStdString()};
}

void BansPage::SetForm(const BanPageForm& form) {
  name_->setText(Text(form.name));
  address_->setText(Text(form.address));
  keyhash_->setText(Text(form.keyhash));
  guid_->setText(Text(form.guid));
  reason_->setText(Text(form.reason));
}

bool BansPage::Queue(uint32_t code, const std::string& text) {
  return program_.Queue().QueueCommand(code, text, kOriginLocal, 0);
}

bool BansPage::Ask(int kind, const char* question) {
  return program_.Log().ShowMessage(kind, "%s", question) == kButtonYes;
}

bool BansPage::SaveBan() {
  const BanPageForm form = Form();
  if (const char* refusal = CheckBanPageForm(form)) {
    program_.Log().LogMessage(kSoundError, "%s", refusal);
    return false;
  }
  return Queue(kCmdBan, BanPageBanText(form));
}

bool BansPage::DeleteBan() {
  BanRecord record;
  if (!SelectedRecord(&record)) return false;
  return Queue(kCmdUnban, BanPageUnbanText(Form()));
}

bool BansPage::ClearBans() {
  // Only a clear Yes empties every list: a box that was closed, or not shown at all, must
  // not cost the operator his bans.
  if (!Ask(kMessageYesNoWarning, kClearBansQuestion)) return false;
  return Queue(kCmdClearBans, "");
}

std::vector<BansPage::MenuEntry> BansPage::MenuEntries() const {
  const bool running = program_.Supervision().ServerRunning();
  return {
      {"Verify synchronization", true, kMenuVerify},
      {"Sync to server banlists", !running, kMenuSyncTo},
      {"Sync from server banlists", true, kMenuSyncFrom},
      {"", false, kMenuSeparator},
      {"Export banlist", true, kMenuExport},
      {"Import banlist", true, kMenuImport},
  };
}

bool BansPage::RunMenuAction(int action) {
  switch (action) {
    case kMenuVerify:
      return Ask(kMessageQuestion, kVerifyBansQuestion) && Queue(kCmdVerifyBans, "");
    case kMenuSyncTo:
      if (program_.Supervision().ServerRunning()) return false;
      return Ask(kMessageYesNoWarning, kSyncToServerQuestion) && Queue(kCmdSyncToServerBans, "");
    case kMenuSyncFrom:
      return Ask(kMessageYesNoWarning, kSyncFromServerQuestion) &&
             Queue(kCmdSyncFromServerBans, "");
    case kMenuExport: {
      const QString path = QFileDialog::getSaveFileName(
          this, kBanListExportTitle, Text(program_.SettingsFolder()) + "/" + kBanListFileName,
          kBanListFileFilter);
      if (path.isEmpty()) return false;
      QString chosen = path;
      if (QFileInfo(chosen).suffix().isEmpty()) chosen += ".con";
      return ExportBanList(chosen.toStdString());
    }
    case kMenuImport: {
      if (!ConfirmImport()) return false;
      const QString path = QFileDialog::getOpenFileName(
          this, kBanListImportTitle, Text(program_.SettingsFolder()) + "/" + kBanListFileName,
          kBanListFileFilter);
      if (path.isEmpty()) return false;
      return ImportBanList(path.toStdString());
    }
    default:
      return false;
  }
}

bool BansPage::ExportBanList(const std::string& path) {
  return program_.BanActions().ExportBanList(path);
}

bool BansPage::ConfirmImport() {
  return Ask(kMessageYesNoWarning, kImportBansQuestion);
}

bool BansPage::ImportBanList(const std::string& path) {
  const bool loaded = program_.BanActions().ImportBanList(path);
  Reload();
  return loaded;
}

void BansPage::ShowMenu(const QPoint& at) {
  PopUpMenu(this, MenuEntries(), list_->viewport()->mapToGlobal(at),
            [this](int action) { RunMenuAction(action); });
}

}  // namespace varnholt
