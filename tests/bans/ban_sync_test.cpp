// The program's ban list against the server's own files: verification with whole identities
// both ways, sync in both directions, import and export, and a sync killed in the middle.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "bans/ban_file_format.h"
#include "bans_fixture.h"

namespace varnholt::testing {
namespace {

TEST_F(BansTest, VerifyComparesWholeIdentitiesBothWays) {
  WriteFile(files_.server_ban_list, "\"a\",1.2.3.4,*,*,\"op\",0,0,r\n");
  WriteFile(files_.ban_list_con, "admin.addAddressToBanList 11.2.3.4:0 Perm\n");
  EXPECT_FALSE(bans_->ListFoundInServerFiles());
  EXPECT_TRUE(Logged("The server banlist has no ban on address 1.2.3.4."));
  EXPECT_FALSE(bans_->ServerFilesFoundInList());
  EXPECT_TRUE(Logged("The Varnholt banlist has no ban on address 11.2.3.4."));

  pb_installed_ = true;
  WriteFile(files_.server_ban_list,
            std::string("\"a\",1.2.3.4,") + kKeyA + ",*,\"op\",0,0,r\n" +
                "\"g\",*,*,AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA,\"op\",0,0,r\n");
  WriteFile(files_.ban_list_con, std::string("admin.addKeyToBanList ") + kKeyA +
                                     " Perm\nadmin.addAddressToBanList 1.2.3.4:0 Perm\n");
  WriteFile(files_.pb_bans,
            std::string("; header\n[01.02.2004 03.04.05] ") + kGuidA + " \"\" \"\" \r\n\r\n");
  EXPECT_TRUE(bans_->VerifyBanListSync());

  // A GUID ban with no PunkBuster file to find it in.
  RemoveFile(files_.pb_bans);
  EXPECT_FALSE(bans_->ListFoundInServerFiles());
}

TEST_F(BansTest, SyncFromServerFilesMakesPermanentRecords) {
  pb_installed_ = true;
  WriteFile(files_.ban_list_con, std::string("admin.addAddressToBanList 1.2.3.4:0 Perm\n"
                                             "admin.addAddressToBanList 5.6.7.8:0 Perm\n"
                                             "admin.addKeyToBanList ") +
                                     kKeyA + " Perm\nsomething else\n");
  WriteFile(files_.pb_bans, std::string("; ") + kGuidA + "\n[x] " + std::string(32, 'z') + " " +
                                kGuidA + " \"\" \"\"\r\n\r\n");
  list_.Replace({{"old", "9.9.9.9", "", "", "op", 1, 0, "r"}});
  ASSERT_TRUE(bans_->SyncFromServer());
  std::vector<BanRecord> r = list_.Records();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0], (BanRecord{"[unknown]", "1.2.3.4", "", "", "operator", 0, 0, "unknown reason"}));
  EXPECT_EQ(r[2].keyhash, kKeyA);
  EXPECT_EQ(r[3].guid, kGuidA);
  EXPECT_TRUE(bans_->VerifyBanListSync());
}

TEST_F(BansTest, SyncToServerReplacesItsFilesAndIsRefusedWhileRunning) {
  pb_installed_ = true;
  WriteFile(files_.server_ban_list, std::string("\"a\",1.2.3.4,") + kKeyA + "," + kGuidA +
                                        ",\"op\",0,0,r\n\"seven\",1,2,3,\"op\",0,0\n");
  WriteFile(files_.ban_list_con, "admin.addAddressToBanList 7.7.7.7:0 Perm\n");
  running_ = true;
  EXPECT_FALSE(bans_->SyncToServer());
  EXPECT_EQ(ReadFile(files_.ban_list_con), "admin.addAddressToBanList 7.7.7.7:0 Perm\n");
  running_ = false;
  ASSERT_TRUE(bans_->SyncToServer());
  EXPECT_EQ(ReadFile(files_.ban_list_con), std::string("admin.addAddressToBanList 1.2.3.4:0 Perm\n"
                                                       "admin.addKeyToBanList ") +
                                               kKeyA + " Perm\n");
  EXPECT_NE(ReadFile(files_.pb_bans).find(kGuidA), std::string::npos);
  // The unreadable seven-field line is in neither list.
  EXPECT_TRUE(bans_->VerifyBanListSync());
}

TEST_F(BansTest, ImportThenRefreshOrApply) {
  WriteFile(files_.server_ban_list, "\"mine\",1.1.1.1,*,*,\"op\",0,0,r\n");
  ASSERT_TRUE(bans_->RefreshBanList());
  const std::string other = folder_.Sub("other.con");
  WriteFile(other, "\"theirs\",2.2.2.2,*,*,\"op\",0,0,r\n");
  ASSERT_TRUE(bans_->ImportBanList(other));
  EXPECT_EQ(list_.Records()[0].player, "theirs");
  ASSERT_TRUE(bans_->RefreshBanList());
  EXPECT_EQ(list_.Records()[0].player, "mine");

  ASSERT_TRUE(bans_->ImportBanList(other));
  ASSERT_TRUE(bans_->ApplyBanList());
  EXPECT_EQ(ReadFile(files_.server_ban_list), "\"theirs\",2.2.2.2,*,*,\"op\",0,0,r\n");
  EXPECT_TRUE(Logged("User operator at console updated the banlist."));
  const std::string exported = folder_.Sub("export/ServerBanList.con");
  ASSERT_TRUE(bans_->ExportBanList(exported));
  EXPECT_EQ(ReadFile(exported), ReadFile(files_.server_ban_list));
}

TEST_F(BansTest, SyncKilledInTheMiddleLeavesTheOldFileWhole) {
  std::string con;
  for (int i = 0; i < 100000; ++i) {
    con += "admin.addAddressToBanList 10." + std::to_string(i / 65536) + "." +
           std::to_string(i / 256 % 256) + "." + std::to_string(i % 256) + ":0 Perm\n";
  }
  WriteFile(files_.ban_list_con, con);
  const std::string old_list = "\"old\",9.9.9.9,*,*,\"op\",0,0,r\n";
  for (int delay_ms : {5, 20, 60}) {
    WriteFile(files_.server_ban_list, old_list);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) bans_->SyncFromServer();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string now = ReadFile(files_.server_ban_list);
    if (now != old_list) {
      std::vector<BanRecord> records = ParseBanListText(now);
      EXPECT_EQ(records.size(), 100000u) << "after " << delay_ms << " ms";
      EXPECT_EQ(now.back(), '\n');
    }
  }
}

}  // namespace
}  // namespace varnholt::testing
