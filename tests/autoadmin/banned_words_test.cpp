// Banned words in names and chat, the repeat-offender count and the reload after an edit, on
// real files with a scripted player list.
#include <gtest/gtest.h>

#include "autoadmin/kick_list.h"
#include "autoadmin_fixture.h"

namespace varnholt::testing {
namespace {

TEST(BannedWordListTest, EntriesAreWholeLinesAndMatchNamesAsWordsOrWholeNames) {
  EXPECT_EQ(ParseBannedWords("idiot\r\n\r\n$Bob\nfoo, bar\r\nlast"),
            (std::vector<std::string>{"idiot", "$Bob", "foo, bar", "last"}));
  EXPECT_EQ(ParseBannedWords(std::string(1030, 'x')),
            (std::vector<std::string>{std::string(1023, 'x'), std::string(7, 'x')}));

  BannedWordList list;
  EXPECT_FALSE(list.NameHasBannedWord("idiot"));  // before a load nothing matches
  list.Assign({"", "idiot", "$Bob", "a,b", "$"});
  EXPECT_TRUE(list.NameHasBannedWord("BigIdiot99"));
  EXPECT_TRUE(list.NameHasBannedWord("bob"));
  EXPECT_FALSE(list.NameHasBannedWord("Bobby"));
  // A comma is part of its entry: neither "a" nor "b" alone is banned.
  EXPECT_FALSE(list.NameHasBannedWord("alpha beta"));
  EXPECT_TRUE(list.NameHasBannedWord("xa,by"));
  // Neither the empty entry nor "$" alone matches every name.
  EXPECT_FALSE(list.NameHasBannedWord("Carl"));
  EXPECT_FALSE(list.NameHasBannedWord(""));
  // Only the first 32 characters of a name count.
  EXPECT_FALSE(list.NameHasBannedWord(std::string(32, 'x') + "idiot"));
  ASSERT_NE(list.FindOffendingWord("ALL Carl: you IDIOT"), nullptr);
  EXPECT_EQ(*list.FindOffendingWord("ALL Carl: you IDIOT"), "idiot");
  EXPECT_EQ(*list.FindOffendingWord("ALL Carl: I am $bob"), "$bob");
  EXPECT_EQ(list.FindOffendingWord("ALL Carl: hello"), nullptr);
}

TEST(KickListTest, KicksAreCountedPerKeyUntilTheBan) {
  TempFolder folder;
  ManualClock clock;
  EventLog log(folder.path(), clock);
  const std::string path = folder.Sub("KickList.con");
  EXPECT_FALSE(KickListReached(path, "k1", 3, log));
  EXPECT_FALSE(KickListReached(path, "k2", 3, log));
  EXPECT_FALSE(KickListReached(path, "k1", 3, log));
  EXPECT_TRUE(KickListReached(path, "k1", 3, log));
  EXPECT_TRUE(KickListReached(path, "k1", 3, log));  // a ban is not recorded
  EXPECT_EQ(folder.Read("KickList.con"), "k1\nk2\nk1\n");
  // Lines written by hand with CR LF count; the key is compared with its letter case.
  ASSERT_TRUE(WriteFileText(path, "K3\r\nk3\r\n"));
  EXPECT_TRUE(KickListReached(path, "k3", 2, log));
  EXPECT_TRUE(KickListReached(path, "new", 1, log));
  // Unknown keys and keys that would write a second line are never counted.
  EXPECT_FALSE(KickListReached(path, "[UNKNOWN]", 1, log));
  EXPECT_FALSE(KickListReached(path, "", 1, log));
  EXPECT_FALSE(KickListReached(path, "x\nk3", 1, log));
  EXPECT_EQ(folder.Read("KickList.con"), "K3\r\nk3\r\n");
  // A file that cannot be opened makes the offence a kick.
  EXPECT_FALSE(KickListReached(folder.path(), "k", 1, log));
  EXPECT_NE(folder.Read("Varnholt.log").find("Couldn't "), std::string::npos);
}

class ChatCheckTest : public AutoAdminTest {
 protected:
  void SetUp() override {
    settings_.SetInt("manager.autoBanValue", 2);
    link_.players = {Player(3, "Bob"), Player(4, "Carl")};
    Words("idiot\n$Bob\n");
  }
};

TEST_F(ChatCheckTest, TwoWarningsThenAKickThenABanWhenTheCountIsReached) {
  delay_ = true;
  settings_.SetInt("manager.autoBan", 1);
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: you IDIOT"));
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: idiot again"));
  std::vector<Queued> q = TakeQueued();
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[0].code, kCmdServerMessage);
  EXPECT_EQ(q[0].text, "[VRNH] Bob do not use the word idiot in chat");
  EXPECT_TRUE(notes_.empty());

  // The third time: kicked, with the delay, and the kick is recorded.
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: idiot!"));
  q = TakeQueued();
  ASSERT_EQ(q.size(), 2u);
  // The message first, so he reads it also without a delay.
  EXPECT_EQ(q[0].code, kCmdServerMessage);
  EXPECT_EQ(q[0].text, "[VRNH] Kicking Bob for using banned words");
  EXPECT_EQ(q[0].due, clock_.CalendarSeconds());
  EXPECT_EQ(q[1].code, kCmdKick);
  EXPECT_EQ(q[1].text,
            KickText(3, "banned words in chat messages", "Bob", link_.players[0].keyhash));
  EXPECT_EQ(q[1].due, clock_.CalendarSeconds() + kKickBanDelaySeconds);
  EXPECT_EQ(notes_,
            (std::vector<std::pair<uint32_t, std::string>>{{kNotifyAutoKickedWord, "Bob"}}));
  EXPECT_TRUE(Logged("Auto-kicked Bob (" + link_.players[0].keyhash +
                     ") at 10.0.0.4 for using banned words in chat messages (idiot)."));
  EXPECT_EQ(folder_.Read("Settings/KickList.con"), link_.players[0].keyhash + "\n");

  // While that kick is awaited another line does not kick him twice.
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: idiot"));
  EXPECT_TRUE(TakeQueued().empty());

  // He came back: the same name in the same slot is removed again at once, now banned.
  clock_.SetCalendarSeconds(clock_.CalendarSeconds() + 60);
  notes_.clear();
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: $BOB is here"));
  q = TakeQueued();
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[1].code, kCmdBan);
  const PlayerRecord& bob = link_.players[0];
  EXPECT_EQ(q[1].text,
            BanText(3, "Bob", bob.address, bob.keyhash, "", 0, "too many kicks for banned words"));
  EXPECT_EQ(q[0].text, "[VRNH] Banned Bob for using banned words");
  EXPECT_EQ(notes_,
            (std::vector<std::pair<uint32_t, std::string>>{{kNotifyAutoBannedWords, "Bob"}}));
  EXPECT_TRUE(Logged("Auto-banned Bob (" + bob.keyhash +
                     ") at 10.0.0.4 for using banned words in chat messages ($bob)."));
}

TEST_F(ChatCheckTest, ANewPlayerInTheSlotStartsFromZeroAndOthersAreIgnored) {
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: idiot"));
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: idiot"));
  // Someone else now holds id 3: his first offence is a warning.
  link_.players[0] = Player(3, "Dave");
  EXPECT_TRUE(admin_->CheckChatLine("ALL Dave: idiot"));
  std::vector<Queued> q = TakeQueued();
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[2].text, "[VRNH] Dave do not use the word idiot in chat");

  // A speaker who is not on the server, a line without a speaker, an id with no slot.
  EXPECT_FALSE(admin_->CheckChatLine("ALL Ghost: idiot"));
  EXPECT_TRUE(
      Logged("DEBUG: Couldn't kick player for banned word! Could not determine player "
             "Ghost id."));
  EXPECT_FALSE(admin_->CheckChatLine("idiot"));
  link_.players.push_back(Player(70, "Eve"));
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(admin_->CheckChatLine("ALL Eve: idiot"));
  // Clean chat is fine.
  EXPECT_TRUE(admin_->CheckChatLine("ALL Carl: hello"));
  EXPECT_TRUE(TakeQueued().empty());
}

TEST_F(ChatCheckTest, WithoutAListNothingIsCheckedAndAnEmptyListPassesEverything) {
  AutoAdminFiles missing = AutoAdminFiles::In(folder_.Sub("Nowhere"));
  AutoAdmin fresh(log_, clock_, link_, queue_, settings_, missing, {});
  EXPECT_FALSE(fresh.LoadBannedWords());
  EXPECT_TRUE(Logged("Couldn't open banned words file! "));
  EXPECT_FALSE(fresh.CheckChatLine("ALL Bob: idiot"));
  // The operator creates the file in the editor: the next line is checked.
  folder_.Write("Nowhere/BannedWords.con", "idiot\n");
  fresh.SetBannedWordsEdited();
  EXPECT_TRUE(fresh.CheckChatLine("ALL Bob: idiot"));
  EXPECT_EQ(TakeQueued().size(), 1u);

  Words("");
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: idiot"));
  EXPECT_FALSE(admin_->NameHasBannedWord("Bob"));
  EXPECT_TRUE(TakeQueued().empty());
}

TEST_F(ChatCheckTest, AnEditedFileIsReadAgainBeforeTheNextLine) {
  folder_.Write("Settings/BannedWords.con", "noob\n");
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: noob"));
  EXPECT_TRUE(TakeQueued().empty());  // not yet: the edit was not announced
  admin_->SetBannedWordsEdited();
  EXPECT_TRUE(admin_->CheckChatLine("ALL Bob: noob"));
  EXPECT_EQ(TakeQueued().size(), 1u);
  EXPECT_EQ(notes_,
            (std::vector<std::pair<uint32_t, std::string>>{{kNotifyBannedWordsChanged, "-"}}));
  EXPECT_TRUE(Logged("User operator at console updated the banned words."));
  EXPECT_TRUE(Logged("DEBUG: Loaded banned words (noob,)"));
  EXPECT_FALSE(admin_->ReloadEditedBannedWords());  // taken once
}

TEST_F(ChatCheckTest, LanServersCountAddressesAndUnknownKeysAreOnlyKicked) {
  settings_.SetInt("manager.autoBan", 1);
  settings_.SetInt("manager.autoBanValue", 1);
  settings_.SetInt("game.serverInternet", 0);
  EXPECT_TRUE(admin_->KickListReached("10.0.0.4", "[unknown]"));
  settings_.SetInt("game.serverInternet", 1);
  EXPECT_FALSE(admin_->KickListReached("10.0.0.4", "[unknown]"));
}

}  // namespace
}  // namespace varnholt::testing
