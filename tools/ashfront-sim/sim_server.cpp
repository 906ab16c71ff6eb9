#include "sim_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "ban_files.h"
#include "platform/files.h"
#include "platform/ip_address.h"
#include "status_query.h"

namespace varnholt::sim {
namespace {

// Larger than the 32768 bytes a status client reads, and still one UDP datagram.
constexpr size_t kOversizedStatusReply = 40000;

constexpr uint64_t kControlPollMs = 200;
constexpr const char* kSettingsFolder = "Mods/ashfront/Settings";

int OpenSocket(int type, uint32_t ip, int port, int* bound_port) {
  int fd = socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(ip);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (type == SOCK_STREAM && listen(fd, 16) != 0)) {
    int err = errno;
    close(fd);
    errno = err;
    return -1;
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *bound_port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

SimServer::SimServer(const SimOptions& options, std::string game_folder)
    : options_(options),
      game_folder_(std::move(game_folder)),
      roster_(options.seed),
      match_(MatchOptions{options.round_seconds, 300, options.simulate,
                          options.simulate ? options.chat_every_seconds : 0},
             settings_, roster_, *this),
      commands_(info_, settings_, roster_, match_, *this),
      control_(info_, roster_, match_, *this, clock_),
      key_rng_(options.seed ^ static_cast<uint32_t>(time(nullptr)) ^
               static_cast<uint32_t>(getpid())) {
  commands_.set_control_handler([this](const std::string& command, std::vector<std::string>* out) {
    RunControl(command, out);
  });
}

SimServer::~SimServer() {
  for (auto& c : connections_) {
    if (c->fd >= 0) close(c->fd);
  }
  for (int fd : {console_fd_, query_fd_, signal_fd_}) {
    if (fd >= 0) close(fd);
  }
}

bool SimServer::Start() {
  start_ms_ = last_tick_ms_ = last_control_poll_ms_ = last_rejoin_ms_ = clock_.MonotonicMs();
  if (!ReadSettingsFolder()) return false;
  match_.Begin();
  AddStartPlayers();
  if (!OpenSockets()) return false;
  for (const FaultPlan& plan : options_.faults) scheduled_faults_.push_back(plan);
  // A fault without a delay is in force before the first query can be answered.
  ApplyDueFaults(start_ms_);
  if (options_.write_pid) {
    pid_written_ =
        WriteWholeFile(JoinPath(game_folder_, "ashfront.pid"), std::to_string(getpid()) + "\n");
    if (!pid_written_) fprintf(stderr, "Couldn't write ashfront.pid\n");
  }
  printf("Server \"%s\" running level %s with %zu players (pid %d)\n", info_.name.c_str(),
         match_.current().Text().c_str(), roster_.players().size(), static_cast<int>(getpid()));
  return true;
}

bool SimServer::ReadSettingsFolder() {
  settings_folder_ = FindPathNoCase(game_folder_, kSettingsFolder);
  if (!FolderExists(settings_folder_)) {
    fprintf(stderr, "Settings folder %s is missing\n", settings_folder_.c_str());
    return false;
  }
  std::vector<std::string> lines;
  if (ReadConLines(FindPathNoCase(settings_folder_, "ServerSettings.con"), &lines)) {
    std::vector<std::string> warnings;
    ApplyServerSettings(lines, &info_, &settings_, &warnings);
    for (const std::string& w : warnings) printf("ServerSettings.con: %s\n", w.c_str());
  } else {
    printf("ServerSettings.con not found, using defaults\n");
  }
  if (options_.host_server >= 0) info_.internet = options_.host_server == 1;
  RunFile("ServerAutoexec.con", false);
  // The server's own record of the live settings of its last run overrides the autoexec
  // file, which is why the manager deletes it before every start.
  RunFile("AdminSettings.con", false);
  RunFile("MapList.con", false);
  RunFile("BanList.con", false);
  commands_.TakeBansChanged();  // what was just read needs no writing back
  if (info_.punkbuster) ReadGuidBans();
  return true;
}

void SimServer::RunFile(const std::string& name, bool required) {
  std::vector<std::string> lines;
  if (!ReadConLines(FindPathNoCase(settings_folder_, name), &lines)) {
    if (required) fprintf(stderr, "Couldn't read %s\n", name.c_str());
    return;
  }
  for (const std::string& line : lines) {
    std::vector<std::string> out;
    commands_.Execute(line, &out);
    for (const std::string& o : out) printf("%s: %s\n", name.c_str(), o.c_str());
  }
}

void SimServer::AddStartPlayers() {
  std::vector<Player> wanted;
  std::vector<std::string> player_lines = options_.player_lines;
  if (!options_.players_file.empty()) {
    std::vector<std::string> lines;
    if (ReadConLines(options_.players_file, &lines)) {
      for (const std::string& l : lines) {
        if (!l.empty() && l[0] != '#') player_lines.push_back(l);
      }
    } else {
      fprintf(stderr, "Couldn't read players file %s\n", options_.players_file.c_str());
    }
  }
  for (const std::string& line : player_lines) {
    Player p;
    std::string error;
    if (ParsePlayerDescription(line, &p, &error)) {
      wanted.push_back(p);
    } else {
      fprintf(stderr, "Ignoring player %s: %s\n", line.c_str(), error.c_str());
    }
  }
  for (int i = 0; i < options_.generated_players; ++i) {
    wanted.push_back(roster_.MakeGeneratedPlayer(false));
  }
  for (int i = 0; i < options_.generated_bots; ++i) {
    wanted.push_back(roster_.MakeGeneratedPlayer(true));
  }
  for (Player& p : wanted) {
    std::string name = p.name;
    JoinResult result = roster_.Join(std::move(p), info_.max_players, info_.punkbuster);
    if (result == JoinResult::kBanned) printf("%s was refused: banned\n", name.c_str());
    if (result == JoinResult::kFull) printf("%s was refused: server full\n", name.c_str());
  }
}

bool SimServer::OpenSockets() {
  signal(SIGPIPE, SIG_IGN);
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGHUP);
  sigprocmask(SIG_BLOCK, &mask, nullptr);
  signal_fd_ = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);

  std::string ip = IpToText(info_.ip);
  if (info_.console_enabled) {
    int port = options_.console_port >= 0 ? options_.console_port : info_.console_port;
    int bound = 0;
    console_fd_ = OpenSocket(SOCK_STREAM, info_.ip, port, &bound);
    if (console_fd_ < 0) {
      fprintf(stderr, "Couldn't listen for the remote console on %s:%d: %s\n", ip.c_str(), port,
              strerror(errno));
      return false;
    }
    info_.console_port = bound;
    printf("Console listening on %s:%d\n", ip.c_str(), bound);
  } else {
    printf("Remote console disabled\n");
  }
  int port = options_.query_port >= 0 ? options_.query_port : StatusQueryPort(info_);
  int bound = 0;
  query_fd_ = OpenSocket(SOCK_DGRAM, info_.ip, port, &bound);
  if (query_fd_ < 0) {
    fprintf(stderr, "Couldn't listen for status queries on %s:%d: %s\n", ip.c_str(), port,
            strerror(errno));
    return false;
  }
  printf("Status query listening on %s:%d\n", ip.c_str(), bound);
  return true;
}

void SimServer::ServeStatusQuery() {
  for (int i = 0; i < 64; ++i) {
    char buffer[2048];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    ssize_t n = recvfrom(query_fd_, buffer, sizeof buffer, MSG_DONTWAIT,
                         reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) return;
    StatusRequest request;
    if (!ParseStatusRequest(std::string_view(buffer, static_cast<size_t>(n)), &request)) {
      continue;
    }
    StatusSnapshot snapshot =
        MakeStatusSnapshot(info_, settings_, roster_, match_, options_.raw_backslashes);
    std::string reply = BuildStatusReply(request, snapshot);
    if (control_.oversized_replies()) reply.resize(kOversizedStatusReply, 'x');
    if (control_.stale_replies()) {
      // The answer to an earlier query: another request identifier, otherwise the same.
      std::string stale = reply;
      stale[1] = static_cast<char>(stale[1] ^ 0x5A);
      sendto(query_fd_, stale.data(), stale.size(), MSG_DONTWAIT,
             reinterpret_cast<sockaddr*>(&from), length);
    }
    if (control_.slow_ms() > 0) {
      DelayedDatagram d;
      d.due = clock_.MonotonicMs() + static_cast<uint64_t>(control_.slow_ms());
      d.bytes = std::move(reply);
      const auto* raw = reinterpret_cast<const uint8_t*>(&from);
      d.address.assign(raw, raw + sizeof from);
      if (delayed_datagrams_.size() < 256) delayed_datagrams_.push_back(std::move(d));
      continue;
    }
    sendto(query_fd_, reply.data(), reply.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from),
           length);
  }
}

void SimServer::RunControl(const std::string& command, std::vector<std::string>* out) {
  std::vector<std::string> answer;
  if (command.rfind("console ", 0) == 0) {
    // One level only: "sim.console sim.console ..." must not recurse without bound.
    if (running_console_from_control_) {
      answer.push_back("A console command from the control cannot run another one");
    } else {
      running_console_from_control_ = true;
      commands_.Execute(command.substr(8), &answer);
      running_console_from_control_ = false;
      AfterCommands();
    }
  } else {
    control_.Execute(command, &answer);
  }
  for (const std::string& line : answer) printf("[control] %s\n", line.c_str());
  if (out != nullptr) out->insert(out->end(), answer.begin(), answer.end());
}

void SimServer::AfterCommands() {
  if (commands_.TakeBansChanged()) WriteBanList();
  if (commands_.TakeGuidFileRequested()) WriteGuidBans();
}

void SimServer::WriteBanList() {
  if (!WriteWholeFile(FindPathNoCase(settings_folder_, "BanList.con"), BanListText(roster_))) {
    printf("Couldn't write BanList.con\n");
  }
}

void SimServer::WriteGuidBans() {
  std::string pb_folder = FindPathNoCase(game_folder_, "pb");
  if (!FolderExists(pb_folder)) return;
  if (!WriteWholeFile(FindPathNoCase(pb_folder, "pbbans.dat"),
                      GuidBanText(roster_, clock_.CalendarSeconds()))) {
    printf("Couldn't write pbbans.dat\n");
  }
}

void SimServer::ReadGuidBans() {
  std::string text;
  if (ReadWholeFile(FindPathNoCase(game_folder_, "pb/pbbans.dat"), &text, 8u * 1024u * 1024u)) {
    ReadGuidBanText(text, &roster_);
  }
}

void SimServer::WriteAdminSettings() {
  std::string text;
  for (const LiveSetting& s : settings_.all()) {
    text += std::string(s.key) + " " + settings_.ValueText(s.key) + "\n";
  }
  if (!WriteWholeFile(FindPathNoCase(settings_folder_, "AdminSettings.con"), text)) {
    printf("Couldn't write AdminSettings.con\n");
  }
}

void SimServer::ApplyDueFaults(uint64_t now) {
  for (size_t i = 0; i < scheduled_faults_.size();) {
    if (static_cast<double>(now - start_ms_) >= scheduled_faults_[i].after_seconds * 1000.0) {
      FaultPlan plan = scheduled_faults_[i];
      scheduled_faults_.erase(scheduled_faults_.begin() + static_cast<long>(i));
      std::vector<std::string> out;
      control_.ApplyFault(plan, &out);
      for (const std::string& line : out) printf("[fault] %s\n", line.c_str());
    } else {
      ++i;
    }
  }
}

void SimServer::Tick() {
  uint64_t now = clock_.MonotonicMs();
  if (options_.rejoin_seconds > 0 &&
      now - last_rejoin_ms_ >= static_cast<uint64_t>(options_.rejoin_seconds) * 1000) {
    last_rejoin_ms_ = now;
    for (const std::string& line : roster_.RejoinAll(info_.max_players, info_.punkbuster)) {
      ConsoleLine(line);
    }
  }
  if (now - last_tick_ms_ >= static_cast<uint64_t>(options_.tick_ms)) {
    match_.Tick(static_cast<double>(now - last_tick_ms_) / 1000.0);
    last_tick_ms_ = now;
  }
  ApplyDueFaults(now);
  if (now - last_control_poll_ms_ >= kControlPollMs) {
    last_control_poll_ms_ = now;
    PollControlFile();
  }
  for (auto& c : connections_) {
    if (c->fd >= 0 && !c->delayed.empty() && now >= c->delayed_due) {
      c->out += c->delayed;
      c->delayed.clear();
      FlushConnection(*c);
      ServeConsole(*c);  // requests that waited behind the slow answer
    }
  }
  for (size_t i = 0; i < delayed_datagrams_.size();) {
    DelayedDatagram& d = delayed_datagrams_[i];
    if (now >= d.due) {
      sendto(query_fd_, d.bytes.data(), d.bytes.size(), MSG_DONTWAIT,
             reinterpret_cast<const sockaddr*>(d.address.data()),
             static_cast<socklen_t>(d.address.size()));
      delayed_datagrams_.erase(delayed_datagrams_.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
}

void SimServer::PollControlFile() {
  // A server left behind by a test whose folder was removed has nothing left to serve.
  if (!FolderExists(game_folder_)) {
    printf("Game folder %s is gone, stopping\n", game_folder_.c_str());
    stopping_ = true;
    return;
  }
  std::string path = JoinPath(game_folder_, options_.control_file);
  if (!FileExists(path)) return;
  // Taken away before reading, so a writer that adds the next command meanwhile starts a
  // new file instead of being lost.
  std::string taken = path + ".taken";
  if (rename(path.c_str(), taken.c_str()) != 0) return;
  std::vector<std::string> lines;
  ReadConLines(taken, &lines);
  RemoveFile(taken);
  for (std::string line : lines) {
    if (line.rfind("sim.", 0) == 0) line.erase(0, 4);
    if (!line.empty() && line[0] != '#') RunControl(line, nullptr);
  }
}

int SimServer::Run() {
  while (true) {
    if (commands_.quit_requested() || control_.quit_requested()) stopping_ = true;
    if (stopping_) break;
    bool hung = control_.hung();
    std::vector<pollfd> fds;
    fds.push_back({signal_fd_, POLLIN, 0});
    if (!hung) {
      if (console_fd_ >= 0) fds.push_back({console_fd_, POLLIN, 0});
      fds.push_back({query_fd_, POLLIN, 0});
      for (auto& c : connections_) {
        short events = POLLIN;
        if (!c->out.empty()) events |= POLLOUT;
        fds.push_back({c->fd, events, 0});
      }
    }
    poll(fds.data(), fds.size(), 50);
    if (fds[0].revents & POLLIN) {
      signalfd_siginfo info{};
      if (read(signal_fd_, &info, sizeof info) > 0) {
        printf("Stopping on signal %u\n", info.ssi_signo);
        stopping_ = true;
      }
    }
    for (size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == console_fd_) {
        AcceptConsole();
      } else if (fds[i].fd == query_fd_) {
        ServeStatusQuery();
      } else {
        for (auto& c : connections_) {
          if (c->fd != fds[i].fd) continue;
          if (fds[i].revents & POLLOUT) FlushConnection(*c);
          if (c->fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) ReadConsole(*c);
        }
      }
    }
    Tick();
    std::erase_if(connections_, [](const std::unique_ptr<Connection>& c) { return c->fd < 0; });
  }
  // Let the answer to "quit" reach the client before the sockets close, also one the slow
  // fault was holding back.
  for (auto& c : connections_) {
    c->out += c->delayed;
    c->delayed.clear();
  }
  uint64_t deadline = clock_.MonotonicMs() + 1000;
  while (clock_.MonotonicMs() < deadline) {
    std::vector<pollfd> fds;
    for (auto& c : connections_) {
      if (c->fd >= 0 && !c->out.empty()) fds.push_back({c->fd, POLLOUT, 0});
    }
    if (fds.empty()) break;
    poll(fds.data(), fds.size(), 50);
    for (auto& c : connections_) FlushConnection(*c);
  }
  WriteAdminSettings();
  if (pid_written_) RemoveFile(JoinPath(game_folder_, "ashfront.pid"));
  printf("Server stopped\n");
  return 0;
}

}  // namespace varnholt::sim
