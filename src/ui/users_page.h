// The Users page: the accounts of remote and in-game administrators with their access, the
// fields and twelve page-right boxes to edit one, Save and Delete, and the account menu
// (random password, the extra rights, presets, admin, export and import). Edits change the
// accounts in memory and mark them for the settings Save; nothing is written before it.
// Runs on the user-interface thread; the accounts guard themselves.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "remote/access_rights.h"
#include "remote/account_edits.h"
#include "remote/user_access_file.h"
#include "ui/list_view_rows.h"
#include "ui/page.h"

class QCheckBox;
class QLineEdit;
class QPoint;
class QPushButton;
class QTreeWidget;

namespace varnholt {

class Program;

class UsersPage : public Page {
  Q_OBJECT
 public:
  // Menu actions; the presets follow kMenuPreset in their order.
  enum MenuAction {
    kMenuSeparator = -1,
    kMenuRandomPassword = 0,
    kMenuToggleStartStop,  // bits 12 to 18 in order
    kMenuToggleViewLog,
    kMenuToggleMultipleLogins,
    kMenuToggleCriticalSettings,
    kMenuToggleConsoleCommands,
    kMenuTogglePunkBuster,
    kMenuToggleCustomCombat,
    kMenuEditPresets,
    kMenuGrantAdmin,
    kMenuRevokeAll,
    kMenuExport,
    kMenuImport,
    kMenuPreset = 100,
  };
  // An entry without text is a separator (its action kMenuSeparator).
  using MenuEntry = varnholt::MenuEntry;
  static constexpr int kPageBoxCount = 12;

  explicit UsersPage(Program& program, QWidget* parent = nullptr);

  void Reload() override;

  // The buttons; false when the save was refused (the reason was shown) or nothing was
  // selected to delete.
  bool SaveUser();
  bool DeleteUser();

  // The page-right bits of the checked boxes, and checking the boxes of a rights value.
  AccessRights CheckedPageRights() const;
  void ShowPageRights(AccessRights rights);

  // The account menu for the selected account (a shorter one without) and its actions.
  std::vector<MenuEntry> MenuEntries() const;
  bool RunMenuAction(int action);
  bool ExportUserList(const std::string& path);
  bool ImportUserList(const std::string& path);

  // The selected account as it is now, if any; selecting one by name.
  std::optional<UserAccount> SelectedAccount() const;
  bool SelectUser(const std::string& name);

  QTreeWidget* List() const { return list_; }
  QLineEdit* NameField() const { return name_; }
  QLineEdit* PasswordField() const { return password_; }
  QLineEdit* KeyhashField() const { return keyhash_; }
  QCheckBox* PageBox(int index) const { return boxes_[static_cast<size_t>(index)]; }
  QCheckBox* ShowPasswordBox() const { return show_password_; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* DeleteButton() const { return delete_; }

 private:
  void ShowMenu(const QPoint& at);
  void OnSelectionChanged();
  void RefuseBlank(QLineEdit* field, const char* message);
  bool ChangeSelected(const std::function<void(UserAccount&)>& change);
  std::string OptionsPath() const;
  std::vector<RightsPreset> Presets() const;
  void Show(const std::vector<UserAccount>& accounts);

  Program& program_;
  QTreeWidget* list_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* keyhash_ = nullptr;
  QCheckBox* show_password_ = nullptr;
  std::array<QCheckBox*, kPageBoxCount> boxes_{};
  QPushButton* save_ = nullptr;
  QPushButton* delete_ = nullptr;
  // What the list shows, to rebuild only on a change (names, rights, keyhash, active, and
  // whether a password is set).
  std::vector<UserAccount> shown_;
  bool shown_once_ = false;
};

}  // namespace varnholt
