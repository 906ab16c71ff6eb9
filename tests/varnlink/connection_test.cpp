// The client's connection against a scripted server on loopback: what it makes of replies
// that share the stream with notifications, of a server of another protocol version, and
// of file frames that do not check out.
#include "varnlink/connection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "core/notify_codes.h"
#include "platform/clock.h"
#include "platform/last_error.h"
#include "remote/file_frame.h"
#include "remote/frames.h"
#include "support/remote_test_client.h"

namespace varnholt::varnlink {
namespace {

using testing::Word;

// Accepts one client, reads its 64 login bytes, then sends `script` and reads whatever
// comes until the client closes.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::string script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    socklen_t length = sizeof at;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this] {
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      char buffer[4096];
      size_t login = 0;
      while (login < 64) {
        const ssize_t got = recv(client, buffer, 64 - login, 0);
        if (got <= 0) break;
        login += static_cast<size_t>(got);
      }
      send(client, script_.data(), script_.size(), MSG_NOSIGNAL);
      while (recv(client, buffer, sizeof buffer, 0) > 0) {
      }
      close(client);
    });
  }
  ~ScriptedServer() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  uint16_t port() const { return port_; }

 private:
  std::string script_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

// Login accepted with admin rights, protocol 0x90, game server running.
std::string Accepted() {
  return std::string(1, '\0') + Word(0xFFFFFFFF) + "\x90\x01";
}

std::string NotificationBytes(uint32_t code, const std::string& text) {
  return Word(code) + Word(static_cast<uint32_t>(text.size() + 1)) + text + std::string(1, '\0');
}

TEST(VarnlinkConnection, NotificationsAheadOfAReplyAreKeptInOrder) {
  const std::string status = "Server running.";
  ScriptedServer server(Accepted() + NotificationBytes(kNotifyChatLine, "hi there") +
                        NotificationBytes(kNotifyPlayerKicked, "Kicky") +
                        Word(static_cast<uint32_t>(status.size() + 1)) + status +
                        std::string(1, '\0'));
  SystemClock clock;
  Connection link(clock);
  ASSERT_TRUE(link.Connect("127.0.0.1", server.port()));
  LoginAnswer login;
  ASSERT_TRUE(link.Login("admin", "pw", &login));
  EXPECT_EQ(login.result, 0);
  EXPECT_EQ(login.rights, 0xFFFFFFFFu);
  EXPECT_TRUE(login.server_running);
  ASSERT_TRUE(link.SendRequest(kRequestBase + 21));
  std::string text;
  bool present = false;
  ASSERT_EQ(link.ReadTextReply(&text, &present), FrameStatus::kOk);
  EXPECT_TRUE(present);
  EXPECT_EQ(text, status);
  Notification note;
  ASSERT_EQ(link.NextNotification(0, &note), Connection::Wait::kNotification);
  EXPECT_EQ(note.code, kNotifyChatLine);
  EXPECT_EQ(TextOfData(note.data), "hi there");
  ASSERT_EQ(link.NextNotification(0, &note), Connection::Wait::kNotification);
  EXPECT_EQ(note.code, kNotifyPlayerKicked);
  EXPECT_EQ(link.NextNotification(50, &note), Connection::Wait::kTimedOut);
}

TEST(VarnlinkConnection, AnotherProtocolVersionFailsTheLogin) {
  ScriptedServer server(std::string(1, '\0') + Word(0xFFFFFFFF) + "\x91");
  SystemClock clock;
  Connection link(clock);
  ASSERT_TRUE(link.Connect("127.0.0.1", server.port()));
  LoginAnswer login;
  EXPECT_FALSE(link.Login("admin", "pw", &login));
  EXPECT_EQ(GetLastErrorCode(), kErrorProtocolVersion);
}

TEST(VarnlinkConnection, FileFramesThatDoNotCheckOutAreRefused) {
  std::string good;
  ASSERT_TRUE(EncodeFileFrame(std::string(5000, 'a') + "end", &good));
  std::string damaged = good;
  damaged[8] = static_cast<char>(damaged[8] ^ 1);  // the checksum
  ScriptedServer server(Accepted() + Word(kErrorMarker) + damaged + good);
  SystemClock clock;
  Connection link(clock);
  ASSERT_TRUE(link.Connect("127.0.0.1", server.port()));
  LoginAnswer login;
  ASSERT_TRUE(link.Login("admin", "pw", &login));
  std::string contents = "old";
  EXPECT_EQ(link.ReadFile(&contents, kMaxFileFrameSize), FrameStatus::kRefused);
  EXPECT_EQ(GetLastErrorCode(), kErrorRequestAborted);
  EXPECT_EQ(link.ReadFile(&contents, kMaxFileFrameSize), FrameStatus::kRefused);
  EXPECT_EQ(GetLastErrorCode(), 23u);
  // The stream stays in step: the next frame arrives whole.
  ASSERT_EQ(link.ReadFile(&contents, kMaxFileFrameSize), FrameStatus::kOk);
  EXPECT_EQ(contents, std::string(5000, 'a') + "end");
}

}  // namespace
}  // namespace varnholt::varnlink
