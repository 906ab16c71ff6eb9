#include "ui/clients_page.h"

#include <QTreeWidget>
#include <QVBoxLayout>
#include <string>

#include "core/notify_codes.h"
#include "program/program.h"

namespace varnholt {
namespace {

bool SameRows(const std::vector<ClientRow>& a, const std::vector<ClientRow>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].slot != b[i].slot || a[i].user != b[i].user || a[i].address != b[i].address ||
        a[i].status != b[i].status || a[i].last_request != b[i].last_request) {
      return false;
    }
  }
  return true;
}

}  // namespace

ClientsPage::ClientsPage(Program& program, QWidget* parent) : Page(parent), program_(program) {
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setHeaderLabels({"User", "IP Address", "Status", "Last Activity"});
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip("Remote administrators connected now. Right-click a client to disconnect him.");
  list_->headerItem()->setToolTip(0, "User account the client logged in with.");
  list_->headerItem()->setToolTip(1, "Address and port the client connected from.");
  list_->headerItem()->setToolTip(2, "State of the client's connection.");
  list_->headerItem()->setToolTip(3, "Time of the client's last request.");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  connect(list_, &QWidget::customContextMenuRequested, this, &ClientsPage::OnContextMenu);
}

void ClientsPage::Reload() {
  std::vector<ClientRow> rows = program_.Listener().clients().ClientRows();
  if (shown_once_ && SameRows(rows, shown_)) return;
  std::vector<ListRow> shown;
  for (const ClientRow& row : rows) {
    // Rows are found by address, ignoring case.
    shown.push_back(ListRow{{FromText(row.user), FromText(row.address), FromText(row.status),
                             FromText(row.last_request)},
                            -1,
                            FromText(row.address).toLower()});
  }
  ShowListRows(list_, shown);
  shown_ = std::move(rows);
  shown_once_ = true;
}

std::vector<MenuEntry> ClientsPage::MenuEntries(int row) const {
  MenuEntry disconnect;
  disconnect.text = "Disconnect";
  disconnect.action = kDisconnectAction;
  disconnect.enabled = row >= 0 && static_cast<size_t>(row) < shown_.size();
  return {disconnect};
}

void ClientsPage::RunMenuAction(int action, int row) {
  if (action != kDisconnectAction || row < 0 || static_cast<size_t>(row) >= shown_.size()) return;
  Disconnect(shown_[static_cast<size_t>(row)].slot);
}

void ClientsPage::Disconnect(int slot) {
  program_.Queue().QueueCommand(kCmdDisconnectClient, std::to_string(slot), kOriginLocal, 0);
}

void ClientsPage::OnContextMenu(const QPoint& pos) {
  QTreeWidgetItem* item = list_->itemAt(pos);
  const int row = item ? list_->indexOfTopLevelItem(item) : -1;
  if (row < 0) return;  // the only action needs a client
  // The rows may change while the menu is open: the choice is for the client clicked.
  const int slot = shown_[static_cast<size_t>(row)].slot;
  PopUpMenu(this, MenuEntries(row), list_->viewport()->mapToGlobal(pos), [this, slot](int action) {
    if (action == kDisconnectAction) Disconnect(slot);
  });
}

}  // namespace varnholt
