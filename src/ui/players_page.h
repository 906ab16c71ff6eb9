// The Players page: the players on the server as the last rebuild of the player list found
// them, the player menu on a right click, and a one-line chat box whose Enter sends the
// line to every player.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/game_link.h"
#include "gamelink/player_list.h"
#include "ui/list_view_rows.h"
#include "ui/page.h"

class QLineEdit;
class QTreeWidget;

namespace varnholt {

class CustomMessageDialog;

class PlayersPage : public Page {
  Q_OBJECT
 public:
  explicit PlayersPage(Program& program, QWidget* parent = nullptr);

  void Reload() override;

  // Enter in the chat box: sends its line and clears it; an empty line only beeps.
  void SendChatLine();

  // The player menu for list row `row` (-1: none): the lines of PlayerMenu.con, then the
  // fixed items. Empty when the file cannot be read (logged).
  std::vector<MenuEntry> MenuEntries(int row);
  // Carries out a menu item on list row `row` (-1: none), as if chosen from the menu.
  // "Custom kick..." and "Custom ban..." open the message box; its OK calls the methods
  // below.
  void RunMenuAction(int action, int row);
  // Kicks or permanently bans the player the menu was opened on, if he still has his id,
  // with `reason`.
  bool CustomKick(const PlayerRecord& opened_on, const std::string& reason);
  bool CustomBan(const PlayerRecord& opened_on, const std::string& reason);

  QTreeWidget* List() const { return list_; }
  QLineEdit* ChatBox() const { return chat_; }
  // The custom kick/ban box while it is open, else nullptr.
  CustomMessageDialog* MessageBox() const { return message_box_; }

 private:
  void OnContextMenu(const QPoint& pos);
  void OnHeaderClicked(int column);
  void RunMenuActionOn(int action, const PlayerRecord* player);
  void AskCustomMessage(const PlayerRecord& player, bool ban);
  void CopyKeyhashToUser(const PlayerRecord& player, size_t account);

  Program& program_;
  QTreeWidget* list_ = nullptr;
  QLineEdit* chat_ = nullptr;
  CustomMessageDialog* message_box_ = nullptr;
  std::vector<PlayerRecord> shown_;
  bool shown_once_ = false;
  int sort_column_ = -1;
  bool sort_descending_ = false;
};

}  // namespace varnholt
