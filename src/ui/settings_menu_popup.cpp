#include "ui/settings_menu_popup.h"

#include <QFileDialog>
#include <QMenu>
#include <QWidget>

#include "program/program.h"

namespace varnholt {

namespace text = settings_menu_text;

SettingsMenuPopup::SettingsMenuPopup(Program& program, QWidget* parent_window,
                                     BackgroundTask& server_task)
    : QObject(parent_window),
      program_(program),
      parent_window_(parent_window),
      menu_(program.Store()),
      task_(server_task) {
  ServerControlHooks hooks;
  hooks.running = [&program] { return program.Supervision().ServerRunning(); };
  hooks.stop = [&program] { return program.Supervision().StopServer(); };
  hooks.start = [&program] {
    program.Supervision().ResetRestartCount();
    return program.Supervision().StartServer();
  };
  hooks.pump_wait = [&program](uint32_t ms) { program.ProgramClock().SleepMs(ms); };
  menu_.SetServerControl(std::move(hooks));
}

QMenu* SettingsMenuPopup::BuildMenu() {
  auto* menu = new QMenu(parent_window_);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const bool running = program_.Supervision().ServerRunning();
  menu->addAction(text::kImport, this, [this] {
    if (!ConfirmImport()) return;
    std::string path = ChooseFileToLoad();
    if (!path.empty()) ImportFrom(path);
  });
  menu->addAction(text::kExport, this, [this] {
    std::string path = ChooseFileToSave();
    if (!path.empty()) ExportTo(path);
  });
  menu->addAction(text::kDefaults, this, [this] {
    if (ConfirmDefaults()) ResetToDefaults();
  });
  QAction* switch_action = menu->addAction(text::kSwitch, this, [this] {
    if (!ConfirmDiscardingEdits()) return;
    std::string path = ChooseFileToLoad();
    if (!path.empty()) SwitchTo(path);
  });
  switch_action->setEnabled(!task_.Busy());
  menu->addSeparator();
  menu->addAction(text::kDumpPunkBuster, this, [this] { menu_.DumpPunkBusterSettings(); })
      ->setEnabled(running);
  menu->addAction(text::kEditPunkBuster, this, [this] { menu_.EditPunkBusterSettings(); });
  menu->addAction(text::kLoadPunkBuster, this, [this] { menu_.LoadPunkBusterSettings(); })
      ->setEnabled(running);
  menu->addSeparator();
  menu->addAction(text::kEditCustomCombat, this, [this] { menu_.EditCustomCombatSettings(); });
  return menu;
}

void SettingsMenuPopup::Popup(const QPoint& where) {
  BuildMenu()->popup(where);
}

bool SettingsMenuPopup::ConfirmImport() {
  return program_.Log().ShowMessage(kMessageYesNoWarning, "%s", text::kImportConfirm) == kButtonYes;
}

bool SettingsMenuPopup::ConfirmDefaults() {
  return program_.Log().ShowMessage(kMessageYesNoWarning, "%s", text::kDefaultsConfirm) ==
         kButtonYes;
}

bool SettingsMenuPopup::ConfirmDiscardingEdits() {
  if (!program_.Store().HasUnsavedChanges()) return true;
  return program_.Log().ShowMessage(kMessageQuestion, "%s", kUnsavedSwitchQuestion) == kButtonYes;
}

std::string SettingsMenuPopup::ChooseFileToLoad() {
  QString start = QString::fromStdString(program_.SettingsFolder() + "/" + text::kDefaultFileName);
  QString path = QFileDialog::getOpenFileName(parent_window_, text::kLoadTitle, start,
                                              QString(text::kFileFilterName));
  return path.toStdString();
}

std::string SettingsMenuPopup::ChooseFileToSave() {
  QString start = QString::fromStdString(program_.SettingsFolder() + "/" + text::kDefaultFileName);
  QFileDialog dialog(parent_window_, text::kSaveTitle, start, QString(text::kFileFilterName));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(text::kDefaultExtension);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front().toStdString();
}

bool SettingsMenuPopup::ImportFrom(const std::string& path) {
  return menu_.ImportServerSettings(path);
}

bool SettingsMenuPopup::ExportTo(const std::string& path) {
  return menu_.ExportServerSettings(path);
}

void SettingsMenuPopup::ResetToDefaults() {
  menu_.DefaultServerSettings(program_.Interfaces().First());
}

bool SettingsMenuPopup::SwitchTo(const std::string& path) {
  return task_.Run([this, path] { return menu_.SwitchServerConfig(path); }, nullptr);
}

}  // namespace varnholt
