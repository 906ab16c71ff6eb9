// The log window: the whole event log as read-only text, new lines appended while it is
// open, and a one-line search box (Enter finds the next match).
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QLineEdit;

namespace varnholt {

class EventLog;

class LogWindow : public QDialog {
  Q_OBJECT
 public:
  LogWindow(EventLog& log, QWidget* parent = nullptr);
  ~LogWindow() override;

  // Loads the whole current log file, replacing what is shown, with the caret at the end.
  void LoadLog();
  // Appends one line as the log wrote it (user-interface thread).
  void AppendLine(const QString& line);
  // The search of the box: selects and shows the next match; false (and a beep) without one.
  bool SearchNext();

  QPlainTextEdit* Text() const { return text_; }
  QLineEdit* SearchBox() const { return search_; }

 private:
  EventLog& log_;
  QPlainTextEdit* text_;
  QLineEdit* search_;
};

}  // namespace varnholt
