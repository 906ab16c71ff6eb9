#include "sim_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <thread>

#include "support/sim_launch.h"

namespace varnholt::testing {
namespace {

constexpr const char* kSettings = "Mods/ashfront/Settings/";

void AppendU32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint32_t U32(const char* b) {
  const auto* u = reinterpret_cast<const unsigned char*>(b);
  return u[0] | u[1] << 8 | u[2] << 16 | static_cast<uint32_t>(u[3]) << 24;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

SimGameFolder::SimGameFolder() {
  WriteSetting("ServerSettings.con",
               "game.serverName \"Sim Test\"\n"
               "game.serverIP 127.0.0.1\n"
               "game.serverPort 15567\n"
               "game.gameSpyPort 0\n"
               "game.serverInternet 1\n"
               "game.serverMaxPlayers 16\n"
               "game.serverPunkBuster 0\n");
  WriteSetting("ServerAutoexec.con", "admin.enableRemoteConsole admin s3cret 0\n");
  WriteSetting("MapList.con",
               "game.addLevel harbor GPM_CQ ashfront\n"
               "game.addLevel dunes GPM_COOP ashfront\n"
               "game.setCurrentLevel harbor GPM_CQ ashfront\n");
}

void SimGameFolder::WriteSetting(const std::string& name, const std::string& contents) {
  folder_.Write(kSettings + name, contents);
}

std::string SimGameFolder::ReadSetting(const std::string& name) const {
  return folder_.Read(kSettings + name);
}

ConsoleClient::~ConsoleClient() {
  Close();
}

void ConsoleClient::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool ConsoleClient::ReceiveExactly(char* buffer, size_t n, int timeout_ms) {
  size_t got = 0;
  while (got < n) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return false;
    ssize_t r = recv(fd_, buffer + got, n - got, 0);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

bool ConsoleClient::ReceiveKey(int port, int timeout_ms) {
  Close();
  fd_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
  return ReceiveExactly(reinterpret_cast<char*>(key_), 10, timeout_ms);
}

int ConsoleClient::Login(int port, const std::string& user, const std::string& password) {
  if (!ReceiveKey(port, kPatienceMs)) return -1;
  std::string bytes;
  for (const std::string& field : {user, password}) {
    AppendU32(&bytes, static_cast<uint32_t>(field.size() + 1));
    for (size_t i = 0; i < field.size(); ++i) bytes.push_back(field[i] ^ key_[i % 10]);
    bytes.push_back('\0');
  }
  char verdict = 0;
  if (!SendRaw(bytes) || !ReceiveExactly(&verdict, 1, kPatienceMs)) return -1;
  return static_cast<unsigned char>(verdict);
}

bool ConsoleClient::SendRaw(const std::string& bytes) {
  return fd_ >= 0 &&
         send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

bool ConsoleClient::Request(const std::vector<std::string>& strings,
                            std::vector<std::string>* response) {
  std::string frame;
  AppendU32(&frame, static_cast<uint32_t>(strings.size()));
  for (const std::string& s : strings) {
    AppendU32(&frame, static_cast<uint32_t>(s.size() + 1));
    frame += s;
    frame.push_back('\0');
  }
  if (!SendRaw(frame)) return false;
  char head[4];
  if (!ReceiveExactly(head, 4, kPatienceMs)) return false;
  response->clear();
  for (uint32_t i = 0, count = U32(head); i < count; ++i) {
    if (!ReceiveExactly(head, 4, kPatienceMs)) return false;
    std::string s(U32(head), '\0');
    if (s.empty() || !ReceiveExactly(s.data(), s.size(), kPatienceMs)) return false;
    s.pop_back();  // the zero byte
    response->push_back(s);
  }
  return true;
}

bool ConsoleClient::Run(const std::string& text, std::vector<std::string>* response) {
  std::vector<std::string> strings = {"ConsoleMessage 0"};
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    strings.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  strings.push_back("\r");
  return Request(strings, response);
}

bool ConsoleClient::Poll(std::vector<std::string>* response) {
  return Request({"ConsoleRun 0", std::string()}, response);
}

bool ConsoleClient::ClosedByServer(int timeout_ms) {
  // Whatever the server still sent (a refusing verdict) is read past until the end.
  int64_t end = NowMs() + timeout_ms;
  while (NowMs() < end) {
    char buffer[256];
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(end - NowMs())) <= 0) return false;
    if (recv(fd_, buffer, sizeof buffer, 0) <= 0) return true;
  }
  return false;
}

bool QueryStatus(int port, bool rules, bool players, bool teams, std::string* reply,
                 int timeout_ms) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const unsigned char request[10] = {0xFE,
                                     0xFD,
                                     0x00,
                                     0x12,
                                     0x34,
                                     0x56,
                                     0x78,
                                     static_cast<unsigned char>(rules ? 0xFF : 0),
                                     static_cast<unsigned char>(players ? 0xFF : 0),
                                     static_cast<unsigned char>(teams ? 0xFF : 0)};
  sendto(fd, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  pollfd p{fd, POLLIN, 0};
  bool ok = poll(&p, 1, timeout_ms) == 1;
  if (ok) {
    char buffer[65536];
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    ok = n >= 5 && memcmp(buffer + 1, request + 3, 4) == 0;
    if (ok) reply->assign(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return ok;
}

bool ParseStatusReply(const std::string& reply, bool rules, bool players, bool teams,
                      std::map<std::string, std::string>* values) {
  size_t p = 5;
  auto word = [&](std::string* out) {
    size_t zero = reply.find('\0', p);
    if (zero == std::string::npos) return false;
    *out = reply.substr(p, zero - p);
    p = zero + 1;
    return true;
  };
  if (rules) {
    // Pairs until the empty key, which belongs to the rules.
    while (true) {
      std::string key, value;
      if (!word(&key)) return false;
      if (key.empty()) break;
      if (!word(&value)) return false;
      (*values)[key] = value;
    }
  }
  auto section = [&](size_t skip) {
    p += skip;
    if (p >= reply.size()) return false;
    int count = static_cast<unsigned char>(reply[p++]);
    std::vector<std::string> fields;
    std::string name;
    while (word(&name) && !name.empty()) fields.push_back(name);
    for (int row = 0; row < count; ++row) {
      for (const std::string& f : fields) {
        std::string value;
        if (!word(&value)) return false;
        (*values)[f + std::to_string(row)] = value;
      }
    }
    return true;
  };
  // The first section starts two bytes after the last rule value (the empty key just read
  // and a pad byte), or two bytes after the header; teams one byte after the players.
  size_t first_skip = rules ? 1 : 2;
  if (players && !section(first_skip)) return false;
  if (teams && !section(players ? 1 : first_skip)) return false;
  return true;
}

}  // namespace varnholt::testing
