// The status query client against the real ashfront-sim process and small UDP peers.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include "gamelink_harness.h"
#include "platform/last_error.h"
#include "settings/setting_def.h"
#include "support/child_process.h"
#include "support/free_port.h"

namespace varnholt::testing {
namespace {

class StatusQueryTest : public GameLinkTest {};

// A UDP port on loopback that takes datagrams and never answers, held while it lives.
class SilentPort {
 public:
  SilentPort() { fd_ = BindLoopback(SOCK_DGRAM, &port_); }
  ~SilentPort() { close(fd_); }
  uint16_t port() const { return port_; }

 private:
  int fd_;
  uint16_t port_ = 0;
};

// True when nothing on this machine holds the UDP port.
bool UdpPortFree(uint16_t port) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  bool free = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return free;
}

TEST_F(StatusQueryTest, SimRepliesBecomeTextAndValues) {
  SimServer sim;
  ASSERT_TRUE(sim.Start({"--player=Back\\slash|1|40", "--player=anna|2|55"}));
  std::optional<std::string> reply = status_.QueryServerStatus(sim.query_port(), "\\STATUS\\");
  ASSERT_TRUE(reply) << GetLastErrorCode();
  EXPECT_EQ(GetLastErrorCode(), 0u);
  EXPECT_EQ(reply->front(), '\\');
  EXPECT_EQ(reply->back(), '\\');
  auto value = [&](const char* key) {
    std::optional<std::string> v = status_.GetQueryValue(key);
    return v ? *v : std::string("(none)");
  };
  EXPECT_EQ(value("hostport"), std::to_string(kSimGamePort));
  EXPECT_EQ(value("numplayers"), "2");
  EXPECT_EQ(value("player_0"), "Back/slash");
  EXPECT_EQ(value("ping_1"), "55");
  EXPECT_EQ(value("team_t1"), "dak");
  EXPECT_FALSE(status_.GetQueryValue("no such key"));

  // Only the rules for "\info\".
  reply = status_.QueryServerStatus(sim.query_port(), "\\info\\");
  ASSERT_TRUE(reply);
  EXPECT_FALSE(status_.GetQueryValue("player_0"));
  EXPECT_TRUE(status_.GetQueryValue("mapname"));

  EXPECT_FALSE(status_.QueryServerStatus(0, "\\info\\"));
  EXPECT_EQ(GetLastErrorCode(), kErrorInvalidParameter);
}

// The worker's status tick and the user-interface thread's hang test share one client:
// while both query at once, every reply a caller gets stays whole and its own.
TEST_F(StatusQueryTest, TwoThreadsQueryingAtOnceEachGetTheirOwnReplies) {
  SimServer sim;
  ASSERT_TRUE(sim.Start({"--static", "--players=16", "--chat-every=0"}));
  status_.SetStartDelay(0);
  constexpr int kRounds = 3000;
  const std::string host_port = "\\hostport\\" + std::to_string(kSimGamePort) + "\\";
  std::atomic<int> bad{0};
  auto run = [&](const char* query, bool with_players) {
    for (int round = 0; round < kRounds; ++round) {
      auto reply = status_.QueryServerStatus(sim.query_port(), query);
      if (!reply) {
        ++bad;
        continue;
      }
      const std::string text = *reply;
      bool players = text.find("\\player_15\\") != std::string::npos;
      if (players != with_players || text.find(host_port) == std::string::npos) ++bad;
      // Whichever thread's reply is the last one, both kinds carry the host port.
      auto value = status_.GetQueryValue("hostport");
      if (!value || *value != std::to_string(kSimGamePort)) ++bad;
      if (status_.StatusReply().find("\\hostport\\") == std::string::npos) ++bad;
    }
  };
  std::thread worker(run, "\\status\\", true);
  std::thread user_interface(run, "\\info\\", false);
  worker.join();
  user_interface.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST_F(StatusQueryTest, StaleDatagramsAreSkipped) {
  FakeStatusServer peer([](const std::string& request) {
    std::string stale = std::string(1, '\0') + "\x01\x02\x03\x04" + "hostport" +
                        std::string(1, '\0') + "1" + std::string(3, '\0');
    std::string good =
        StatusHeader(request) + "hostport" + std::string(1, '\0') + "15567" + std::string(3, '\0');
    return std::vector<std::string>{stale, good};
  });
  ASSERT_TRUE(status_.QueryServerStatus(peer.port(), "\\info\\"));
  EXPECT_EQ(status_.StatusReply(), "\\hostport\\15567\\");
}

TEST_F(StatusQueryTest, OversizedDatagramsAndSilenceAreReported) {
  FakeStatusServer peer([](const std::string& request) {
    return std::vector<std::string>{StatusHeader(request) + std::string(40000, 'x')};
  });
  EXPECT_FALSE(status_.QueryServerStatus(peer.port(), "\\info\\"));
  EXPECT_EQ(GetLastErrorCode(), kWsaMessageSize);
  EXPECT_TRUE(Logged("Couldn't get server status! Response is greater than MAX_MSG_SIZE!"));

  SilentPort silent;
  EXPECT_FALSE(status_.QueryServerStatus(silent.port(), "\\info\\"));
  EXPECT_EQ(GetLastErrorCode(), kWsaTimedOut);
  EXPECT_EQ(status_.StatusReply(), "");
}

// The same two faults from the substitute server itself.
TEST_F(StatusQueryTest, TheSimsStaleAndOversizedRepliesAreHandled) {
  SimServer sim;
  ASSERT_TRUE(sim.Start({"--fault=stale-reply"}));
  ASSERT_TRUE(sim.WaitForOutput("Sending a stale datagram before each status reply"));
  ASSERT_TRUE(status_.QueryServerStatus(sim.query_port(), "\\info\\")) << GetLastErrorCode();
  EXPECT_TRUE(status_.GetQueryValue("mapname"));

  sim.Control("oversized-reply");
  ASSERT_TRUE(sim.WaitForOutput("Sending oversized status replies"));
  EXPECT_FALSE(status_.QueryServerStatus(sim.query_port(), "\\info\\"));
  EXPECT_EQ(GetLastErrorCode(), kWsaMessageSize);
}

TEST_F(StatusQueryTest, StatusLogGetsOneLinePerReply) {
  FakeStatusServer peer(RulesAnswer({"hostport", "15567", "gamemode", "playing"}));
  status_.SetStatusLog(folder_.Sub("status.log"));
  ASSERT_TRUE(status_.QueryServerStatus(peer.port(), "\\info\\"));
  ASSERT_TRUE(status_.QueryServerStatus(peer.port(), "\\info\\"));
  std::string log = ReadFileText(folder_.Sub("status.log"));
  std::regex line(R"(\S+ \d\d:\d\d:\d\d : \[\\hostport\\15567\\gamemode\\playing\\\]\n)");
  EXPECT_TRUE(std::regex_match(log.substr(0, log.size() / 2), line)) << log;
  EXPECT_EQ(log.substr(0, log.size() / 2), log.substr(log.size() / 2));
}

TEST_F(StatusQueryTest, TheConfiguredPortIsTriedFirst) {
  SimServer sim;
  ASSERT_TRUE(sim.Start({}));
  status_.SetDebug(true);
  UseServer(sim.console_port(), sim.query_port());
  ASSERT_TRUE(status_.IdentifyStatusPort());
  EXPECT_EQ(status_.StatusPort(), sim.query_port());
  EXPECT_TRUE(Logged("DEBUG: Testing configured port (" + std::to_string(sim.query_port()) + ")"));
  EXPECT_TRUE(Logged("DEBUG: Identified server status port (" + std::to_string(sim.query_port())));

  // The LAN port is the candidate of a LAN server.
  settings_.SetInt("game.serverInternet", 0);
  settings_.SetInt("game.gameSpyLANPort", sim.query_port());
  settings_.SetInt("game.gameSpyPort", 1);
  status_.ForgetStatusPort();
  ASSERT_TRUE(status_.IdentifyStatusPort());
  EXPECT_EQ(status_.StatusPort(), sim.query_port());
}

// A server stopped while its port is searched for ends the search, instead of a second of
// silence for each of the ports left.
TEST_F(StatusQueryTest, TheSearchEndsWhenItIsNoLongerWanted) {
  FakeStatusServer other(RulesAnswer({"hostport", "9999"}));
  UseServer(1, other.port());
  int asked = 0;
  status_.SetSearchWanted([&] { return ++asked < 2; });
  EXPECT_FALSE(status_.IdentifyStatusPort());
  EXPECT_EQ(asked, 2);
}

TEST_F(StatusQueryTest, TheSearchFindsAServerOnAnotherPort) {
  uint16_t port = 0;
  for (uint16_t p = 23000; p < 23010 && port == 0; ++p) {
    if (UdpPortFree(p)) port = p;
  }
  if (port == 0) GTEST_SKIP() << "ports 23000-23009 are all taken on this machine";
  // A game port of its own, so no other server on these ports on this machine can match.
  SimServer sim;
  ASSERT_TRUE(sim.Start({"--query-port=" + std::to_string(port)}, false, 15999));
  settings_.SetInt(setting_rows::kServerPort, 15999);
  // The configured port belongs to a server on another game port.
  FakeStatusServer other(RulesAnswer({"hostport", "9999"}));
  UseServer(sim.console_port(), other.port());
  status_.SetDebug(true);
  int pumps = 0;
  status_.SetPumpMessages([&] { ++pumps; });
  ASSERT_TRUE(status_.IdentifyStatusPort());
  EXPECT_EQ(status_.StatusPort(), port);
  EXPECT_EQ(pumps, port - 23000 + 1);
  EXPECT_TRUE(Logged("DEBUG: Server is not using the configured status port! (" +
                     std::to_string(other.port()) + ")."));
}

}  // namespace
}  // namespace varnholt::testing
