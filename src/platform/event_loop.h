// The user-interface thread's loop: timers, socket readiness, functions posted from other
// threads, and the shutdown signals. Two implementations exist: PollEventLoop here (the
// headless program and the tests) and a Qt one in src/ui. Only the thread that runs the loop
// may call its methods, except Post() and Quit(), which any thread may call.
#pragma once

#include <cstdint>
#include <functional>

namespace varnholt {

enum SocketEvent : unsigned {
  kSocketRead = 1,    // data to read (or a connection to accept on a listening socket)
  kSocketAccept = 2,  // a listening socket has a connection waiting
  kSocketClose = 4,   // the peer closed or the socket failed
};

class EventLoop {
 public:
  using TimerId = int;
  virtual ~EventLoop() = default;

  // Calls `fn` every `period_ms` until stopped. Returns an id > 0.
  virtual TimerId StartTimer(uint32_t period_ms, std::function<void()> fn) = 0;
  virtual void StopTimer(TimerId id) = 0;

  // Calls `fn(fd, event)` when the socket becomes ready for one of `events`; replaces an
  // earlier watch of the same socket.
  virtual void WatchSocket(int fd, unsigned events, std::function<void(int, SocketEvent)> fn) = 0;
  virtual void UnwatchSocket(int fd) = 0;

  // Runs `fn` on the loop's thread soon. Safe from any thread.
  virtual void Post(std::function<void()> fn) = 0;

  // Runs until Quit(); returns the quit code.
  virtual int Run() = 0;
  // Ends Run() with `code`. Safe from any thread.
  virtual void Quit(int code) = 0;
};

}  // namespace varnholt
