// One of the five settings pages (Server, Game, Friendly Fire, Misc, Admin): a control for
// every setting of the page, each writing its row into the SettingsTable as soon as the user
// changes it (Save writes the files and tells the server). The Admin page also opens the
// banned words and the announcements in the text editor and chooses the statistics file.
// User-interface thread only; the worker changes the table behind it, and Reload shows that.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/setting_def.h"
#include "settings/settings_menu.h"
#include "settings/settings_table.h"
#include "ui/page.h"

class QLineEdit;
class QVBoxLayout;

namespace varnholt {

class SettingEditor;

class SettingsPage final : public Page {
  Q_OBJECT
 public:
  SettingsPage(Program& program, SettingPage page, QWidget* parent = nullptr);
  ~SettingsPage() override;

  // Shows the table's current values; controls whose rows did not change are left alone.
  void Reload() override;

  SettingPage Which() const { return page_; }
  // The rows that have a control on this page, in table order.
  std::vector<int> Rows() const;
  // The control that shows `row`, or nullptr when the row is not on this page. The two rows
  // of a pair (team ratios, spawn times) answer the same control.
  QWidget* ControlOf(int row) const;

  // The Admin page's actions: open the banned words or the announcements in the text
  // editor (the next save takes them up), and make `path` the statistics file: it must lie
  // inside the game folder and is kept relative to it. Each reports its own failure.
  bool EditBannedWords();
  bool EditAnnouncements();
  bool ChooseStatisticsFile(const std::string& path);

 private slots:
  void BrowseStatisticsFile();
  // A path typed into the statistics file box is checked as a chosen one when the user
  // leaves the box; a refused one gives way to the last accepted file.
  void CheckTypedStatisticsFile();

 private:
  void BuildControls();
  void AddAdminButtons(QVBoxLayout* layout);
  QWidget* WithBrowseButton(QWidget* edit);

  Program& program_;
  SettingPage page_;
  SettingsMenu menu_;
  std::vector<std::unique_ptr<SettingEditor>> editors_;
  std::vector<SettingEditor*> editor_of_row_;  // indexed by row; nullptr off this page
  QLineEdit* statistics_edit_ = nullptr;
  std::string accepted_statistics_file_;
  // The values the controls showed after the last Reload.
  SettingValues shown_;
  bool shown_once_ = false;
};

}  // namespace varnholt
