// The Clients page: the remote administrators connected now, with the time of each one's
// last request, and "Disconnect" on a right click, queued for the worker as remote
// administration queues it.
#pragma once

#include <vector>

#include "remote/client_table.h"
#include "ui/list_view_rows.h"
#include "ui/page.h"

class QTreeWidget;

namespace varnholt {

class ClientsPage : public Page {
  Q_OBJECT
 public:
  static constexpr int kDisconnectAction = 1;

  explicit ClientsPage(Program& program, QWidget* parent = nullptr);

  void Reload() override;

  // The right-click menu for list row `row` (-1: none).
  std::vector<MenuEntry> MenuEntries(int row) const;
  // Carries out a menu action on list row `row`, as if chosen from the menu.
  void RunMenuAction(int action, int row);

  QTreeWidget* List() const { return list_; }

 private:
  void OnContextMenu(const QPoint& pos);
  void Disconnect(int slot);

  Program& program_;
  QTreeWidget* list_ = nullptr;
  std::vector<ClientRow> shown_;
  bool shown_once_ = false;
};

}  // namespace varnholt
