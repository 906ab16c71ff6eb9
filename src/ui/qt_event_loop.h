// The event loop of the desktop program: Qt's own loop behind the interface the program
// uses, so start-up, timers, sockets and the worker's posted results work as in the headless
// program while the window runs on the same thread.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "platform/event_loop.h"

class QTimer;
class QSocketNotifier;

namespace varnholt {

class QtEventLoop final : public QObject, public EventLoop {
  Q_OBJECT
 public:
  QtEventLoop();
  ~QtEventLoop() override;

  TimerId StartTimer(uint32_t period_ms, std::function<void()> fn) override;
  void StopTimer(TimerId id) override;
  void WatchSocket(int fd, unsigned events, std::function<void(int, SocketEvent)> fn) override;
  void UnwatchSocket(int fd) override;
  void Post(std::function<void()> fn) override;
  int Run() override;
  void Quit(int code) override;

  // SIGTERM and SIGINT end the program in order, as in the headless program. `signal_fd`
  // comes from OpenShutdownSignals(), called before Qt or the worker started any thread; the
  // loop owns it from here on.
  void EnableShutdownSignals(int signal_fd, std::function<void(int signal)> on_signal);

 private:
  struct Watch {
    std::unique_ptr<QSocketNotifier> read;
    std::function<void(int, SocketEvent)> fn;
    unsigned events = 0;
  };
  void OnReadable(int fd);

  TimerId next_timer_id_ = 1;
  std::map<TimerId, QTimer*> timers_;
  std::map<int, Watch> watches_;
  int signal_fd_ = -1;
  std::unique_ptr<QSocketNotifier> signal_notifier_;
  std::function<void(int)> on_signal_;
};

}  // namespace varnholt
