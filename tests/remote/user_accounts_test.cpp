#include "remote/user_accounts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/last_error.h"
#include "remote/account_fields.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class UserAccountsTest : public ::testing::Test {
 protected:
  UserAccountsTest()
      : log_(folder_.path(), clock_),
        settings_(folder_.Sub("Mods/ashfront/Settings/UserAccess.con")),
        accounts_(settings_, log_) {}

  // Writes a file of plain or enciphered accounts and returns its path.
  std::string WriteList(const std::string& name, const std::vector<UserAccount>& list) {
    std::string text;
    EXPECT_TRUE(FormatUserAccessText(list, &text));
    return folder_.Write(name, text);
  }
  void Install(const std::vector<UserAccount>& list) {
    accounts_.SetAccounts(list);
    ASSERT_TRUE(accounts_.SaveUserList(settings_));
  }
  std::string Log() const { return folder_.Read("Varnholt.log"); }
  AuthResult Login(const std::string& name, const std::string& password, bool connected = false,
                   AccessRights* rights = nullptr) {
    AccessRights r = 0;
    AuthResult result = accounts_.AuthenticateUser(
        name, password, [&](std::string_view) { return connected; }, &r);
    if (rights) *rights = r;
    return result;
  }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  std::string settings_;
  UserAccounts accounts_;
};

TEST_F(UserAccountsTest, LoginResultsInTheirOrder) {
  EXPECT_EQ(Login("anyone", "x"), AuthResult::kNoAccounts);
  accounts_.SetAccounts({
      {"Alice", "Secret", "", 0x41, true},
      {"sleeper", "pw", "", 0x41, false},
      {"norights", "pw", "", 0, true},
      {"multi", "pw", "", 0x4001, true},
  });
  AccessRights rights = 0;
  EXPECT_EQ(Login("alice", "Secret", false, &rights), AuthResult::kAccepted);
  EXPECT_EQ(rights, 0x41u);
  EXPECT_EQ(Login("nobody", "Secret"), AuthResult::kUnknownUser);
  EXPECT_EQ(Login("ALICE", "secret"), AuthResult::kWrongPassword);  // case matters here
  // Inactive is decided before the password is looked at.
  EXPECT_EQ(Login("sleeper", "wrong"), AuthResult::kInactive);
  EXPECT_EQ(Login("norights", "pw"), AuthResult::kNoRights);
  EXPECT_EQ(Login("alice", "Secret", true), AuthResult::kAlreadyConnected);
  EXPECT_EQ(Login("multi", "pw", true), AuthResult::kAccepted);
}

TEST_F(UserAccountsTest, PlainTextFileIsRewrittenEncipheredAtOnce) {
  folder_.Write("Mods/ashfront/Settings/UserAccess.con", "admin,hunter2,,4294967295,1\n");
  ASSERT_TRUE(accounts_.LoadUserList(settings_));
  ASSERT_EQ(accounts_.Accounts().size(), 1u);
  const std::string file = folder_.Read("Mods/ashfront/Settings/UserAccess.con");
  EXPECT_EQ(file.find("hunter2"), std::string::npos);
  EXPECT_EQ(file.find("admin"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(stat(settings_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  UserAccounts again(settings_, log_);
  ASSERT_TRUE(again.LoadUserList(settings_));
  EXPECT_EQ(again.Accounts()[0].password, "hunter2");
}

TEST_F(UserAccountsTest, FailedLoadIsLoggedAndKeepsTheAccounts) {
  accounts_.SetAccounts({{"alice", "pw", "", 1, true}});
  EXPECT_FALSE(accounts_.LoadUserList(folder_.Sub("missing.con")));
  EXPECT_EQ(GetLastErrorCode(), kErrorFileNotFound);
  EXPECT_NE(Log().find("Couldn't open user access file! The system cannot find the file"),
            std::string::npos);
  EXPECT_EQ(accounts_.Accounts().size(), 1u);
}

TEST_F(UserAccountsTest, RefreshDropsUnsavedEditsAndKeepsThemWhenTheFileIsGone) {
  Install({{"alice", "pw", "", 1, true}});
  accounts_.PutAccount({"bob", "pw", "", 2, true});
  accounts_.SetDirty();
  ASSERT_TRUE(accounts_.RefreshUserList());
  EXPECT_FALSE(accounts_.Dirty());
  ASSERT_EQ(accounts_.Accounts().size(), 1u);
  EXPECT_EQ(accounts_.Accounts()[0].name, "alice");

  accounts_.PutAccount({"bob", "pw", "", 2, true});
  accounts_.SetDirty();
  std::filesystem::remove(settings_);
  EXPECT_FALSE(accounts_.RefreshUserList());
  EXPECT_TRUE(accounts_.Dirty());
  EXPECT_EQ(accounts_.Accounts().size(), 2u);
}

TEST_F(UserAccountsTest, ExportShowsOnlyAccountsTheClientCouldGrant) {
  Install({{"admin", "pw", "", kAdminRights, true},
           {"maps", "pw", "", 0x40, true},
           {"players", "pw", "", 0x80, true},
           {"mapper", "pw", "", 0x41, true}});
  const std::string out = folder_.Sub("UserAccess.con");
  ASSERT_TRUE(accounts_.ExportUserListForClient(out, {"mapper", "1.2.3.4:5", 0x241}));
  bool plain = false;
  auto seen = ParseUserAccessText(folder_.Read("UserAccess.con"), &plain);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].name, "maps");
  EXPECT_EQ(seen[1].name, "mapper");
  ASSERT_TRUE(accounts_.ExportUserListForClient(out, {"root", "1.2.3.4:5", kAdminRights}));
  EXPECT_EQ(ParseUserAccessText(folder_.Read("UserAccess.con"), &plain).size(), 4u);
  // The live file is never the export's target.
  EXPECT_FALSE(accounts_.ExportUserListForClient(
      folder_.Sub("Mods/ashfront/./Settings/UserAccess.con"), {"root", "a", kAdminRights}));
}

TEST_F(UserAccountsTest, MergeKeepsHiddenAccountsAndRefusesRaisedRights) {
  Install({{"admin", "adminpw", "", kAdminRights, true}, {"mapper", "old", "", 0x41, true}});
  const ClientIdentity client{"mapper", "10.0.0.9:4000", 0x241};
  // The client's list: its own account with a new password, a new account it may create,
  // one granting the Players page it lacks; the admin account it never saw is absent.
  const std::string received = WriteList("in.con", {{"mapper", "new", "", 0x41, true},
                                                    {"mapmaker", "h", "", 0x40, true},
                                                    {"sneaky", "s", "", 0x80, true}});
  ASSERT_TRUE(accounts_.MergeUserList(received, client));
  auto list = accounts_.Accounts();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].name, "admin");
  EXPECT_EQ(list[1].name, "mapmaker");
  EXPECT_EQ(list[2].name, "mapper");
  EXPECT_EQ(list[2].password, "new");
  const std::string log = Log();
  EXPECT_NE(log.find("User mapper at 10.0.0.9:4000 added user account mapmaker."),
            std::string::npos);
  EXPECT_NE(log.find("SECURITY ALERT! User mapper at 10.0.0.9:4000 attempted to grant access "
                     "they don't have to account sneaky!"),
            std::string::npos);
  // Saved to the settings file, enciphered.
  UserAccounts reread(settings_, log_);
  ASSERT_TRUE(reread.LoadUserList(settings_));
  EXPECT_EQ(reread.Accounts().size(), 3u);
}

TEST_F(UserAccountsTest, UsersRightCannotMakeAnyoneAdministrator) {
  // Every defined bit, still not an administrator.
  Install({{"admin", "a", "", kAdminRights, true}, {"chief", "c", "", 0x7FFFF, true}});
  const ClientIdentity chief{"chief", "10.0.0.2:1", 0x7FFFF};
  ASSERT_TRUE(accounts_.MergeUserList(WriteList("in.con", {{"chief", "c", "", kAdminRights, true},
                                                           {"friend", "f", "", kAdminRights, true},
                                                           {"admin", "stolen", "", 0x1, true}}),
                                      chief));
  auto list = accounts_.Accounts();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(accounts_.FindAccount("chief")->rights, 0x7FFFFu);
  EXPECT_EQ(accounts_.FindAccount("admin")->rights, kAdminRights);
  EXPECT_EQ(accounts_.FindAccount("admin")->password, "a");
  const std::string log = Log();
  EXPECT_NE(log.find("attempted to grant access they don't have to account chief!"),
            std::string::npos);
  EXPECT_NE(log.find("attempted to grant access they don't have to account friend!"),
            std::string::npos);
  EXPECT_NE(log.find("attempted to update a user account admin that has greater access!"),
            std::string::npos);
  // No password, tried or real, reaches the log.
  EXPECT_EQ(log.find("stolen"), std::string::npos);
}

TEST_F(UserAccountsTest, MergeDeletesOnlyVisibleAccountsAndLaterLinesWin) {
  Install({{"maps", "m", "", 0x40, true}, {"players", "p", "", 0x80, true}});
  const ClientIdentity client{"mapper", "h:1", 0x241};
  ASSERT_TRUE(accounts_.MergeUserList(WriteList("in.con", {{"twice", "first", "", 0x40, true},
                                                           {"TWICE", "second", "", 0x1, false}}),
                                      client));
  auto list = accounts_.Accounts();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "players");  // not the client's to delete
  EXPECT_EQ(list[1].name, "twice");
  EXPECT_EQ(list[1].password, "second");
  EXPECT_EQ(list[1].rights, 0x1u);
  EXPECT_FALSE(list[1].active);
  EXPECT_NE(Log().find("User mapper at h:1 deleted user account maps."), std::string::npos);
}

TEST_F(UserAccountsTest, SetOwnPasswordDecipheresAndSaves) {
  Install({{"alice", "old", "", 0x41, true}});
  std::string hex;
  ASSERT_TRUE(EncipherFieldHex("n3w-pass", kPasswordFieldSize, &hex));
  ASSERT_TRUE(accounts_.SetOwnPassword("ALICE", hex));
  EXPECT_EQ(accounts_.FindAccount("alice")->password, "n3w-pass");
  UserAccounts reread(settings_, log_);
  ASSERT_TRUE(reread.LoadUserList(settings_));
  EXPECT_EQ(reread.FindAccount("alice")->password, "n3w-pass");

  EXPECT_FALSE(accounts_.SetOwnPassword("ghost", hex));
  EXPECT_FALSE(accounts_.SetOwnPassword("alice", hex.substr(1)));
  ASSERT_TRUE(EncipherFieldHex("has blank", kPasswordFieldSize, &hex));
  EXPECT_FALSE(accounts_.SetOwnPassword("alice", hex));
  EXPECT_EQ(accounts_.FindAccount("alice")->password, "n3w-pass");
  EXPECT_EQ(Log().find("n3w-pass"), std::string::npos);
}

}  // namespace
}  // namespace varnholt
