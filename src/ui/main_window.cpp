#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "program/program.h"
#include "ui/about_window.h"
#include "ui/log_window.h"
#include "ui/options_dialog.h"
#include "ui/page.h"
#include "ui/settings_menu_popup.h"
#include "ui/tool_tip_switch.h"

namespace varnholt {
namespace {

// How long the pages wait after the worker's Commands before they show the tables again;
// a burst of Commands refreshes them once.
constexpr int kReloadDelayMs = 250;

const char* kStatusHelp[5] = {
    "The address and port remote administrators connect to.",
    "Whether the server runs as a dedicated server.",
    "Whether the game server is running.",
    "Whether Varnholt is connected to the server's remote console.",
    "Busy while Varnholt carries out an action in the background.",
};

}  // namespace

MainWindow::MainWindow(Program& program) : program_(program) {
  setWindowTitle(kProgramBanner);
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  buttons_ = new ButtonBar(central);
  tabs_ = new QTabWidget(central);
  for (int i = 0; i < kTabCount; ++i) {
    pages_[static_cast<size_t>(i)] = CreatePage(i, program_, tabs_);
    tabs_->addTab(pages_[static_cast<size_t>(i)], TabText(i));
  }
  layout->addWidget(buttons_);
  layout->addWidget(tabs_, 1);
  setCentralWidget(central);
  for (size_t i = 0; i < status_fields_.size(); ++i) {
    status_fields_[i] = new QLabel(this);
    status_fields_[i]->setToolTip(kStatusHelp[i]);
    statusBar()->addPermanentWidget(status_fields_[i], i == 0 ? 2 : 1);
  }
  tool_tips_ = new ToolTipSwitch(this);
  settings_menu_ = new SettingsMenuPopup(program_, this, server_task_);

  connect(tabs_, &QTabWidget::currentChanged, this, [this] { ReloadCurrentPage(); });
  connect(Button(BarButton::kStart), &QPushButton::clicked, this, [this] { StartStop(); });
  connect(Button(BarButton::kPause), &QPushButton::clicked, this, [this] { TogglePause(); });
  connect(Button(BarButton::kSave), &QPushButton::clicked, this, [this] { Save(); });
  connect(Button(BarButton::kRefresh), &QPushButton::clicked, this, [this] { Refresh(); });
  connect(Button(BarButton::kSettings), &QPushButton::clicked, this,
          [this] { ShowSettingsMenu(); });
  connect(Button(BarButton::kOptions), &QPushButton::clicked, this, [this] { ToggleOptions(); });
  connect(Button(BarButton::kLog), &QPushButton::clicked, this, [this] { ToggleLog(); });
  connect(Button(BarButton::kAbout), &QPushButton::clicked, this, [this] { ToggleAbout(); });
  connect(Button(BarButton::kExit), &QPushButton::clicked, this, [this] { Exit(); });
  connect(Button(BarButton::kHide), &QPushButton::clicked, this, [this] { ToggleHide(); });

  BuildTray();
  ApplyWindowOptions();
  resize(900, 620);
}

MainWindow::~MainWindow() {
  FinishBackgroundWork();
  if (busy_cursor_) QApplication::restoreOverrideCursor();
}

ButtonBar* MainWindow::Buttons() const {
  return buttons_;
}
QTabWidget* MainWindow::Tabs() const {
  return tabs_;
}
SettingsMenuPopup* MainWindow::SettingsPopup() const {
  return settings_menu_;
}
ToolTipSwitch* MainWindow::ToolTips() const {
  return tool_tips_;
}
QSystemTrayIcon* MainWindow::Tray() const {
  return tray_;
}
QPushButton* MainWindow::Button(BarButton button) const {
  return buttons_->Button(button);
}
Page* MainWindow::PageAt(int index) const {
  return pages_.at(static_cast<size_t>(index));
}
QLabel* MainWindow::StatusField(int index) const {
  return status_fields_.at(static_cast<size_t>(index));
}
OptionsDialog* MainWindow::Options() const {
  return options_;
}
LogWindow* MainWindow::LogView() const {
  return log_window_;
}
AboutWindow* MainWindow::About() const {
  return about_;
}

void MainWindow::BuildTray() {
  tray_ = new QSystemTrayIcon(style()->standardIcon(QStyle::SP_ComputerIcon), this);
  tray_->setToolTip("Varnholt");
  auto* menu = new QMenu(this);
  menu->addAction("Restore", this, [this] { RestoreFromTray(); });
  menu->addAction("Exit", this, [this] { Exit(); });
  tray_->setContextMenu(menu);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger && !isVisible()) RestoreFromTray();
  });
  if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
}

void MainWindow::ApplyWindowOptions() {
  const ProgramOptions& options = program_.Options();
  tool_tips_->SetEnabled(options.ToolTips);
  const bool on_top = options.AlwaysOnTop;
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on_top) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on_top);
    if (visible) show();
  }
}

void MainWindow::PostStartButtonText(const char* text) {
  QString label = QString::fromUtf8(text);
  QMetaObject::invokeMethod(
      this, [this, label] { Button(BarButton::kStart)->setText(label); }, Qt::QueuedConnection);
}

void MainWindow::PostPauseButtonText(const char* text) {
  QString label = QString::fromUtf8(text);
  QMetaObject::invokeMethod(
      this, [this, label] { Button(BarButton::kPause)->setText(label); }, Qt::QueuedConnection);
}

void MainWindow::PostStatus(const StatusTexts& texts) {
  QMetaObject::invokeMethod(
      this, [this, texts] { ShowStatus(texts); }, Qt::QueuedConnection);
}

void MainWindow::PostRefreshPages() {
  QMetaObject::invokeMethod(
      this, [this] { ReloadAllPages(); }, Qt::QueuedConnection);
}

void MainWindow::ShowStatus(const StatusTexts& texts) {
  if (detached_) return;
  if (!texts.title.empty()) setWindowTitle(QString::fromUtf8(texts.title.c_str()));
  for (size_t i = 0; i < status_fields_.size(); ++i) {
    status_fields_[i]->setText(QString::fromUtf8(texts.bar[i].c_str()));
  }
  const bool busy = texts.bar[4] == "Busy";
  if (busy && !busy_cursor_) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busy_cursor_ = true;
  } else if (!busy && busy_cursor_) {
    QApplication::restoreOverrideCursor();
    busy_cursor_ = false;
  }
  // The worker finished a Command: the tables it changed show on the page.
  if (!busy) ScheduleReload();
}

void MainWindow::ScheduleReload() {
  if (reload_pending_) return;
  reload_pending_ = true;
  QTimer::singleShot(kReloadDelayMs, this, [this] {
    reload_pending_ = false;
    ReloadCurrentPage();
  });
}

void MainWindow::ReloadCurrentPage() {
  if (detached_) return;
  if (auto* page = qobject_cast<Page*>(tabs_->currentWidget())) page->Reload();
}

void MainWindow::ReloadAllPages() {
  if (detached_) return;
  for (Page* page : pages_) page->Reload();
}

void MainWindow::StartStop() {
  QPushButton* start = Button(BarButton::kStart);
  Supervisor& supervisor = program_.Supervision();
  const bool started = server_task_.Run(
      [&supervisor] {
        supervisor.ResetRestartCount();
        return supervisor.ToggleServer();
      },
      [start](bool) { start->setEnabled(true); });
  // One start or stop at a time; the button comes back when it is done.
  if (started) start->setEnabled(false);
}

void MainWindow::TogglePause() {
  program_.Queue().QueueCommand(kCmdTogglePause, "", kOriginLocal, 0);
}

bool MainWindow::Save() {
  const bool saved = program_.Store().SaveAllChanges();
  ReloadAllPages();
  return saved;
}

void MainWindow::Refresh() {
  if (program_.Supervision().ServerRunning() && !program_.Link().ConsoleConnected()) {
    program_.Queue().QueueUniqueCommand(kCmdConsoleConnect, "", kOriginLocal, 0);
  } else {
    program_.Queue().QueueCommand(kCmdRefreshPage, "manual", kOriginLocal, 0);
  }
}

void MainWindow::ShowSettingsMenu() {
  QPushButton* button = Button(BarButton::kSettings);
  settings_menu_->Popup(button->mapToGlobal(QPoint(0, button->height())));
}

void MainWindow::ToggleOptions() {
  if (options_) {
    options_->close();
    return;
  }
  options_ = new OptionsDialog(this);
  options_->setAttribute(Qt::WA_DeleteOnClose);
  options_->ShowOptions(program_.Options());
  connect(options_, &QDialog::accepted, this, [this] { ApplyOptions(); });
  options_->show();
}

bool MainWindow::ApplyOptions() {
  if (!options_) return false;
  const bool written = program_.ChangeProgramOptions(options_->ChosenOptions(program_.Options()));
  if (!written) {
    program_.Log().ShowMessage(kMessageError, "Couldn't write program options to Varnholt.ini!");
  }
  ApplyWindowOptions();
  return written;
}

void MainWindow::ToggleLog() {
  if (log_window_) {
    log_window_->close();
    return;
  }
  log_window_ = new LogWindow(program_.Log(), this);
  log_window_->setAttribute(Qt::WA_DeleteOnClose);
  log_window_->LoadLog();
  log_window_->show();
}

void MainWindow::ToggleAbout() {
  if (about_) {
    about_->close();
    return;
  }
  about_ = new AboutWindow(this);
  about_->setAttribute(Qt::WA_DeleteOnClose);
  about_->show();
}

bool MainWindow::Exit() {
  if (exiting_) return true;
  if (program_.Store().HasUnsavedChanges() &&
      program_.Log().ShowMessage(kMessageQuestion, "%s", kUnsavedExitQuestion) != kButtonYes) {
    return false;
  }
  exiting_ = true;
  Button(BarButton::kExit)->setEnabled(false);
  FinishBackgroundWork();
  program_.ShutdownProgram(0);
  return true;
}

void MainWindow::ToggleHide() {
  // The server has no console window of its own here; the choice is kept for the next run
  // and for remote clients.
  ProgramOptions options = program_.Options();
  options.HideWindow = !options.HideWindow;
  program_.ChangeProgramOptions(options);
}

void MainWindow::RestoreFromTray() {
  setWindowFlag(Qt::Tool, false);
  showNormal();
  activateWindow();
}

void MainWindow::HideToTray() {
  hide();
  // Only the tray icon stands for the program while it is hidden.
  setWindowFlag(Qt::Tool, true);
}

void MainWindow::FinishBackgroundWork() {
  server_task_.Wait();
}

void MainWindow::Detach() {
  FinishBackgroundWork();
  detached_ = true;
  setEnabled(false);
  if (busy_cursor_) {
    QApplication::restoreOverrideCursor();
    busy_cursor_ = false;
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing the window ends the program, in order.
  if (exiting_ || Exit()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMinimized() &&
      QSystemTrayIcon::isSystemTrayAvailable()) {
    // Minimised, the program lives in the tray.
    QTimer::singleShot(0, this, [this] { HideToTray(); });
  }
}

}  // namespace varnholt
