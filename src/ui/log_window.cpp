#include "ui/log_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include "log/event_log.h"
#include "platform/files.h"
#include "ui/log_search.h"

namespace varnholt {

LogWindow::LogWindow(EventLog& log, QWidget* parent) : QDialog(parent), log_(log) {
  setWindowTitle("Varnholt Log");
  resize(760, 420);
  auto* layout = new QVBoxLayout(this);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Keeps the window responsive however long the program runs: the file is archived at
  // 512000 bytes, so this only trims what a very long session appended.
  text_->setMaximumBlockCount(20000);
  text_->setToolTip("The event log of this program, as written to Varnholt.log.");
  search_ = new QLineEdit(this);
  search_->setPlaceholderText("Search");
  search_->setToolTip(
      "Type a text and press Enter to find its next appearance in the log, ignoring case.");
  layout->addWidget(text_);
  layout->addWidget(search_);
  connect(search_, &QLineEdit::returnPressed, this, [this] { SearchNext(); });

  // The log calls the observer with its lock held from any thread: only hand the line over.
  QPointer<LogWindow> self(this);
  log_.SetLineObserver([self](const std::string& line) {
    QString text = QString::fromUtf8(line.c_str()).trimmed();
    QMetaObject::invokeMethod(
        qApp,
        [self, text] {
          if (!self.isNull()) self->AppendLine(text);
        },
        Qt::QueuedConnection);
  });
}

LogWindow::~LogWindow() {
  log_.SetLineObserver(nullptr);
}

void LogWindow::LoadLog() {
  std::string contents;
  // The log is archived at 512000 bytes; a bigger file (written by hand) shows its end.
  if (!ReadFileTail(log_.LogPath(), 4u << 20, &contents)) contents.clear();
  QString text = QString::fromUtf8(contents.c_str());
  text.remove('\r');
  if (text.endsWith('\n')) text.chop(1);
  text_->setPlainText(text);
  text_->moveCursor(QTextCursor::End);
  text_->ensureCursorVisible();
}

void LogWindow::AppendLine(const QString& line) {
  text_->appendPlainText(line);
  text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

bool LogWindow::SearchNext() {
  const QString needle = search_->text();
  const QString text = text_->toPlainText();
  const qsizetype at = FindNextInLog(text, needle, text_->textCursor().selectionEnd());
  if (at < 0) {
    QApplication::beep();
    return false;
  }
  QTextCursor cursor(text_->document());
  cursor.setPosition(static_cast<int>(at));
  cursor.setPosition(static_cast<int>(at + needle.size()), QTextCursor::KeepAnchor);
  text_->setTextCursor(cursor);
  text_->ensureCursorVisible();
  // The search text stays with the caret after it, so Enter finds the next match.
  search_->setCursorPosition(static_cast<int>(search_->text().size()));
  return true;
}

}  // namespace varnholt
