// The Settings button's menu: import, export, defaults, switching the configuration, and
// the PunkBuster and CustomCombat tools, with their questions and file choosers. Switching
// stops and starts the server, so it runs off the user-interface thread.
#pragma once

#include <QObject>
#include <string>

#include "settings/settings_menu.h"
#include "ui/background_task.h"

class QMenu;
class QWidget;

namespace varnholt {

class Program;

class SettingsMenuPopup : public QObject {
  Q_OBJECT
 public:
  // Switching runs on `server_task`, the window's one runner of server actions, so it never
  // overlaps a start or stop.
  SettingsMenuPopup(Program& program, QWidget* parent_window, BackgroundTask& server_task);

  // Opens the menu at `where` (global position).
  void Popup(const QPoint& where);

  // The entries' work once the questions are answered and the file chosen.
  bool ImportFrom(const std::string& path);
  bool ExportTo(const std::string& path);
  void ResetToDefaults();
  // Starts the switch in the background; false when another server action still runs.
  bool SwitchTo(const std::string& path);
  // The questions the entries ask first; true to go on.
  bool ConfirmImport();
  bool ConfirmDefaults();
  // Asked before a switch would replace unsaved edits.
  bool ConfirmDiscardingEdits();

 private:
  QMenu* BuildMenu();
  std::string ChooseFileToLoad();
  std::string ChooseFileToSave();

  Program& program_;
  QWidget* parent_window_;
  SettingsMenu menu_;
  BackgroundTask& task_;
};

// Asked before quitting or switching would lose edits.
constexpr const char* kUnsavedSwitchQuestion =
    "There are unsaved changes. Switching the server config replaces them. Do you want to "
    "continue?";

}  // namespace varnholt
