#include "ui/qt_event_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include "platform/shutdown_signals.h"

namespace varnholt {

QtEventLoop::QtEventLoop() = default;

QtEventLoop::~QtEventLoop() {
  for (auto& [id, timer] : timers_) delete timer;
  signal_notifier_.reset();
  CloseShutdownSignals(signal_fd_);
}

EventLoop::TimerId QtEventLoop::StartTimer(uint32_t period_ms, std::function<void()> fn) {
  TimerId id = next_timer_id_++;
  auto* timer = new QTimer();
  timer->setInterval(static_cast<int>(std::max<uint32_t>(period_ms, 1)));
  QObject::connect(timer, &QTimer::timeout, this, std::move(fn));
  timer->start();
  timers_[id] = timer;
  return id;
}

void QtEventLoop::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  // The timer may be stopped from its own callback: delete it once that has returned.
  it->second->deleteLater();
  timers_.erase(it);
}

void QtEventLoop::WatchSocket(int fd, unsigned events, std::function<void(int, SocketEvent)> fn) {
  UnwatchSocket(fd);
  Watch& watch = watches_[fd];
  watch.fn = std::move(fn);
  watch.events = events;
  watch.read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(watch.read.get(), &QSocketNotifier::activated, this,
                   [this, fd] { OnReadable(fd); });
}

void QtEventLoop::UnwatchSocket(int fd) {
  auto it = watches_.find(fd);
  if (it == watches_.end()) return;
  it->second.read->setEnabled(false);
  // The notifier may be the one whose signal is being delivered.
  it->second.read.release()->deleteLater();
  watches_.erase(it);
}

void QtEventLoop::OnReadable(int fd) {
  auto it = watches_.find(fd);
  if (it == watches_.end()) return;
  // Copy: the callback may replace or remove its own watch.
  auto fn = it->second.fn;
  // As with poll(): an end of stream or a failure reads as readable, and the reader finds
  // out when its read returns nothing.
  fn(fd, (it->second.events & kSocketAccept) ? kSocketAccept : kSocketRead);
}

void QtEventLoop::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

int QtEventLoop::Run() {
  return QCoreApplication::exec();
}

void QtEventLoop::Quit(int code) {
  QMetaObject::invokeMethod(
      this, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

void QtEventLoop::EnableShutdownSignals(int signal_fd, std::function<void(int signal)> on_signal) {
  signal_fd_ = signal_fd;
  if (signal_fd_ < 0) return;
  on_signal_ = std::move(on_signal);
  signal_notifier_ = std::make_unique<QSocketNotifier>(signal_fd_, QSocketNotifier::Read);
  QObject::connect(signal_notifier_.get(), &QSocketNotifier::activated, this,
                   [this] { TakeShutdownSignals(signal_fd_, on_signal_); });
}

}  // namespace varnholt
