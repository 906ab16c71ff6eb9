// One client connection to the remote administration service: connect, log in, send
// requests and read what the server sends back. Notifications may arrive at any time, also
// ahead of a reply; they are told apart by their code (no reply or file length of this
// protocol lies in the notification range) and kept for the caller in arrival order.
// Used by one thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "remote/access_rights.h"
#include "remote/frames.h"

namespace varnholt::varnlink {

// How long a connection attempt may take.
constexpr int kConnectTimeoutMs = 5000;

// Told how many bytes of a file's frame have moved, of how many.
using Progress = std::function<void(uint64_t done, uint64_t total)>;

struct LoginAnswer {
  // The server's result byte: 0 accepted, 1-7 refused; -1 when none came.
  int result = -1;
  AccessRights rights = 0;
  uint8_t server_version = 0;
  bool server_running = false;
};

class Connection {
 public:
  explicit Connection(const Clock& clock) : clock_(clock) {}
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // False with the socket error (11001 unknown host, 10061 refused, 10060 timed out).
  bool Connect(const std::string& host, uint16_t port);
  // The whole login exchange. True when the server answered (accepted or not: see
  // `answer->result`); a version other than ours is answered with ours and then fails with
  // 30001. False with the last error when the exchange broke off.
  bool Login(std::string_view user, std::string_view password, LoginAnswer* answer);

  bool SendRequest(uint32_t code);
  bool SendRequestText(uint32_t code, std::string_view text);
  // The request code followed by the file frame of `contents`.
  bool SendRequestFile(uint32_t code, std::string_view contents, const Progress& progress = {});

  // Replies, with any notifications that come first kept for NextNotification.
  FrameStatus ReadTextReply(std::string* text, bool* present);
  // A file frame. kRefused for the error marker (last error 1235) or a frame that does not
  // check out.
  FrameStatus ReadFile(std::string* contents, uint32_t max_size, const Progress& progress = {});

  enum class Wait { kNotification, kTimedOut, kBroken };
  // The next notification: a kept one, else one read within `wait_ms` (-1: no limit).
  Wait NextNotification(int wait_ms, Notification* notification);

 private:
  // Reads words until one is not a notification code; notifications go to pending_.
  bool ReadReplyWord(uint32_t* word);
  bool ReadNotificationAfterCode(uint32_t code, Notification* notification);

  const Clock& clock_;
  int socket_ = -1;
  std::deque<Notification> pending_;
};

}  // namespace varnholt::varnlink
