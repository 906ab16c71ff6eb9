// The remote console side of SimServer: accepting connections, the login, one response
// frame per request, and the chat and console lines waiting for each connection.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>  // EAGAIN: on Linux the same code as EWOULDBLOCK
#include <cstdio>

#include "sim_server.h"

namespace varnholt::sim {
namespace {

constexpr int kMaxConnections = 16;
constexpr size_t kMaxPendingLines = 1000;
constexpr size_t kMaxOutBytes = 8u * 1024u * 1024u;
constexpr size_t kConsoleLineHead = 72;

}  // namespace

void SimServer::ConsoleLine(const std::string& text) {
  printf("[console] %s\n", text.c_str());
  std::string entry(1, '#');
  entry.append(text, 0, kConsoleLineHead);
  // A long line goes out as a head and one continuation, whose first character the reader
  // drops when it joins the two.
  if (text.size() > kConsoleLineHead) entry.append("\n ").append(text, kConsoleLineHead, 900);
  for (auto& c : connections_) {
    if (!c->logged_in) continue;
    if (c->pending.size() >= kMaxPendingLines) c->pending.pop_front();
    c->pending.push_back(entry);
  }
}

void SimServer::ChatLine(char channel, const std::string& text) {
  std::string clean = text;
  std::replace(clean.begin(), clean.end(), '\n', ' ');
  std::string line = std::string("##--") + channel + clean;
  printf("[chat] %s\n", line.c_str());
  for (auto& c : connections_) {
    if (!c->logged_in) continue;
    if (c->pending.size() >= kMaxPendingLines) c->pending.pop_front();
    c->pending.push_back(line);
  }
}

void SimServer::AcceptConsole() {
  while (true) {
    int fd = accept4(console_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (static_cast<int>(connections_.size()) >= kMaxConnections) {
      close(fd);
      continue;
    }
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->key = MakeLoginKey(key_rng_);
    c->out.assign(reinterpret_cast<const char*>(c->key.data()), c->key.size());
    FlushConnection(*c);
    connections_.push_back(std::move(c));
  }
}

void SimServer::ReadConsole(Connection& c) {
  char buffer[65536];
  while (c.fd >= 0) {
    ssize_t n = recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
      c.in.append(buffer, static_cast<size_t>(n));
      if (c.in.size() > kMaxFrameBytes + 64) {
        printf("Closing a console connection that sent an oversized request\n");
        close(c.fd);
        c.fd = -1;
        return;
      }
      continue;
    }
    if (n < 0 && errno == EAGAIN) break;
    if (n < 0 && errno == EINTR) continue;
    close(c.fd);  // closed by the peer, or an error
    c.fd = -1;
    return;
  }
  ServeConsole(c);
}

void SimServer::ServeConsole(Connection& c) {
  if (c.fd < 0 || c.close_after_write) return;
  if (!c.logged_in) {
    LoginFields fields;
    size_t used = 0;
    ParseResult r = ParseLogin(c.in, c.key, &fields, &used);
    if (r == ParseResult::kIncomplete) return;
    bool accepted = r == ParseResult::kComplete && !control_.refuse_login() &&
                    info_.console_enabled && fields.username == info_.console_user &&
                    fields.password == info_.console_password;
    if (r == ParseResult::kComplete) c.in.erase(0, used);
    c.out.push_back(accepted ? '\x01' : '\x00');
    printf("Console login %s for user \"%s\"\n", accepted ? "accepted" : "refused",
           fields.username.c_str());
    c.logged_in = accepted;
    c.close_after_write = !accepted;
    FlushConnection(c);
    if (!accepted) return;
  }
  // One request at a time: a response held back by the slow fault goes out first.
  while (c.fd >= 0 && c.delayed.empty() && !c.close_after_write) {
    std::vector<std::string> request;
    size_t used = 0;
    ParseResult r = ParseFrame(c.in, &request, &used);
    if (r == ParseResult::kIncomplete) return;
    if (r == ParseResult::kBad || request.empty()) {
      printf("Closing a console connection that sent a malformed frame\n");
      close(c.fd);
      c.fd = -1;
      return;
    }
    c.in.erase(0, used);
    Respond(c, request);
  }
}

void SimServer::Respond(Connection& c, const std::vector<std::string>& request) {
  std::vector<std::string> response;
  const std::string& head = request[0];
  if (head.rfind("ConsoleMessage", 0) == 0) {
    size_t end = request.size();
    if (end > 1 && request[end - 1] == "\r") --end;
    for (size_t i = 1; i < end; ++i) {
      std::string first = request[i].substr(0, request[i].find('\n'));
      if (control_.FailsCommand(first)) {
        printf("[fault] Dropping the console connection that sent %s\n", first.c_str());
        fflush(stdout);
        close(c.fd);
        c.fd = -1;
        return;
      }
    }
    std::vector<std::string> lines;
    for (size_t i = 1; i < end; ++i) {
      // A client that sends several lines in one string gets them run one by one.
      size_t start = 0;
      const std::string& text = request[i];
      do {
        size_t newline = text.find('\n', start);
        std::string line =
            text.substr(start, newline == std::string::npos ? newline : newline - start);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        commands_.Execute(line, &lines);
        start = newline == std::string::npos ? text.size() + 1 : newline + 1;
      } while (start < text.size());
    }
    AfterCommands();
    // Chat that arrived since the last exchange rides along, between the response lines.
    std::vector<std::string> chat;
    std::deque<std::string> rest;
    for (std::string& p : c.pending) {
      (p.rfind("##--", 0) == 0 ? chat.push_back(p) : rest.push_back(p));
    }
    c.pending.swap(rest);
    size_t split = std::min<size_t>(1, lines.size());
    response.assign(lines.begin(), lines.begin() + static_cast<long>(split));
    response.insert(response.end(), chat.begin(), chat.end());
    response.insert(response.end(), lines.begin() + static_cast<long>(split), lines.end());
  } else if (head.rfind("ConsoleRun", 0) == 0) {
    char typed = request.size() > 1 && !request[1].empty() ? request[1][0] : '\0';
    response.push_back(typed == '\0' ? std::string() : std::string(1, typed));
    for (const std::string& p : c.pending) {
      size_t newline = p.find('\n');
      response.push_back(p.substr(0, newline));
      if (newline != std::string::npos) response.push_back(p.substr(newline + 1));
    }
    c.pending.clear();
    response.push_back(">");
  } else {
    printf("Closing a console connection that sent an unknown request\n");
    close(c.fd);
    c.fd = -1;
    return;
  }
  std::string frame = BuildFrame(response);
  if (control_.slow_ms() > 0) {
    c.delayed = std::move(frame);
    c.delayed_due = clock_.MonotonicMs() + static_cast<uint64_t>(control_.slow_ms());
    return;
  }
  c.out += frame;
  FlushConnection(c);
}

void SimServer::FlushConnection(Connection& c) {
  while (c.fd >= 0 && !c.out.empty()) {
    ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) {
      c.out.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && c.out.size() <= kMaxOutBytes) {
      return;  // sent when the socket is writable again
    }
    close(c.fd);
    c.fd = -1;
    return;
  }
  if (c.fd >= 0 && c.out.empty() && c.close_after_write) {
    close(c.fd);
    c.fd = -1;
  }
}

}  // namespace varnholt::sim
