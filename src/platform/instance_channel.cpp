#include "platform/instance_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr uint32_t kMagic = 0x56524E48;  // "VRNH"
constexpr const char* kSuffix = ".instance";

bool MakeAddress(const std::string& path, sockaddr_un* addr) {
  memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.size() >= sizeof addr->sun_path) return false;
  memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

std::string InstanceRuntimeFolder() {
  if (const char* xdg = getenv("XDG_RUNTIME_DIR"); xdg != nullptr && xdg[0] != '\0') {
    return JoinPath(xdg, "varnholt");
  }
  return "/tmp/varnholt-" + std::to_string(getuid());
}

InstanceChannel::InstanceChannel(std::string folder) : folder_(std::move(folder)) {}

InstanceChannel::~InstanceChannel() {
  Close();
}

bool InstanceChannel::Open() {
  Close();
  if (!CreateFolders(folder_)) return false;
  chmod(folder_.c_str(), 0700);
  id_ = static_cast<int32_t>(getpid());
  own_path_ = JoinPath(folder_, std::to_string(id_) + kSuffix);
  sockaddr_un addr{};
  if (!MakeAddress(own_path_, &addr)) {
    SetLastErrorCode(kErrorFilenameTooLong);
    return false;
  }
  fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) return SetLastErrorFromErrno(errno);
  unlink(own_path_.c_str());  // a leftover of an earlier process with our pid
  if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    close(fd_);
    fd_ = -1;
    return SetLastErrorFromErrno(err);
  }
  return true;
}

void InstanceChannel::Close() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
    unlink(own_path_.c_str());
  }
}

int InstanceChannel::Broadcast(uint32_t message, int32_t pid) {
  if (fd_ < 0) return 0;
  std::vector<std::string> names;
  if (!ListFolder(folder_, &names)) return 0;
  InstancePacket packet{kMagic, message, id_, pid};
  int reached = 0;
  for (const std::string& name : names) {
    if (!name.ends_with(kSuffix)) continue;
    std::string path = JoinPath(folder_, name);
    if (path == own_path_) continue;
    sockaddr_un addr{};
    if (!MakeAddress(path, &addr)) continue;
    ssize_t n = sendto(fd_, &packet, sizeof packet, MSG_NOSIGNAL,
                       reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (n == static_cast<ssize_t>(sizeof packet)) {
      ++reached;
    } else if (errno == ECONNREFUSED) {
      unlink(path.c_str());  // nobody listens there any more
    }
  }
  return reached;
}

bool InstanceChannel::Receive(InstancePacket* packet) {
  if (fd_ < 0) return false;
  for (;;) {
    InstancePacket in{};
    ssize_t n = recv(fd_, &in, sizeof in, MSG_DONTWAIT);
    if (n < 0) return false;
    if (n == static_cast<ssize_t>(sizeof in) && in.magic == kMagic) {
      *packet = in;
      return true;
    }
    // A datagram of another shape: drop it and look at the next.
  }
}

}  // namespace varnholt
