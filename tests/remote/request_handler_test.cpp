// Requests of logged-in clients over real loopback sockets: a client written from the wire
// rules, the real listener on its own loop thread, the real queue and files; the test thread
// plays the worker and runs the handler for each request the listener hands on.
#include "remote/request_handler.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "core/notify_codes.h"
#include "platform/ip_address.h"
#include "platform/poll_event_loop.h"
#include "remote/request_table.h"
#include "support/file_text.h"
#include "support/recording_game_link.h"
#include "support/remote_test_client.h"
#include "support/temp_folder.h"
#include "support/wait.h"

namespace varnholt {
namespace {

using testing::RemoteTestClient;
using testing::TempFolder;
using testing::WaitUntil;
using testing::Word;

constexpr uint32_t Req(uint32_t n) {
  return kRequestBase + n;
}

// What the program would do, recorded.
class FakeServices final : public RequestServices {
 public:
  bool WriteSettingsForClient(const std::string& path, AccessRights rights) override {
    return testing::WriteFileText(path, "settings for " + std::to_string(rights) + "\n");
  }
  bool TakeSettingsFromClient(const std::string& path, const ClientIdentity& client) override {
    taken_settings = testing::ReadFileText(path) + " from " + client.user;
    return true;
  }
  bool BuildModList(const std::string& path) override {
    return testing::WriteFileText(path, "mods\n");
  }
  void ReloadMapPage(bool reset_filters) override { map_reloads.push_back(reset_filters); }
  bool IsKnownLevel(const std::string& level) override { return level == "hue GPM_CQ ashfront"; }
  bool LoadBanList(const std::string& path) override {
    loaded_ban_list = testing::ReadFileText(path);
    return true;
  }
  void ReloadBannedWords() override { ++banned_word_reloads; }
  bool ServerRunning() override { return running; }
  bool StartServer() override { return running = start_works; }
  bool StopServer() override {
    running = false;
    return true;
  }
  bool ServerInternet() override { return true; }

  std::string taken_settings;
  std::vector<bool> map_reloads;
  std::string loaded_ban_list;
  int banned_word_reloads = 0;
  bool running = false;
  bool start_works = true;
};

class StatusLink final : public testing::RecordingGameLink {
 public:
  bool StatusPortIdentified() const override { return !host_port.empty(); }
  bool GetQueryValue(std::string_view key, std::string* value) override {
    if (key != "hostport" || host_port.empty()) return false;
    *value = host_port;
    return true;
  }
  std::string host_port;
};

class RequestTest : public ::testing::Test {
 protected:
  RequestTest()
      : log_(folder_.path(), clock_),
        queue_(clock_, log_),
        accounts_(folder_.Sub("Mods/ashfront/Settings/UserAccess.con"), log_),
        loop_(clock_) {
    folder_.Write("Mods/ashfront/Settings/PlayerMenu.con", "Kick|kick,[kick]\n");
    accounts_.SetAccounts({{"root", "r00t-pw", "", kAdminRights, true},
                           {"viewer", "view-pw", "", kRightStatusPage, true},
                           {"keeper", "keep-pw", "", kRightUsersPage | kRightStatusPage, true},
                           {"mapper", "map-pw", "", kRightMapsPage | kRightPlayersPage, true}});
    std::promise<uint16_t> started;
    thread_ = std::thread([&] {
      listener_ = std::make_unique<RemoteListener>(loop_, log_, clock_, accounts_);
      ListenerHooks hooks;
      hooks.server_running = [] { return false; };
      hooks.on_request = [this](int slot, uint32_t generation) {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.emplace_back(slot, generation);
        arrived_.notify_all();
      };
      listener_->SetHooks(std::move(hooks));
      started.set_value(listener_->StartListener(kLoopbackAddress, 0) ? listener_->port() : 0);
      loop_.Run();
      listener_.reset();
    });
    port_ = started.get_future().get();
    handler_ = std::make_unique<RequestHandler>(
        log_, clock_, queue_, link_, *listener_, accounts_, services_,
        RequestFolders{folder_.path(), folder_.Sub("Mods/ashfront/Settings")});
  }
  ~RequestTest() override {
    handler_.reset();
    loop_.Quit(0);
    thread_.join();
  }

  std::unique_ptr<RemoteTestClient> Connect(const std::string& user, const std::string& password) {
    auto client = std::make_unique<RemoteTestClient>(port_);
    EXPECT_EQ(client->Login(user, password), 0) << user;
    return client;
  }
  // Waits for the listener to hand on one request and runs the handler for it, as the
  // worker does for the read-request Command.
  bool Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, std::chrono::milliseconds(testing::kPatienceMs),
                           [this] { return !pending_.empty(); })) {
      return false;
    }
    auto [slot, generation] = pending_.front();
    pending_.pop_front();
    lock.unlock();
    handler_->HandleClientRequest(slot, generation);
    return true;
  }
  std::vector<Command> Queued() {
    Command slots[kQueueSlots];
    queue_.Snapshot(slots);
    return std::vector<Command>(slots, slots + queue_.Count());
  }
  std::string Log() const { return folder_.Read("Varnholt.log"); }
  bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }
  std::string Settings(const std::string& name) const {
    return folder_.Read("Mods/ashfront/Settings/" + name);
  }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  CommandQueue queue_;
  UserAccounts accounts_;
  StatusLink link_;
  FakeServices services_;
  PollEventLoop loop_;
  std::unique_ptr<RemoteListener> listener_;
  std::unique_ptr<RequestHandler> handler_;
  std::thread thread_;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::pair<int, uint32_t>> pending_;
};

// The access table written out from the page and right names, apart from the program's.
TEST(RequestRightsTest, EveryRequestAgainstEveryRight) {
  const AccessRights S = kRightStatusPage, M = kRightMapsPage, P = kRightPlayersPage,
                     B = kRightBanlistPage, U = kRightUsersPage, H = kRightSchedulePage,
                     C = kRightClientsPage, A = kRightAdminPage, X = kRightStartStop,
                     L = kRightViewLog, K = kRightConsoleCommands, PB = kRightPunkBuster;
  constexpr AccessRights kAny = 0xFFFFFFFF;  // every single right
  constexpr AccessRights kAdminOnly = 0;     // no single right
  const AccessRights expected[kRequestCount] =
      {
          kAny,  kAny,  PB,   PB, PB,         PB,  kAdminOnly, kAdminOnly,  // 0-7
          M,     M,     M,    M,  P,          C,   P,          B,
          B,     U,     U,    H,  H,          S,   A,          A,  // 8-23
          P | A, P | A, X,    X,  X,          P,   M,          M,
          M,     M,     M,    P,  kAdminOnly,  // 24-36
          P | B, B,     B,    P,  B,          B,   B,          kAny,
          kAny,  K,     kAny, L,  P,          kAny  // 37-50
      };
  for (uint32_t n = 0; n < kRequestCount; ++n) {
    for (int bit = 0; bit < 19; ++bit) {
      const AccessRights rights = 1u << bit;
      EXPECT_EQ(RequestAllowed(rights, Req(n)), (expected[n] & rights) != 0)
          << "request " << n << " with bit " << bit;
    }
    EXPECT_TRUE(RequestAllowed(kAdminRights, Req(n))) << n;
    EXPECT_FALSE(RequestAllowed(0, Req(n))) << n;
    // All defined rights short of admin still leave the admin-only requests closed.
    EXPECT_EQ(RequestAllowed(kAllDefinedRights, Req(n)), expected[n] != kAdminOnly) << n;
  }
  EXPECT_FALSE(RequestAllowed(kAdminRights, kRequestBase - 1));
  EXPECT_FALSE(RequestAllowed(kAdminRights, kRequestLast + 1));
}

TEST_F(RequestTest, RefusedAndUnknownRequestsGetNothingAndTheStreamStaysInStep) {
  auto viewer = Connect("viewer", "view-pw");
  // Not allowed: logged, nothing sent. The refused console command's text is read and
  // dropped, so "quit" is never taken for a request.
  viewer->Request(Req(10));
  viewer->RequestText(Req(46), "quit");
  viewer->Request(kRequestBase - 1);
  viewer->Request(kRequestLast + 1);
  viewer->Request(Req(50));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Serve()) << i;
  EXPECT_EQ(viewer->Receive(8), Word(kNotifyKeepAlive) + Word(0));
  EXPECT_TRUE(LogHas("SECURITY ALERT! Client at " + viewer->address() +
                     " does not have access to command BABE000A!"));
  EXPECT_TRUE(LogHas("does not have access to command BABE002E!"));
  EXPECT_FALSE(LogHas("BABDFFFF"));
  EXPECT_FALSE(LogHas("BABE0033"));
  EXPECT_TRUE(Queued().empty());
}

TEST_F(RequestTest, UploadsReplaceTheirFileAndTellTheOtherClients) {
  auto root = Connect("root", "r00t-pw");
  auto other = Connect("mapper", "map-pw");
  const std::string rotation = "game.addLevel hue GPM_CQ ashfront\n";
  root->RequestFile(Req(11), rotation);
  ASSERT_TRUE(Serve());
  EXPECT_EQ(Settings("ServerMapList.con"), rotation);
  EXPECT_EQ(services_.map_reloads, std::vector<bool>{true});  // both filters reset
  EXPECT_TRUE(LogHas("User root at " + root->address() + " updated the map rotation."));
  EXPECT_EQ(other->Receive(8), Word(kNotifyRotationChanged) + Word(0));
  root->Request(Req(10));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(root->ReceiveFile(), rotation);  // and no notification of its own before it

  root->RequestFile(Req(25), "idiot\n");
  root->RequestFile(Req(16), "");
  ASSERT_TRUE(Serve());
  ASSERT_TRUE(Serve());
  EXPECT_EQ(Settings("BannedWords.con"), "idiot\n");
  EXPECT_EQ(services_.banned_word_reloads, 1);
  EXPECT_EQ(services_.loaded_ban_list, "");
  EXPECT_EQ(other->Receive(16),
            Word(kNotifyBannedWordsChanged) + Word(0) + Word(kNotifyBanListChanged) + Word(0));

  // Settings travel through a temporary file that does not stay behind.
  root->RequestFile(Req(1), "game.serverName x");
  ASSERT_TRUE(Serve());
  EXPECT_EQ(services_.taken_settings, "game.serverName x from root");
  EXPECT_FALSE(testing::FileExists(folder_.Sub("Varnholt.con")));
  root->Request(Req(0));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(root->ReceiveFile(), "settings for 4294967295\n");

  // A file that is not there is the error marker, and the stream goes on.
  root->Request(Req(6));
  root->Request(Req(14));
  ASSERT_TRUE(Serve());
  ASSERT_TRUE(Serve());
  EXPECT_EQ(root->ReceiveFile(), std::nullopt);
  EXPECT_EQ(root->ReceiveFile(), "Kick|kick,[kick]\n");
}

TEST_F(RequestTest, TextRequestsQueueTheirCommandForTheClientsSlot) {
  auto mapper = Connect("mapper", "map-pw");
  mapper->RequestText(Req(35), "7 cheating");
  mapper->RequestText(Req(30), "hue GPM_CQ ashfront");
  mapper->RequestText(Req(30), "hue GPM_CQ ashfront\nadmin.quit");
  mapper->RequestText(Req(33), "");
  // A text longer than any request may carry is read to its end and dropped.
  mapper->Send(Word(Req(44)) + Word(1000) + std::string(1000, 'x'));
  mapper->Request(Req(50));
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(Serve()) << i;
  EXPECT_EQ(mapper->ReceiveNotification(), std::make_pair(uint32_t{kNotifyFailed}, std::string()));
  EXPECT_EQ(mapper->ReceiveNotification(),
            std::make_pair(uint32_t{kNotifyKeepAlive}, std::string()));
  const std::vector<Command> queued = Queued();
  ASSERT_EQ(queued.size(), 3u);
  EXPECT_EQ(queued[0].code, kCmdKick);
  EXPECT_STREQ(queued[0].text, "7 cheating");
  EXPECT_EQ(queued[0].Originator(), 1);
  EXPECT_EQ(queued[1].code, kCmdChangeMap);
  EXPECT_STREQ(queued[1].text, "hue GPM_CQ ashfront");
  EXPECT_EQ(queued[2].code, kCmdIdleMap);
  EXPECT_STREQ(queued[2].text, "");
  EXPECT_TRUE(LogHas("It is not a level of this server."));
}

TEST_F(RequestTest, TextRepliesForStatusAndGamePort) {
  auto mapper = Connect("mapper", "map-pw");
  auto viewer = Connect("viewer", "view-pw");
  mapper->Request(Req(29));  // stopped: the single word 0
  ASSERT_TRUE(Serve());
  EXPECT_EQ(mapper->Receive(4), Word(0));
  services_.running = true;
  link_.host_port = "14567";
  mapper->Request(Req(29));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(mapper->ReceiveText(), "14567,1");
  viewer->Request(Req(21));  // no status summary to give
  ASSERT_TRUE(Serve());
  EXPECT_EQ(viewer->Receive(4), Word(0));
}

TEST_F(RequestTest, StartAndStopSayWhenTheServerIsAlreadyThatWay) {
  accounts_.PutAccount({"starter", "go-pw", "", kRightStartStop, true});
  auto starter = Connect("starter", "go-pw");
  auto viewer = Connect("viewer", "view-pw");
  starter->Request(Req(27));
  ASSERT_TRUE(Serve());
  EXPECT_TRUE(LogHas("User starter at " + starter->address() +
                     " tried to stop the server but it is already stopped."));
  EXPECT_EQ(viewer->Receive(8), Word(kNotifyAlreadyStopped) + Word(0));
  EXPECT_EQ(starter->Receive(8), Word(kNotifyAlreadyStopped) + Word(0));
  starter->Request(Req(26));
  ASSERT_TRUE(Serve());
  EXPECT_TRUE(LogHas("User starter at " + starter->address() + " started the server."));
  starter->Request(Req(26));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(viewer->Receive(8), Word(kNotifyAlreadyRunning) + Word(0));
  services_.running = false;
  services_.start_works = false;
  starter->Request(Req(26));
  ASSERT_TRUE(Serve());
  EXPECT_EQ(starter->Receive(16),
            Word(kNotifyAlreadyRunning) + Word(0) + Word(kNotifyFailed) + Word(0));
}

TEST_F(RequestTest, TheLogDownloadIsItsLastPartAndHoldsNoPassword) {
  RemoteTestClient intruder(port_);
  EXPECT_EQ(intruder.Login("root", "guessed-hunter2"), 2);
  ASSERT_TRUE(WaitUntil([&] { return LogHas("Bad password"); }));
  ASSERT_TRUE(testing::AppendFileText(folder_.Sub("Varnholt.log"), std::string(40000, 'L')));
  auto root = Connect("root", "r00t-pw");
  root->Request(Req(48));
  ASSERT_TRUE(Serve());
  const std::optional<std::string> tail = root->ReceiveFile();
  ASSERT_TRUE(tail);
  EXPECT_EQ(tail->size(), kLogTailBytes);
  const std::string log = Log();
  EXPECT_EQ(*tail, log.substr(log.size() - kLogTailBytes));
  EXPECT_EQ(log.find("hunter2"), std::string::npos);
  EXPECT_EQ(log.find("r00t-pw"), std::string::npos);
}

TEST_F(RequestTest, AUserListUploadCannotMakeAnyoneAdministrator) {
  auto keeper = Connect("keeper", "keep-pw");
  // Plain-text fields, as a client may send them: keeper tries to raise himself and to add
  // an administrator.
  keeper->RequestFile(Req(18),
                      "keeper,keep-pw,,4294967295,1\nevil,evil-pw,,4294967295,1\n"
                      "helper,help-pw,,32,1\n");
  ASSERT_TRUE(Serve());
  EXPECT_TRUE(WaitUntil([&] { return LogHas("updated the user list."); }));
  EXPECT_EQ(accounts_.FindAccount("keeper")->rights, kRightUsersPage | kRightStatusPage);
  EXPECT_FALSE(accounts_.FindAccount("evil"));
  ASSERT_TRUE(accounts_.FindAccount("helper"));
  EXPECT_EQ(accounts_.FindAccount("helper")->rights, kRightStatusPage);
  EXPECT_FALSE(testing::FileExists(folder_.Sub("UserAccess.con")));
  // An account he could see but left out of his list is gone; those he could not see stay.
  EXPECT_FALSE(accounts_.FindAccount("viewer"));
  EXPECT_TRUE(accounts_.FindAccount("mapper"));
  EXPECT_TRUE(accounts_.FindAccount("root"));
  // The list he gets back holds only what he could grant: no administrator, no mapper.
  keeper->Request(Req(17));
  ASSERT_TRUE(Serve());
  const std::optional<std::string> list = keeper->ReceiveFile();
  ASSERT_TRUE(list);
  EXPECT_EQ(std::count(list->begin(), list->end(), '\n'), 2);  // keeper, helper
}

TEST_F(RequestTest, ClientListNamesEveryClientAndAStaleRequestIsNotRead) {
  auto root = Connect("root", "r00t-pw");
  auto viewer = Connect("viewer", "view-pw");
  root->Request(Req(13));
  ASSERT_TRUE(Serve());
  const std::optional<std::string> list = root->ReceiveFile();
  ASSERT_TRUE(list);
  EXPECT_EQ(list->find("\"root\",1," + root->address() + ",Connected,"), 0u) << *list;
  EXPECT_NE(list->find("\n\"viewer\",2," + viewer->address() + ",Connected,*\n"), std::string::npos)
      << *list;
  EXPECT_FALSE(testing::FileExists(folder_.Sub("ClientList.con")));

  // The viewer is disconnected and someone else takes slot 2: the request read for the
  // viewer's generation is not read from the new client.
  viewer->Request(Req(50));
  std::pair<int, uint32_t> stale;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ASSERT_TRUE(
        arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return !pending_.empty(); }));
    stale = pending_.front();
    pending_.pop_front();
  }
  ASSERT_TRUE(listener_->DisconnectClient(stale.first));
  auto newcomer = Connect("mapper", "map-pw");
  newcomer->Request(Req(50));
  handler_->HandleClientRequest(stale.first, stale.second);
  newcomer->SetPatienceMs(200);
  EXPECT_EQ(newcomer->Receive(8), "");
  ASSERT_TRUE(Serve());
  newcomer->SetPatienceMs(testing::kPatienceMs);
  EXPECT_EQ(newcomer->Receive(8), Word(kNotifyKeepAlive) + Word(0));
}

}  // namespace
}  // namespace varnholt
