// The Schedule page: the server's start, restart and stop events with their local date and
// time, action, recurrence and files; pickers and fields to edit one, Save and Delete, and a
// menu to export or import the schedule. Edits go through the schedule's own operations,
// which check them and mark the schedule for the settings Save. Runs on the user-interface
// thread; the schedule guards its events.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule/scheduled_event.h"
#include "ui/list_view_rows.h"
#include "ui/page.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPoint;
class QPushButton;
class QTimeEdit;
class QTreeWidget;

namespace varnholt {

class Program;

class SchedulePage : public Page {
  Q_OBJECT
 public:
  enum MenuAction { kMenuExport = 0, kMenuImport };
  using MenuEntry = varnholt::MenuEntry;

  explicit SchedulePage(Program& program, QWidget* parent = nullptr);

  void Reload() override;

  // The event the pickers and fields describe; false when the date and time cannot be
  // placed in local time.
  bool FormEvent(ScheduledEvent* event) const;
  // Shows an event in the pickers and fields, or the defaults (now, "Start server", "None",
  // no files) without one.
  void ShowEvent(const ScheduledEvent* event);

  // The buttons; false when the schedule refused the event (it said why) or nothing was
  // selected.
  bool SaveEvent();
  bool DeleteEvent();

  // A file the operator chose with Browse: kept relative to the settings folder, where the
  // schedule's files must lie.
  void ChooseSettingsFile(const std::string& path);
  void ChooseMaplistFile(const std::string& path);

  std::vector<MenuEntry> MenuEntries() const;
  bool RunMenuAction(int action);
  bool ExportSchedule(const std::string& path);
  bool ImportSchedule(const std::string& path);

  // The selected event's time, if any; selecting an event by its time.
  std::optional<int64_t> SelectedTime() const;
  bool SelectEvent(int64_t time);

  QTreeWidget* List() const { return list_; }
  QDateEdit* DatePicker() const { return date_; }
  QTimeEdit* TimePicker() const { return time_; }
  QComboBox* ActionBox() const { return action_; }
  QComboBox* RecurrenceBox() const { return recurrence_; }
  QLineEdit* SettingsField() const { return settings_; }
  QLineEdit* MaplistField() const { return maplist_; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* DeleteButton() const { return delete_; }

 private:
  void ShowMenu(const QPoint& at);
  void OnSelectionChanged();
  std::string RelativeToSettings(const std::string& path) const;
  void Browse(QLineEdit* field, const char* title);
  void Show(const std::vector<ScheduledEvent>& events);

  Program& program_;
  QTreeWidget* list_ = nullptr;
  QDateEdit* date_ = nullptr;
  QTimeEdit* time_ = nullptr;
  QComboBox* action_ = nullptr;
  QComboBox* recurrence_ = nullptr;
  QLineEdit* settings_ = nullptr;
  QLineEdit* maplist_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* delete_ = nullptr;
  std::vector<ScheduledEvent> shown_;
  bool shown_once_ = false;
};

}  // namespace varnholt
