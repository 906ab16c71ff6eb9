// Runs one slow operation at a time off the user-interface thread (starting, stopping or
// switching the server can take seconds; the hang test alone waits for the server), and
// hands its result back to the user-interface thread.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

namespace varnholt {

class BackgroundTask : public QObject {
  Q_OBJECT
 public:
  BackgroundTask() = default;
  ~BackgroundTask() override;

  // False (and nothing runs) while an earlier operation still runs. `done` is called on the
  // user-interface thread with the operation's result.
  bool Run(std::function<bool()> work, std::function<void(bool)> done);
  bool Busy() const { return busy_; }
  // Waits for a running operation to end (shutdown).
  void Wait();

 private:
  std::thread thread_;
  std::atomic<bool> busy_{false};
};

}  // namespace varnholt
