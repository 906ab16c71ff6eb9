// The main window: the button bar, the twelve page tabs, the status bar and the title, the
// tray icon, and the options, log and information windows. It only edits the in-memory
// tables, sets dirty flags and queues Commands; what takes longer than a moment (starting,
// stopping or switching the server) runs on its background task.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>

#include "program/status_display.h"
#include "ui/background_task.h"
#include "ui/button_bar.h"
#include "ui/page_factory.h"

class QLabel;
class QSystemTrayIcon;
class QTabWidget;

namespace varnholt {

class AboutWindow;
class LogWindow;
class OptionsDialog;
class Page;
class Program;
class SettingsMenuPopup;
class ToolTipSwitch;

constexpr const char* kUnsavedExitQuestion =
    "There are unsaved changes. Do you want to quit without saving them?";

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(Program& program);
  ~MainWindow() override;

  // From any thread: handed to the user-interface thread.
  void PostStartButtonText(const char* text);
  void PostPauseButtonText(const char* text);
  void PostStatus(const StatusTexts& texts);
  void PostRefreshPages();

  // What the buttons do.
  void StartStop();
  void TogglePause();
  bool Save();
  void Refresh();
  void ShowSettingsMenu();
  void ToggleOptions();
  void ToggleLog();
  void ToggleAbout();
  // Asks first when edits would be lost; false when the operator chose to stay.
  bool Exit();
  void ToggleHide();

  // The options dialog's OK: applies and writes the options.
  bool ApplyOptions();
  // Shows the title and status bar; the busy state shows the busy cursor.
  void ShowStatus(const StatusTexts& texts);
  void ReloadCurrentPage();
  void ReloadAllPages();
  // Shows the window from the tray, or hides it there.
  void RestoreFromTray();
  void HideToTray();
  // Waits for a server action still running, before the program goes down.
  void FinishBackgroundWork();
  // The program is going down: from here on the window shows nothing more and does nothing.
  void Detach();

  ButtonBar* Buttons() const;
  QPushButton* Button(BarButton button) const;
  QTabWidget* Tabs() const;
  Page* PageAt(int index) const;
  QLabel* StatusField(int index) const;
  OptionsDialog* Options() const;
  LogWindow* LogView() const;
  AboutWindow* About() const;
  SettingsMenuPopup* SettingsPopup() const;
  ToolTipSwitch* ToolTips() const;
  BackgroundTask& ServerTask() { return server_task_; }
  QSystemTrayIcon* Tray() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildTray();
  void ApplyWindowOptions();
  void ScheduleReload();

  Program& program_;
  ButtonBar* buttons_;
  QTabWidget* tabs_;
  std::array<Page*, kTabCount> pages_{};
  std::array<QLabel*, 5> status_fields_{};
  QPointer<OptionsDialog> options_;
  QPointer<LogWindow> log_window_;
  QPointer<AboutWindow> about_;
  SettingsMenuPopup* settings_menu_;
  ToolTipSwitch* tool_tips_;
  QSystemTrayIcon* tray_ = nullptr;
  BackgroundTask server_task_;
  bool busy_cursor_ = false;
  bool reload_pending_ = false;
  bool exiting_ = false;
  bool detached_ = false;
};

}  // namespace varnholt
