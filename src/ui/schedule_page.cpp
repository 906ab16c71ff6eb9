#include "ui/schedule_page.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "program/program.h"
#include "schedule/schedule.h"
#include "schedule/time_conversions.h"

namespace varnholt {
namespace {

enum Column { kDate, kTime, kAction, kRecurrence, kSettings, kMaplist };
constexpr int kEventTimeRole = Qt::UserRole;
constexpr const char* kTimeFormat = "HH:mm:ss";
constexpr const char* kScheduleFilter = "Config Files (*.con)";

constexpr const char* kActions[] = {kActionStart, kActionStartWait, kActionStop, kActionStopWait};
constexpr const char* kRecurrences[] = {
    "None",     "Daily",  "Sunday",   "Monday",        "Tuesday",       "Wednesday",
    "Thursday", "Friday", "Saturday", "Weekdays only", "Weekends only",
};

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// The locale's short date with a four-digit year: a two-digit year typed into the picker
// would land in the last century and be refused as past.
QString PickerDateFormat() {
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  if (!format.contains("yyyy")) format.replace("yy", "yyyy");
  return format;
}

// The local date and time of `seconds`, or an invalid pair when the zone rules cannot place
// it.
bool LocalDateTime(int64_t seconds, QDate* date, QTime* time) {
  CalendarFields local;
  if (!SecondsToLocalFields(seconds, &local)) return false;
  *date = QDate(local.year, local.month, local.day);
  *time = QTime(local.hour, local.minute, local.second);
  return date->isValid() && time->isValid();
}

QPushButton* Button(const char* text, const char* tip) {
  auto* button = new QPushButton(text);
  button->setToolTip(tip);
  return button;
}

}  // namespace

SchedulePage::SchedulePage(Program& program, QWidget* parent) : Page(parent), program_(program) {
  list_ = new QTreeWidget;
  list_->setHeaderLabels({"Date", "Time", "Action", "Recurrence", "Settings", "Maplist"});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip(
      "Scheduled server events. The check mark enables an event; click an event to edit it "
      "below; right-click to export or import the schedule.");

  date_ = new QDateEdit;
  date_->setCalendarPopup(true);
  date_->setDisplayFormat(PickerDateFormat());
  date_->setToolTip("Date of the event; for a recurring event only its time of day counts.");
  time_ = new QTimeEdit;
  time_->setDisplayFormat(kTimeFormat);
  time_->setToolTip("Local time of day of the event.");
  action_ = new QComboBox;
  for (const char* action : kActions) action_->addItem(action);
  action_->setToolTip(
      "What the event does: start (or restart) or stop the server, now or at the end of the "
      "current game (wait).");
  recurrence_ = new QComboBox;
  for (const char* recurrence : kRecurrences) recurrence_->addItem(recurrence);
  recurrence_->setToolTip(
      "How often the event happens: once, daily, on one weekday, on "
      "weekdays or on weekends.");
  settings_ = new QLineEdit;
  settings_->setToolTip(
      "Server settings file a start event loads, inside the server's settings folder.");
  maplist_ = new QLineEdit;
  maplist_->setToolTip("Map list file a start event loads, inside the server's settings folder.");
  auto* browse_settings =
      Button("Browse...", "Click to choose the settings file of a start event.");
  auto* browse_maplist = Button("Browse...", "Click to choose the map list file of a start event.");
  save_ = Button("&Save", "Click to save the event entered above.");
  delete_ = Button("&Delete", "Click to delete the selected event.");
  delete_->setEnabled(false);

  auto* when = new QHBoxLayout;
  when->addWidget(date_);
  when->addWidget(time_);
  when->addStretch();
  auto* settings_row = new QHBoxLayout;
  settings_row->addWidget(settings_, 1);
  settings_row->addWidget(browse_settings);
  auto* maplist_row = new QHBoxLayout;
  maplist_row->addWidget(maplist_, 1);
  maplist_row->addWidget(browse_maplist);
  auto* fields = new QFormLayout;
  fields->addRow("Date/Time", when);
  fields->addRow("Action", action_);
  fields->addRow("Recurrence", recurrence_);
  fields->addRow("Settings", settings_row);
  fields->addRow("Maplist", maplist_row);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(delete_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  connect(save_, &QPushButton::clicked, this, [this] { SaveEvent(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteEvent(); });
  connect(browse_settings, &QPushButton::clicked, this,
          [this] { Browse(settings_, "Select server settings file"); });
  connect(browse_maplist, &QPushButton::clicked, this,
          [this] { Browse(maplist_, "Select map list file"); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
  connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (column != kDate) return;
    const int64_t time = item->data(kDate, kEventTimeRole).toLongLong();
    program_.EventSchedule().EnableEvent(time, item->checkState(kDate) == Qt::Checked);
    QMetaObject::invokeMethod(
        this, [this] { Reload(); }, Qt::QueuedConnection);
  });
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowMenu(at); });
  ShowEvent(nullptr);
}

void SchedulePage::Reload() {
  const std::vector<ScheduledEvent> events = program_.EventSchedule().Events();
  if (shown_once_ && events == shown_) return;
  Show(events);
  shown_ = events;
  shown_once_ = true;
}

void SchedulePage::Show(const std::vector<ScheduledEvent>& events) {
  const std::optional<int64_t> selected = SelectedTime();
  const int scroll = list_->verticalScrollBar()->value();
  list_->setUpdatesEnabled(false);
  const bool blocked = list_->blockSignals(true);
  list_->clear();
  const QLocale locale;
  QTreeWidgetItem* reselect = nullptr;
  for (const ScheduledEvent& event : events) {
    QDate date;
    QTime time;
    const bool placed = LocalDateTime(event.time, &date, &time);
    auto* item = new QTreeWidgetItem(
        QStringList{placed ? locale.toString(date, QLocale::ShortFormat) : QString(),
                    placed ? time.toString(kTimeFormat) : QString(), Text(event.action),
                    Text(event.recurrence), Text(event.settings), Text(event.maplist)});
    item->setData(kDate, kEventTimeRole, static_cast<qlonglong>(event.time));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(kDate, event.enabled ? Qt::Checked : Qt::Unchecked);
    list_->addTopLevelItem(item);
    if (selected && *selected == event.time) reselect = item;
  }
  if (reselect) list_->setCurrentItem(reselect);
  list_->blockSignals(blocked);
  list_->verticalScrollBar()->setValue(scroll);
  list_->setUpdatesEnabled(true);
  delete_->setEnabled(reselect != nullptr);
  if (selected && !reselect) ShowEvent(nullptr);
}

std::optional<int64_t> SchedulePage::SelectedTime() const {
  const QList<QTreeWidgetItem*> items = list_->selectedItems();
  if (items.isEmpty()) return std::nullopt;
  return items.front()->data(kDate, kEventTimeRole).toLongLong();
}

bool SchedulePage::SelectEvent(int64_t time) {
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list_->topLevelItem(i);
    if (item->data(kDate, kEventTimeRole).toLongLong() == time) {
      list_->setCurrentItem(item);
      return true;
    }
  }
  list_->clearSelection();
  return false;
}

void SchedulePage::OnSelectionChanged() {
  const std::optional<int64_t> time = SelectedTime();
  delete_->setEnabled(time.has_value());
  if (!time) {
    ShowEvent(nullptr);
    return;
  }
  for (const ScheduledEvent& event : shown_) {
    if (event.time == *time) {
      ShowEvent(&event);
      return;
    }
  }
}

void SchedulePage::ShowEvent(const ScheduledEvent* event) {
  QDate date;
  QTime time;
  const int64_t seconds = event ? event->time : program_.EventSchedule().Now();
  if (LocalDateTime(seconds, &date, &time)) {
    date_->setDate(date);
    time_->setTime(time);
  }
  const int action = event ? action_->findText(Text(event->action)) : 0;
  action_->setCurrentIndex(action < 0 ? 0 : action);
  const int recurrence = event ? recurrence_->findText(Text(event->recurrence)) : 0;
  recurrence_->setCurrentIndex(recurrence < 0 ? 0 : recurrence);
  settings_->setText(event ? Text(event->settings) : QString());
  maplist_->setText(event ? Text(event->maplist) : QString());
}

bool SchedulePage::FormEvent(ScheduledEvent* event) const {
  const QDate date = date_->date();
  const QTime time = time_->time();
  CalendarFields local;
  local.year = static_cast<uint16_t>(date.year());
  local.month = static_cast<uint16_t>(date.month());
  local.day = static_cast<uint16_t>(date.day());
  local.weekday = static_cast<uint16_t>(date.dayOfWeek() % 7);
  local.hour = static_cast<uint16_t>(time.hour());
  local.minute = static_cast<uint16_t>(time.minute());
  local.second = static_cast<uint16_t>(time.second());
  if (!LocalFieldsToSeconds(local, &event->time)) return false;
  event->action = action_->currentText().toStdString();
  event->recurrence = recurrence_->currentText().toStdString();
  event->settings = settings_->text().trimmed().toStdString();
  event->maplist = maplist_->text().trimmed().toStdString();
  event->enabled = true;
  return true;
}

bool SchedulePage::SaveEvent() {
  ScheduledEvent event;
  if (!FormEvent(&event)) {
    program_.Log().LogMessage(kSoundError,
                              "Couldn't save event! The selected date/time is not valid.");
    return false;
  }
  Schedule& schedule = program_.EventSchedule();
  const std::optional<int64_t> selected = SelectedTime();
  const bool saved = selected ? schedule.ChangeEvent(*selected, event) : schedule.AddEvent(event);
  if (!saved) return false;
  Reload();
  SelectEvent(event.time);
  return true;
}

bool SchedulePage::DeleteEvent() {
  const std::optional<int64_t> selected = SelectedTime();
  if (!selected || !program_.EventSchedule().RemoveEvent(*selected)) return false;
  list_->clearSelection();
  Reload();
  return true;
}

std::string SchedulePage::RelativeToSettings(const std::string& path) const {
  const QString folder = QFileInfo(Text(program_.SettingsFolder())).absoluteFilePath() + "/";
  const QString full = QFileInfo(Text(path)).absoluteFilePath();
  if (full.startsWith(folder)) return full.mid(folder.size()).toStdString();
  // Outside the folder: kept as chosen, and the save says why it refuses it.
  return path;
}

void SchedulePage::ChooseSettingsFile(const std::string& path) {
  settings_->setText(Text(RelativeToSettings(path)));
}

void SchedulePage::ChooseMaplistFile(const std::string& path) {
  maplist_->setText(Text(RelativeToSettings(path)));
}

void SchedulePage::Browse(QLineEdit* field, const char* title) {
  const QString path =
      QFileDialog::getOpenFileName(this, title, Text(program_.SettingsFolder()), kScheduleFilter);
  if (path.isEmpty()) return;
  if (field == settings_) {
    ChooseSettingsFile(path.toStdString());
  } else {
    ChooseMaplistFile(path.toStdString());
  }
}

std::vector<SchedulePage::MenuEntry> SchedulePage::MenuEntries() const {
  return {{"Export schedule", true, kMenuExport}, {"Import schedule", true, kMenuImport}};
}

bool SchedulePage::RunMenuAction(int action) {
  const QString suggested = Text(program_.SettingsFolder()) + "/" + kScheduleFile;
  if (action == kMenuExport) {
    QString path = QFileDialog::getSaveFileName(this, "Select file for saved schedule", suggested,
                                                kScheduleFilter);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += ".con";
    return ExportSchedule(path.toStdString());
  }
  if (action == kMenuImport) {
    const QString path = QFileDialog::getOpenFileName(this, "Select schedule file to load",
                                                      suggested, kScheduleFilter);
    if (path.isEmpty()) return false;
    return ImportSchedule(path.toStdString());
  }
  return false;
}

bool SchedulePage::ExportSchedule(const std::string& path) {
  return program_.EventSchedule().ExportSchedule(path);
}

bool SchedulePage::ImportSchedule(const std::string& path) {
  const bool loaded = program_.EventSchedule().ImportSchedule(path);
  Reload();
  return loaded;
}

void SchedulePage::ShowMenu(const QPoint& at) {
  PopUpMenu(this, MenuEntries(), list_->viewport()->mapToGlobal(at),
            [this](int action) { RunMenuAction(action); });
}

}  // namespace varnholt
