#include "remote/client_table.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "remote/user_accounts.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

bool IsOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1;
}

class ClientTableTest : public ::testing::Test {
 protected:
  ClientTableTest() : log_(folder_.path(), clock_), accounts_(folder_.Sub("U.con"), log_) {
    accounts_.SetAccounts({{"alice", "pw", "", 0x41, true},
                           {"bob", "pw", "", kAdminRights, true},
                           {"carol", "pw", "", 0x80, true},
                           {"dave", "pw", "", 0x200, true}});
  }
  // A connected socket the table can own (the other end stays with the test).
  int NewSocket() {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    peers_.push_back(fds[1]);
    return fds[0];
  }
  int Connect(const char* user, AccessRights rights, uint32_t* generation) {
    const int slot = table_.ReserveSlot(NewSocket(), user, "10.0.0.1:4000", rights);
    if (slot > 0) *generation = table_.ConfirmSlot(slot);
    return slot;
  }
  ~ClientTableTest() override {
    for (int fd : peers_) close(fd);
  }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  UserAccounts accounts_;
  ClientTable table_{accounts_};
  std::vector<int> peers_;
};

TEST_F(ClientTableTest, OriginatorsResolveToOperatorClientsAndGameAdmins) {
  EXPECT_EQ(table_.GetClientName(0), "operator");
  EXPECT_EQ(table_.GetClientAddress(0), "console");
  EXPECT_EQ(table_.GetClientRights(0), kAdminRights);

  uint32_t generation = 0;
  const int slot = Connect("alice", 0x41, &generation);
  ASSERT_EQ(slot, 1);
  EXPECT_EQ(table_.GetClientName(1), "alice");
  EXPECT_EQ(table_.GetClientAddress(1), "10.0.0.1:4000");
  EXPECT_EQ(table_.GetClientRights(1), 0x41u);
  // A free slot has no identity and no rights.
  EXPECT_EQ(table_.GetClientName(2), "");
  EXPECT_EQ(table_.GetClientRights(2), 0u);

  // In-game administrators: the low byte is their account's row.
  EXPECT_EQ(table_.GetClientName(0xFF03), "dave");
  EXPECT_EQ(table_.GetClientAddress(0xFF03), "game");
  EXPECT_EQ(table_.GetClientRights(0xFF01), kAdminRights);
  EXPECT_EQ(table_.GetClientName(0xFF09), "[unknown]");
  EXPECT_EQ(table_.GetClientRights(0xFF09), 0u);
  EXPECT_EQ(table_.GetClientAddress(0xFF09), "game");

  for (uint32_t other : {17u, 0xFEFFu, 1000u}) {
    EXPECT_EQ(table_.GetClientName(other), "[unknown]");
    EXPECT_EQ(table_.GetClientAddress(other), "[unknown]");
    EXPECT_EQ(table_.GetClientRights(other), 0u);
  }
}

TEST_F(ClientTableTest, SixteenRemoteSlotsThenFull) {
  uint32_t generation = 0;
  for (int i = 1; i <= kMaxRemoteClients; ++i)
    EXPECT_EQ(Connect("bob", kAdminRights, &generation), i);
  EXPECT_FALSE(table_.HasFreeSlot());
  EXPECT_EQ(table_.ReserveSlot(NewSocket(), "bob", "x", 1), -1);
  EXPECT_EQ(table_.ClientRows().size(), 16u);
  // Slot 0 is never a client to vacate or send to.
  EXPECT_FALSE(table_.VacateSlot(0));
  EXPECT_FALSE(table_.AcquireSlot(0));
  ASSERT_TRUE(table_.VacateSlot(5));
  EXPECT_TRUE(table_.HasFreeSlot());
  EXPECT_EQ(Connect("carol", 0x80, &generation), 5);
}

TEST_F(ClientTableTest, ReservedLoginIsNoClientYetButHoldsItsName) {
  const int slot = table_.ReserveSlot(NewSocket(), "Alice", "10.0.0.1:1", 0x41);
  ASSERT_EQ(slot, 1);
  EXPECT_TRUE(table_.IsUserConnected("alice"));
  EXPECT_TRUE(table_.ClientRows().empty());
  EXPECT_TRUE(table_.ConnectedSlots().empty());
  EXPECT_FALSE(table_.AcquireSlot(slot));
  table_.ConfirmSlot(slot);
  EXPECT_EQ(table_.ConnectedSlots(), std::vector<int>{1});
}

TEST_F(ClientTableTest, GenerationKeepsWorkForOneClientFromTheNextInItsSlot) {
  uint32_t first = 0;
  ASSERT_EQ(Connect("alice", 0x41, &first), 1);
  table_.SetLastRequest(1, first, "Tue Dec  8 13:00:00 2026");
  ASSERT_TRUE(table_.VacateSlot(1));
  uint32_t second = 0;
  ASSERT_EQ(Connect("carol", 0x80, &second), 1);
  EXPECT_NE(first, second);
  EXPECT_FALSE(table_.IsCurrent(1, first));
  EXPECT_TRUE(table_.IsCurrent(1, second));
  // A request read for the first client is neither answered to nor stamped on the second.
  EXPECT_FALSE(table_.AcquireClient(1, first));
  table_.SetLastRequest(1, first, "stale");
  EXPECT_FALSE(table_.VacateSlot(1, first));
  const std::vector<ClientRow> rows = table_.ClientRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].user, "carol");
  EXPECT_EQ(rows[0].status, "Connected");
  EXPECT_EQ(rows[0].last_request, "");
  EXPECT_EQ(table_.FindSlotBySocket(-1), -1);
}

TEST_F(ClientTableTest, ALeasedSocketIsClosedOnlyWhenItsLastLeaseEnds) {
  uint32_t generation = 0;
  ASSERT_EQ(Connect("alice", 0x41, &generation), 1);
  const int socket = table_.Session(1)->socket;
  EXPECT_EQ(table_.FindSlotBySocket(socket), 1);
  std::optional<ClientLease> lease = table_.AcquireClient(1, generation);
  ASSERT_TRUE(lease);
  ASSERT_TRUE(table_.VacateSlot(1));
  table_.SocketUnwatched(socket);
  // Still open: the number cannot go to a new connection under the lease holder.
  EXPECT_TRUE(IsOpen(socket));
  EXPECT_EQ(table_.FindSlotBySocket(socket), -1);
  table_.ReleaseClient(*lease);
  EXPECT_FALSE(IsOpen(socket));

  // Without a lease the socket closes as soon as its watch is gone.
  ASSERT_EQ(Connect("alice", 0x41, &generation), 1);
  const int next = table_.Session(1)->socket;
  ASSERT_TRUE(table_.VacateSlot(1));
  EXPECT_TRUE(IsOpen(next));
  table_.SocketUnwatched(next);
  EXPECT_FALSE(IsOpen(next));
}

}  // namespace
}  // namespace varnholt
