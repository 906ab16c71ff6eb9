#include "gamelink_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>

#include "gamelink/console_wire.h"
#include "platform/files.h"
#include "platform/ip_address.h"
#include "settings/setting_def.h"
#include "support/child_process.h"
#include "support/sim_launch.h"

namespace varnholt::testing {
namespace {

constexpr const char* kSettings = "Mods/ashfront/Settings/";

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

uint16_t BoundPort(int fd) {
  sockaddr_in a{};
  socklen_t length = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
  return ntohs(a.sin_port);
}

// Reads exactly n bytes, giving up after two seconds of silence or when told to stop.
bool ReadAll(int fd, char* buffer, size_t n, const std::atomic<bool>& stop) {
  size_t got = 0;
  while (got < n && !stop) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    ssize_t r = recv(fd, buffer + got, n - got, 0);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return got == n;
}

uint32_t U32(const char* b) {
  const auto* u = reinterpret_cast<const unsigned char*>(b);
  return u[0] | u[1] << 8 | u[2] << 16 | static_cast<uint32_t>(u[3]) << 24;
}

bool ReadField(int fd, const std::atomic<bool>& stop) {
  char head[4];
  if (!ReadAll(fd, head, 4, stop)) return false;
  std::string field(U32(head), '\0');
  return field.size() < 65536 && ReadAll(fd, field.data(), field.size(), stop);
}

}  // namespace

bool SimServer::Start(const std::vector<std::string>& options, bool punkbuster, int game_port) {
  folder_.Write(std::string(kSettings) + "ServerSettings.con",
                "game.serverName \"Link Test\"\n"
                "game.serverIP 127.0.0.1\n"
                "game.serverPort " +
                    std::to_string(game_port) +
                    "\n"
                    "game.serverInternet 1\n"
                    "game.serverMaxPlayers 16\n"
                    "game.serverPunkBuster " +
                    (punkbuster ? "1" : "0") + "\n");
  folder_.Write(std::string(kSettings) + "ServerAutoexec.con",
                std::string("admin.enableRemoteConsole ") + kSimUser + " " + kSimPassword + " 0\n");
  folder_.Write(std::string(kSettings) + "MapList.con",
                "game.addLevel harbor GPM_CQ ashfront\n"
                "game.setCurrentLevel harbor GPM_CQ ashfront\n");
  std::vector<std::string> args = {"--static", "--chat-every=0", "--console-port=0"};
  bool query_port_given = false;
  for (const std::string& o : options) query_port_given |= o.rfind("--query-port=", 0) == 0;
  if (!query_port_given) args.push_back("--query-port=0");
  args.insert(args.end(), options.begin(), options.end());
  return SimProcess::Start(folder_.path(), args) && console_port() != 0;
}

FakeStatusServer::FakeStatusServer(Answer answer) {
  fd_ = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = Loopback(0);
  bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  port_ = BoundPort(fd_);
  thread_ = std::thread([this, answer = std::move(answer)] {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char buffer[2048];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      ssize_t n =
          recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (n <= 0) continue;
      for (const std::string& d : answer(std::string(buffer, static_cast<size_t>(n)))) {
        sendto(fd_, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
      }
    }
  });
}

FakeStatusServer::~FakeStatusServer() {
  stop_ = true;
  thread_.join();
  close(fd_);
}

std::string StatusHeader(const std::string& request) {
  return std::string(1, '\0') + request.substr(3, 4);
}

FakeStatusServer::Answer RulesAnswer(std::vector<std::string> rules) {
  return [rules](const std::string& request) {
    std::string reply = StatusHeader(request);
    for (const std::string& r : rules) reply += r + std::string(1, '\0');
    reply += std::string(2, '\0');
    return std::vector<std::string>{reply};
  };
}

FakeConsoleServer::FakeConsoleServer(std::vector<std::string> steps) {
  listen_fd_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(listen_fd_, 4);
  port_ = BoundPort(listen_fd_);
  thread_ = std::thread([this, steps = std::move(steps)] { Serve(steps); });
}

FakeConsoleServer::~FakeConsoleServer() {
  stop_ = true;
  thread_.join();
  close(listen_fd_);
}

void FakeConsoleServer::Serve(std::vector<std::string> steps) {
  int fd = -1;
  while (!stop_ && fd < 0) {
    pollfd p{listen_fd_, POLLIN, 0};
    if (poll(&p, 1, 50) > 0) fd = accept(listen_fd_, nullptr, nullptr);
  }
  if (fd < 0) return;
  std::string key(10, '\x80');
  send(fd, key.data(), key.size(), MSG_NOSIGNAL);
  if (ReadField(fd, stop_) && ReadField(fd, stop_)) {
    send(fd, "\x01", 1, MSG_NOSIGNAL);
    for (const std::string& step : steps) {
      char head[4];
      if (!ReadAll(fd, head, 4, stop_)) break;
      bool ok = true;
      for (uint32_t i = 0, n = U32(head); ok && i < n; ++i) ok = ReadField(fd, stop_);
      if (!ok) break;
      if (step == "RESET") {
        linger l{1, 0};  // closing with a zero linger time sends a reset
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        break;
      }
      send(fd, step.data(), step.size(), MSG_NOSIGNAL);
    }
  }
  // Keep the connection until the test ends, unless it was reset.
  char sink[256];
  while (!stop_ && steps.back() != "RESET") {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) > 0 && recv(fd, sink, sizeof sink, 0) <= 0) break;
  }
  close(fd);
}

std::string ResponseFrame(const std::vector<std::string>& strings) {
  std::string out;
  AppendU32(&out, static_cast<uint32_t>(strings.size()));
  for (const std::string& s : strings) {
    AppendU32(&out, static_cast<uint32_t>(s.size() + 1));
    out += s;
    out.push_back('\0');
  }
  return out;
}

GameLinkTest::GameLinkTest()
    : log_(folder_.path(), clock_),
      status_(log_, settings_, clock_),
      console_(log_, settings_, status_) {
  settings_.SetAddress(setting_rows::kServerIp, kLoopbackAddress);
  settings_.SetInt(setting_rows::kServerPort, kSimGamePort);
  settings_.SetInt("game.serverInternet", 1);
  console_.SetCredentials(kSimUser, kSimPassword);
}

void GameLinkTest::UseServer(int console_port, int status_port) {
  settings_.SetInt(setting_rows::kConsolePort, console_port);
  settings_.SetInt("game.gameSpyPort", status_port);
}

std::string GameLinkTest::LogText() const {
  return ReadFileText(log_.LogPath());
}

}  // namespace varnholt::testing
