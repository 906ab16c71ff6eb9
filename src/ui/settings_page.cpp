#include "ui/settings_page.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <filesystem>

#include "log/error_text.h"
#include "platform/confined_path.h"
#include "platform/last_error.h"
#include "program/program.h"
#include "ui/setting_controls.h"
#include "ui/setting_help.h"

namespace varnholt {
namespace {

constexpr const char* kStatisticsFileFailure = "Couldn't set the statistics file!";

// The statistics file as the setting holds it: a "/" separated path below the game folder.
// Empty when `chosen` lies outside it.
std::string PathInGameFolder(const std::string& game_folder, const std::string& chosen) {
  namespace fs = std::filesystem;
  fs::path path = fs::path(chosen).lexically_normal();
  if (path.is_absolute()) {
    path = path.lexically_relative(fs::path(game_folder).lexically_normal());
  }
  if (path.empty() || path == "." || path.is_absolute() || *path.begin() == "..") return "";
  return path.generic_string();
}

}  // namespace

SettingsPage::SettingsPage(Program& program, SettingPage page, QWidget* parent)
    : Page(parent), program_(program), page_(page), menu_(program.Store()) {
  editor_of_row_.assign(kSettingCount, nullptr);
  BuildControls();
  Reload();
}

SettingsPage::~SettingsPage() {
  // The field loses its focus while the widgets below are torn down, after this page's
  // own part is gone: it must no longer reach the page.
  if (statistics_edit_ != nullptr) disconnect(statistics_edit_, nullptr, this, nullptr);
}

void SettingsPage::BuildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  outer->addWidget(scroll);

  auto* content = new QWidget(scroll);
  auto* column = new QVBoxLayout(content);
  auto* form = new QFormLayout();
  column->addLayout(form);
  const InterfaceList& interfaces = program_.Interfaces();
  AddressSource addresses = [&interfaces] { return interfaces.Addresses(); };

  for (int row = 0; row < kSettingCount; ++row) {
    if (kSettingDefs[row].page != page_) continue;
    const int partner = PairedSettingRow(row);
    if (partner >= 0 && partner < row) {
      editor_of_row_[row] = editor_of_row_[partner];
      continue;
    }
    std::unique_ptr<SettingEditor> editor =
        MakeSettingEditor(row, program_.Settings(), addresses, content);
    if (!editor) continue;
    QWidget* control = editor->Widget();
    if (row == setting_rows::kStatFilePath) {
      statistics_edit_ = static_cast<QLineEdit*>(control);
      connect(statistics_edit_, &QLineEdit::editingFinished, this,
              &SettingsPage::CheckTypedStatisticsFile);
      control = WithBrowseButton(control);
    }
    if (editor->HasOwnCaption()) {
      form->addRow(control);
    } else {
      auto* caption = new QLabel(QString::fromLatin1(SettingLabelText(row)), content);
      caption->setToolTip(QString::fromLatin1(SettingHelpText(row)));
      caption->setBuddy(editor->Widget());
      form->addRow(caption, control);
    }
    editor_of_row_[row] = editor.get();
    editors_.push_back(std::move(editor));
  }
  if (page_ == kPageAdmin) AddAdminButtons(column);
  column->addStretch(1);
  scroll->setWidget(content);
}

QWidget* SettingsPage::WithBrowseButton(QWidget* edit) {
  auto* frame = new QWidget(edit->parentWidget());
  auto* layout = new QHBoxLayout(frame);
  layout->setContentsMargins(0, 0, 0, 0);
  edit->setParent(frame);
  layout->addWidget(edit, 1);
  auto* browse = new QPushButton(tr("&Browse..."), frame);
  browse->setObjectName("browseStatisticsFile");
  browse->setToolTip(
      tr("Click to choose the file, inside the game folder, that player "
         "statistics are appended to."));
  connect(browse, &QPushButton::clicked, this, &SettingsPage::BrowseStatisticsFile);
  layout->addWidget(browse);
  return frame;
}

void SettingsPage::AddAdminButtons(QVBoxLayout* layout) {
  auto* buttons = new QHBoxLayout();
  auto* words = new QPushButton(tr("Edit Banned &Words"), layout->parentWidget());
  words->setObjectName("editBannedWords");
  words->setToolTip(
      tr("Click to edit the banned words in the text editor; the next save "
         "puts the changes into effect."));
  connect(words, &QPushButton::clicked, this, [this] { EditBannedWords(); });
  auto* announcements = new QPushButton(tr("Edit &Announcements"), layout->parentWidget());
  announcements->setObjectName("editAnnouncements");
  announcements->setToolTip(
      tr("Click to edit the announcements in the text editor; the next "
         "save puts the changes into effect."));
  connect(announcements, &QPushButton::clicked, this, [this] { EditAnnouncements(); });
  buttons->addWidget(words);
  buttons->addWidget(announcements);
  buttons->addStretch(1);
  layout->addLayout(buttons);
}

void SettingsPage::Reload() {
  const SettingValues values = program_.Settings().CopyValues();
  if (shown_once_ && values == shown_) return;
  // A statistics file that differs from what the box shows came from a load, not from the
  // user's typing: it is the one to go back to when the user types a path that is refused.
  const std::string& statistics_file = values[setting_rows::kStatFilePath].text;
  if (statistics_edit_ != nullptr &&
      (!shown_once_ || statistics_edit_->text().toLatin1().toStdString() != statistics_file)) {
    accepted_statistics_file_ = statistics_file;
  }
  for (const std::unique_ptr<SettingEditor>& editor : editors_) {
    bool changed = !shown_once_;
    for (int row : editor->Rows()) changed = changed || !(values[row] == shown_[row]);
    if (changed) editor->Show(values);
  }
  shown_ = values;
  shown_once_ = true;
}

std::vector<int> SettingsPage::Rows() const {
  std::vector<int> rows;
  for (int row = 0; row < kSettingCount; ++row) {
    if (editor_of_row_[row] != nullptr) rows.push_back(row);
  }
  return rows;
}

QWidget* SettingsPage::ControlOf(int row) const {
  if (row < 0 || row >= kSettingCount || editor_of_row_[row] == nullptr) return nullptr;
  return editor_of_row_[row]->Widget();
}

bool SettingsPage::EditBannedWords() {
  return program_.EditBannedWords();
}

bool SettingsPage::EditAnnouncements() {
  return menu_.EditAnnouncements();
}

bool SettingsPage::ChooseStatisticsFile(const std::string& path) {
  if (path.empty()) {
    program_.Log().ShowMessage(kMessageError, "%s The name is empty.", kStatisticsFileFailure);
    return false;
  }
  const std::string relative = PathInGameFolder(program_.GameFolder(), path);
  if (relative.empty()) {
    program_.Log().ShowMessage(kMessageError, "%s %s is not inside the game folder %s.",
                               kStatisticsFileFailure, path.c_str(), program_.GameFolder().c_str());
    return false;
  }
  if (relative.size() > static_cast<size_t>(kSettingDefs[setting_rows::kStatFilePath].high_bound)) {
    program_.Log().ShowMessage(kMessageError, "%s The path is longer than %i characters.",
                               kStatisticsFileFailure,
                               kSettingDefs[setting_rows::kStatFilePath].high_bound);
    return false;
  }
  std::string resolved;
  if (!ResolveConfinedPath(program_.GameFolder(), relative, &resolved)) {
    program_.Log().ShowMessage(kMessageError, "%s %s", kStatisticsFileFailure,
                               ErrorText(GetLastErrorCode()));
    return false;
  }
  program_.Settings().SetText(setting_rows::kStatFilePath, relative);
  accepted_statistics_file_ = relative;
  Reload();
  return true;
}

void SettingsPage::CheckTypedStatisticsFile() {
  const std::string typed = statistics_edit_->text().toLatin1().toStdString();
  if (typed == accepted_statistics_file_ || ChooseStatisticsFile(typed)) return;
  // The box writes the table as it changes, so putting the text back restores both.
  statistics_edit_->setText(QString::fromLatin1(accepted_statistics_file_.c_str()));
}

void SettingsPage::BrowseStatisticsFile() {
  namespace fs = std::filesystem;
  const std::string current = program_.Settings().GetText(setting_rows::kStatFilePath);
  const fs::path start = fs::path(program_.GameFolder()) / current;
  const QString chosen = QFileDialog::getSaveFileName(
      this, tr("Select the statistics file"), QString::fromStdString(start.string()),
      tr("CSV Files (*.csv);;All Files (*)"), nullptr, QFileDialog::DontConfirmOverwrite);
  if (!chosen.isEmpty()) ChooseStatisticsFile(chosen.toStdString());
}

}  // namespace varnholt
