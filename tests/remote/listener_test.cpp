// The listener over real loopback sockets, with a client written here from the wire rules
// alone: its own RC4 over the key file, its own bytes. Only the server side uses the
// program's classes.
#include "remote/listener.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include "platform/ip_address.h"
#include "platform/last_error.h"
#include "platform/poll_event_loop.h"
#include "support/file_text.h"
#include "support/remote_test_client.h"
#include "support/temp_folder.h"
#include "support/wait.h"

namespace varnholt {
namespace {

using testing::TempFolder;
using testing::WaitUntil;

using TestClient = testing::RemoteTestClient;
using testing::LoginField;
using testing::Word;

class ListenerTest : public ::testing::Test {
 protected:
  ListenerTest()
      : log_(folder_.path(), clock_),
        accounts_(folder_.Sub("Mods/ashfront/Settings/UserAccess.con"), log_),
        loop_(clock_) {
    accounts_.SetAccounts({{"alice", "s3cret-pw", "", 0x41, true},
                           {"root", "r00t-pw", "", kAdminRights, true},
                           {"sleepy", "zzz-pw", "", 0x1, false}});
    std::promise<uint16_t> started;
    thread_ = std::thread([&] {
      listener_ = std::make_unique<RemoteListener>(loop_, log_, clock_, accounts_);
      ListenerHooks hooks;
      hooks.server_running = [] { return true; };
      hooks.on_request = [this](int slot, uint32_t generation) {
        requests_.fetch_add(1);
        last_request_slot_ = slot;
        last_request_generation_ = generation;
      };
      listener_->SetHooks(std::move(hooks));
      started.set_value(listener_->StartListener(kLoopbackAddress, 0) ? listener_->port() : 0);
      loop_.Run();
      listener_.reset();
    });
    port_ = started.get_future().get();
  }
  ~ListenerTest() override {
    loop_.Quit(0);
    thread_.join();
  }

  // Runs `fn` on the loop's thread and returns its result.
  template <typename Fn>
  auto OnLoop(Fn fn) {
    std::promise<decltype(fn())> done;
    loop_.Post([&] { done.set_value(fn()); });
    return done.get_future().get();
  }
  // Moves the injected time on and makes sure the loop has looked at it.
  void Advance(uint64_t ms) {
    clock_.AdvanceMs(ms);
    // Two rounds: the first wakes the loop and runs its due timers, the second proves it.
    OnLoop([] { return 0; });
    OnLoop([] { return 0; });
  }
  std::string Log() const { return folder_.Read("Varnholt.log"); }
  bool LogHas(const std::string& text) const {
    return WaitUntil([&] { return Log().find(text) != std::string::npos; });
  }
  size_t Rows() {
    return OnLoop([this] { return listener_->clients().ClientRows().size(); });
  }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  UserAccounts accounts_;
  PollEventLoop loop_;
  std::unique_ptr<RemoteListener> listener_;
  std::thread thread_;
  uint16_t port_ = 0;
  std::atomic<int> requests_{0};
  std::atomic<int> last_request_slot_{0};
  std::atomic<uint32_t> last_request_generation_{0};
};

TEST_F(ListenerTest, AcceptedLoginGetsRightsVersionAndServerState) {
  ASSERT_NE(port_, 0);
  EXPECT_TRUE(LogHas("Listening on 127.0.0.1:" + std::to_string(port_) + "."));
  TestClient client(port_);
  ASSERT_TRUE(client.connected());
  uint32_t rights = 0;
  ASSERT_EQ(client.Login("ALICE", "s3cret-pw", &rights), 0);
  EXPECT_EQ(rights, 0x41u);
  EXPECT_EQ(client.server_version_, 0x90);
  EXPECT_EQ(client.server_running_, 1);
  EXPECT_TRUE(LogHas("Client at " + client.address() +
                     " connected as user ALICE with access SgfiatMpbuhc."));
  const std::vector<ClientRow> rows = OnLoop([this] { return listener_->clients().ClientRows(); });
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].slot, 1);
  EXPECT_EQ(rows[0].address, client.address());
  EXPECT_EQ(rows[0].status, "Connected");
  EXPECT_EQ(OnLoop([this] { return listener_->clients().GetClientRights(1); }), 0x41u);

  // A second login under the same name is refused (no multiple-login right), silently.
  TestClient again(port_);
  EXPECT_EQ(again.Login("alice", "s3cret-pw"), 6);
  EXPECT_TRUE(again.ClosedByServer());
}

TEST_F(ListenerTest, RefusedLoginsAreClosedAndLoggedWithoutAnyPassword) {
  TestClient bad(port_);
  EXPECT_EQ(bad.Login("alice", "guess-one"), 2);
  EXPECT_TRUE(bad.ClosedByServer());
  TestClient unknown(port_);
  EXPECT_EQ(unknown.Login("mallory\nfake line", "whatever-pw"), 1);
  EXPECT_TRUE(unknown.ClosedByServer());
  TestClient inactive(port_);
  EXPECT_EQ(inactive.Login("sleepy", "zzz-pw"), 3);
  EXPECT_TRUE(inactive.ClosedByServer());

  EXPECT_TRUE(LogHas("SECURITY ALERT! Client at " + bad.address() +
                     " failed to authenticate! Bad password for user account (alice)."));
  EXPECT_TRUE(LogHas("SECURITY ALERT! Client at " + unknown.address() +
                     " failed to authenticate! Bad username (mallory?fake line)."));
  EXPECT_TRUE(LogHas("User account (sleepy) is inactive."));
  const std::string log = Log();
  for (const char* password : {"guess-one", "whatever-pw", "zzz-pw", "s3cret-pw"}) {
    EXPECT_EQ(log.find(password), std::string::npos) << password;
  }
  EXPECT_EQ(Rows(), 0u);
}

TEST_F(ListenerTest, VersionMismatchIsClosedAfterTheRightsAndFreesTheSlot) {
  TestClient old(port_);
  uint32_t rights = 0;
  ASSERT_EQ(old.Login("alice", "s3cret-pw", &rights, 0x8F), 0);
  EXPECT_EQ(rights, 0x41u);  // the rights came before the version was known
  EXPECT_TRUE(old.ClosedByServer());
  EXPECT_TRUE(LogHas("Client at " + old.address() +
                     " failed to authenticate! Client is using a different protocol version."));
  TestClient good(port_);
  EXPECT_EQ(good.Login("alice", "s3cret-pw"), 0);
  EXPECT_EQ(OnLoop([this] { return listener_->clients().ConnectedSlots(); }), std::vector<int>{1});
}

TEST_F(ListenerTest, SeventeenthClientGetsTableFull) {
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < kMaxRemoteClients; ++i) {
    clients.push_back(std::make_unique<TestClient>(port_));
    ASSERT_EQ(clients.back()->Login("root", "r00t-pw"), 0) << i;
  }
  TestClient extra(port_);
  EXPECT_EQ(extra.Login("root", "r00t-pw"), 7);
  EXPECT_TRUE(extra.ClosedByServer());
  EXPECT_TRUE(LogHas("Client at " + extra.address() +
                     " failed to authenticate! Maximum number of connected clients (16) has been "
                     "reached."));
  EXPECT_EQ(Rows(), 16u);

  // A client that hangs up frees its slot through the close event.
  const std::string gone = clients[3]->address();
  clients[3]->Close();
  EXPECT_TRUE(LogHas("Client root at " + gone + " has disconnected."));
  EXPECT_EQ(Rows(), 15u);
  TestClient next(port_);
  EXPECT_EQ(next.Login("root", "r00t-pw"), 0);
}

TEST_F(ListenerTest, ASlowLoginHoldsNobodyAndIsCutOffByItsDeadline) {
  TestClient slow(port_);
  slow.Send(LoginField("alice").substr(0, 10));
  ASSERT_TRUE(
      WaitUntil([&] { return OnLoop([this] { return listener_->PendingLogins(); }) == 1; }));
  // Another client logs in while the slow one waits for its next byte.
  TestClient quick(port_);
  EXPECT_EQ(quick.Login("root", "r00t-pw"), 0);

  // Its bytes trickle in, each within the 3-second wait, yet the whole login has a limit.
  const std::string rest = LoginField("alice").substr(10) + LoginField("s3cret-pw");
  for (size_t i = 0; i < 4; ++i) {
    Advance(2000);
    slow.Send(rest.substr(i, 1));
    ASSERT_TRUE(
        WaitUntil([&] { return OnLoop([this] { return listener_->PendingLogins(); }) == 1; }));
  }
  Advance(2000);
  EXPECT_TRUE(slow.ClosedByServer());
  EXPECT_TRUE(LogHas("Couldn't authenticate client! "));

  // A silent client is given up 3 seconds after its last byte (give or take one look at
  // the deadlines).
  TestClient silent(port_);
  silent.Send("x");
  ASSERT_TRUE(
      WaitUntil([&] { return OnLoop([this] { return listener_->PendingLogins(); }) == 1; }));
  Advance(3000 - kLoginSweepMs);
  EXPECT_EQ(OnLoop([this] { return listener_->PendingLogins(); }), 1u);
  Advance(2 * kLoginSweepMs);
  EXPECT_TRUE(silent.ClosedByServer());
  EXPECT_EQ(Rows(), 1u);
}

TEST_F(ListenerTest, OneAddressCannotHoldEveryLoginPlace) {
  std::vector<std::unique_ptr<TestClient>> idle;
  for (size_t i = 0; i < kMaxPendingLoginsPerAddress; ++i) {
    idle.push_back(std::make_unique<TestClient>(port_));
  }
  ASSERT_TRUE(WaitUntil([&] {
    return OnLoop([this] { return listener_->PendingLogins(); }) == kMaxPendingLoginsPerAddress;
  }));
  TestClient one_more(port_);
  EXPECT_TRUE(one_more.ClosedByServer());
  idle.clear();
  ASSERT_TRUE(
      WaitUntil([&] { return OnLoop([this] { return listener_->PendingLogins(); }) == 0; }));
  TestClient later(port_);
  EXPECT_EQ(later.Login("alice", "s3cret-pw"), 0);
}

TEST_F(ListenerTest, RepeatedFailuresDelayTheNextCheckOfThatAddress) {
  for (int i = 0; i < 3; ++i) {
    TestClient guess(port_);
    EXPECT_EQ(guess.Login("alice", "guess-" + std::to_string(i)), 2);
  }
  EXPECT_TRUE(
      LogHas("SECURITY ALERT! Client at 127.0.0.1 keeps failing to authenticate! Its "
             "logins are delayed by 1 seconds."));
  TestClient held(port_);
  held.SendLogin("alice", "s3cret-pw");
  // Held: the login is read but not answered until the delay has passed.
  ASSERT_TRUE(WaitUntil([&] { return OnLoop([this] { return listener_->HeldLogins(); }) == 1; }));
  Advance(500);
  EXPECT_EQ(OnLoop([this] { return listener_->HeldLogins(); }), 1u);
  Advance(600);
  EXPECT_EQ(held.Receive(1), std::string(1, '\0'));
  // Answered at its time, the login holds nothing any more.
  EXPECT_EQ(OnLoop([this] { return listener_->HeldLogins(); }), 0u);
}

TEST_F(ListenerTest, NotificationsReachEveryClientOrOne) {
  TestClient a(port_);
  TestClient b(port_);
  TestClient c(port_);
  ASSERT_EQ(a.Login("root", "r00t-pw"), 0);
  ASSERT_EQ(b.Login("root", "r00t-pw"), 0);
  ASSERT_EQ(c.Login("alice", "s3cret-pw"), 0);
  // A client is in the table once the server has sent its last login byte.
  ASSERT_TRUE(WaitUntil([&] { return Rows() == 3; }));

  // From another thread, as the worker sends them.
  listener_->NotifyClients(0xBEEF0020, "Bob");
  const std::string kicked = Word(0xBEEF0020) + Word(4) + std::string("Bob\0", 4);
  EXPECT_EQ(a.Receive(12), kicked);
  EXPECT_EQ(b.Receive(12), kicked);
  EXPECT_EQ(c.Receive(12), kicked);

  listener_->NotifyClients(0xBEEF0004, "", 2);
  EXPECT_TRUE(listener_->NotifyClient(0xBEEF002E, 2));
  EXPECT_EQ(a.Receive(8), Word(0xBEEF0004) + Word(0));
  EXPECT_EQ(b.Receive(8), Word(0xBEEF002E) + Word(0));
  EXPECT_EQ(c.Receive(8), Word(0xBEEF0004) + Word(0));
  EXPECT_FALSE(listener_->NotifyClient(0xBEEF0004, 9));
}

TEST_F(ListenerTest, RequestsAreHandedOnOnceAndDisconnectDropsTheClient) {
  TestClient client(port_);
  ASSERT_EQ(client.Login("alice", "s3cret-pw"), 0);
  client.Send(Word(0xBABE0032));
  ASSERT_TRUE(WaitUntil([&] { return requests_.load() == 1; }));
  EXPECT_EQ(last_request_slot_.load(), 1);
  // Reading stays paused until the handler has read the request.
  client.Send(Word(0xBABE0032));
  OnLoop([] { return 0; });
  EXPECT_EQ(requests_.load(), 1);
  const uint32_t generation = last_request_generation_.load();
  listener_->ResumeReading(1, generation);
  ASSERT_TRUE(WaitUntil([&] { return requests_.load() == 2; }));

  // From another thread, as the disconnect Command does.
  EXPECT_FALSE(listener_->DisconnectClient(1, generation + 1));
  EXPECT_TRUE(listener_->DisconnectClient(1, generation));
  EXPECT_FALSE(listener_->DisconnectClient(1));
  EXPECT_FALSE(listener_->DisconnectClient(0));
  EXPECT_TRUE(LogHas("Client alice at " + client.address() + " has disconnected."));
  client.Receive(8);  // the two requests nobody read
  EXPECT_TRUE(client.ClosedByServer());
  EXPECT_EQ(Rows(), 0u);
}

TEST(ListenerStartTest, AnAddressInUseFailsWithTheSocketError) {
  TempFolder folder;
  ManualClock clock;
  EventLog log(folder.path(), clock);
  UserAccounts accounts(folder.Sub("U.con"), log);
  PollEventLoop loop(clock);
  RemoteListener first(loop, log, clock, accounts);
  ASSERT_TRUE(first.StartListener(kLoopbackAddress, 0));
  RemoteListener second(loop, log, clock, accounts);
  EXPECT_FALSE(second.StartListener(kLoopbackAddress, first.port()));
  EXPECT_EQ(GetLastErrorCode(), static_cast<uint32_t>(kWsaAddressInUse));
  EXPECT_EQ(second.port(), 0);
}

}  // namespace
}  // namespace varnholt
