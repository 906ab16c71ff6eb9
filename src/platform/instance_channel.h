// Messages between running copies of the program (query, reply, quit), the counterpart of
// window messages broadcast to every top-level window. Each instance binds a Unix-domain
// datagram socket named after its pid in a per-user runtime folder; a broadcast is a datagram
// to every socket there but the sender's own. Sockets of instances that died are removed when
// a send to them is refused.
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

enum InstanceMessage : uint32_t {
  kVrnhQuery = 1,  // WM_VRNHQUERY
  kVrnhReply = 2,  // WM_VRNHREPLY
  kVrnhQuit = 3,   // WM_VRNHQUIT
};

struct InstancePacket {
  uint32_t magic;
  uint32_t message;
  int32_t sender;  // the sending instance (its pid)
  int32_t pid;     // the server pid the message is about
};

// $XDG_RUNTIME_DIR/varnholt, else /tmp/varnholt-<uid>.
std::string InstanceRuntimeFolder();

class InstanceChannel {
 public:
  explicit InstanceChannel(std::string folder);
  ~InstanceChannel();
  InstanceChannel(const InstanceChannel&) = delete;
  InstanceChannel& operator=(const InstanceChannel&) = delete;

  // Creates the folder (mode 0700) and binds this instance's socket.
  bool Open();
  void Close();
  int fd() const { return fd_; }
  int32_t id() const { return id_; }

  // Sends to every other live instance; returns how many it reached.
  int Broadcast(uint32_t message, int32_t pid);
  // Takes one waiting packet without blocking; false when none (or not ours).
  bool Receive(InstancePacket* packet);

 private:
  std::string folder_;
  std::string own_path_;
  int fd_ = -1;
  int32_t id_ = 0;
};

}  // namespace varnholt
