#include "ui/page_capture.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/page_factory.h"

namespace varnholt {
namespace {

QString FileNameOf(int index) {
  QString name = QString::fromUtf8(TabText(index)).toLower().replace(' ', '-');
  return QString("%1-%2.png").arg(index, 2, 10, QChar('0')).arg(name);
}

}  // namespace

void CapturePagesLater(MainWindow* window, const QString& dir, int delay_ms,
                       std::function<void(int written)> done) {
  QPointer<MainWindow> guard(window);
  QTimer::singleShot(delay_ms, window, [guard, dir, done] {
    int written = 0;
    QDir().mkpath(dir);
    for (int i = 0; guard && i < kTabCount; ++i) {
      guard->Tabs()->setCurrentIndex(i);
      guard->ReloadCurrentPage();
      QApplication::processEvents();
      if (guard->grab().save(QDir(dir).filePath(FileNameOf(i)))) ++written;
    }
    if (done) done(written);
  });
}

}  // namespace varnholt
