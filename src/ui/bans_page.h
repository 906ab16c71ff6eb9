// The Bans page: the BanList with its identities, times and reasons, fields to type a ban by
// hand, Save (ban), Delete (unban) and Clear, and a menu to verify and sync the list with
// the server's own ban files and to export or import it. The page runs on the
// user-interface thread: it only queues the ban Commands and reads the list through its
// copying accessor; export and import touch only the list and the chosen file.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "bans/ban_page.h"
#include "bans/ban_record.h"
#include "ui/list_view_rows.h"
#include "ui/page.h"

class QLineEdit;
class QPoint;
class QPushButton;
class QTreeWidget;

namespace varnholt {

class Program;

class BansPage : public Page {
  Q_OBJECT
 public:
  enum MenuAction {
    kMenuSeparator = -1,
    kMenuVerify = 0,
    kMenuSyncTo,
    kMenuSyncFrom,
    kMenuExport,
    kMenuImport,
  };
  // An entry without text is a separator (its action kMenuSeparator).
  using MenuEntry = varnholt::MenuEntry;

  explicit BansPage(Program& program, QWidget* parent = nullptr);

  void Reload() override;

  // The fields as typed, and filling them (selecting a row does this).
  BanPageForm Form() const;
  void SetForm(const BanPageForm& form);

  // The buttons. Each returns true when it queued its Command.
  bool SaveBan();
  bool DeleteBan();
  bool ClearBans();

  // The list's menu, in its order, and carrying out one of its entries. Export and import
  // open file dialogs; the work is in ExportBanList and ImportBanList.
  std::vector<MenuEntry> MenuEntries() const;
  bool RunMenuAction(int action);
  bool ExportBanList(const std::string& path);
  // Asks first; false when the operator declined.
  bool ConfirmImport();
  bool ImportBanList(const std::string& path);

  // The record of the selected row, or false with none.
  bool SelectedRecord(BanRecord* record) const;
  void SelectRow(int row);

  QTreeWidget* List() const { return list_; }
  QLineEdit* NameField() const { return name_; }
  QLineEdit* AddressField() const { return address_; }
  QLineEdit* KeyhashField() const { return keyhash_; }
  QLineEdit* GuidField() const { return guid_; }
  QLineEdit* ReasonField() const { return reason_; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* ClearButton() const { return clear_; }

 private:
  void ShowMenu(const QPoint& at);
  void OnSelectionChanged();
  bool Ask(int kind, const char* question);
  bool Queue(uint32_t code, const std::string& text);
  void RebuildList(const std::vector<BanRecord>& records);

  Program& program_;
  QTreeWidget* list_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* address_ = nullptr;
  QLineEdit* keyhash_ = nullptr;
  QLineEdit* guid_ = nullptr;
  QLineEdit* reason_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* clear_ = nullptr;
  // The records the list shows, in list order; a row's item keeps its index here.
  std::vector<BanRecord> shown_;
};

}  // namespace varnholt
