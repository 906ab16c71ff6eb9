#include "ui/background_task.h"

#include <QMetaObject>
#include <QPointer>

#include "platform/crash_report.h"

namespace varnholt {

BackgroundTask::~BackgroundTask() {
  Wait();
}

bool BackgroundTask::Run(std::function<bool()> work, std::function<void(bool)> done) {
  if (busy_.exchange(true)) return false;
  if (thread_.joinable()) thread_.join();
  QPointer<BackgroundTask> self(this);
  thread_ = std::thread([this, self, work = std::move(work), done = std::move(done)] {
    InstallCrashStack();
    const bool ok = work();
    QMetaObject::invokeMethod(
        this,
        [this, self, ok, done] {
          if (self.isNull()) return;
          busy_ = false;
          if (done) done(ok);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void BackgroundTask::Wait() {
  if (thread_.joinable()) thread_.join();
  busy_ = false;
}

}  // namespace varnholt
