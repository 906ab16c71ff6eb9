// The Users page against a real program on the demo installation (one admin account,
// "demo"): edits change the accounts in memory and reach UserAccess.con with the settings
// save.
#include "ui/users_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "remote/user_accounts.h"
#include "ui/ui_program_fixture.h"

namespace varnholt {
namespace {

// Box indexes in the page's order.
constexpr int kServerBox = 0;
constexpr int kMapsBox = 5;
constexpr int kPlayersBox = 6;
constexpr int kStatusBox = 10;

class UsersPageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override { ASSERT_TRUE(StartProgram()) << Log(); }
  QTreeWidgetItem* Row(UsersPage& page, const QString& name) {
    for (int i = 0; i < page.List()->topLevelItemCount(); ++i) {
      if (page.List()->topLevelItem(i)->text(0) == name) return page.List()->topLevelItem(i);
    }
    return nullptr;
  }
  void Fill(UsersPage& page, const char* name, const char* password, const char* keyhash) {
    page.NameField()->setText(name);
    page.PasswordField()->setText(password);
    page.KeyhashField()->setText(keyhash);
  }
};

TEST_F(UsersPageTest, SavedUserShowsHisRightsInTheListAndTheBoxesAndDeleteRemovesHim) {
  UsersPage page(program());
  page.Reload();
  ASSERT_NE(Row(page, "demo"), nullptr);
  EXPECT_FALSE(program().Accounts().Dirty());

  Fill(page, "mapper", "s3cret", "");
  page.PageBox(kMapsBox)->setChecked(true);
  page.PageBox(kPlayersBox)->setChecked(true);
  page.PageBox(kStatusBox)->setChecked(true);
  page.SaveButton()->click();

  QTreeWidgetItem* row = Row(page, "mapper");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->text(2), "sgfiaTMPbuhc");
  EXPECT_EQ(row->checkState(0), Qt::Checked);
  // The list never shows a password in clear.
  EXPECT_NE(row->text(1), "s3cret");
  EXPECT_FALSE(row->text(1).isEmpty());
  EXPECT_TRUE(program().Accounts().Dirty());
  EXPECT_NE(game().Read("Varnholt.log").find("User operator at console added user account mapper."),
            std::string::npos);

  // Selecting another account and then him again shows his boxes.
  page.SelectUser("demo");
  EXPECT_TRUE(page.PageBox(kServerBox)->isChecked());
  page.SelectUser("mapper");
  EXPECT_EQ(page.NameField()->text(), "mapper");
  EXPECT_FALSE(page.PageBox(kServerBox)->isChecked());
  EXPECT_TRUE(page.PageBox(kMapsBox)->isChecked());
  EXPECT_TRUE(page.PageBox(kPlayersBox)->isChecked());
  EXPECT_TRUE(page.PageBox(kStatusBox)->isChecked());
  EXPECT_EQ(page.CheckedPageRights(), kRightMapsPage | kRightPlayersPage | kRightStatusPage);

  // The settings save writes him to UserAccess.con.
  ASSERT_TRUE(program().Store().SaveAllChanges());
  EXPECT_FALSE(program().Accounts().Dirty());
  UserAccounts reread(game().Sub("reread.con"), program().Log());
  ASSERT_TRUE(reread.LoadUserList(program().Accounts().settings_path()));
  ASSERT_TRUE(reread.FindAccount("mapper"));
  EXPECT_EQ(reread.FindAccount("mapper")->rights, 0xE0u);

  // The check mark is the active flag.
  Row(page, "mapper")->setCheckState(0, Qt::Unchecked);
  EXPECT_FALSE(program().Accounts().FindAccount("mapper")->active);
  EXPECT_TRUE(program().Accounts().Dirty());
  ASSERT_TRUE(ProcessUntil([&] { return Row(page, "mapper")->checkState(0) == Qt::Unchecked; }));
  ASSERT_TRUE(page.SelectUser("mapper"));

  page.DeleteButton()->click();
  EXPECT_EQ(Row(page, "mapper"), nullptr);
  EXPECT_FALSE(program().Accounts().FindAccount("mapper"));
  EXPECT_TRUE(program().Accounts().Dirty());
}

TEST_F(UsersPageTest, AdminWithoutPasswordAndBadFieldsAreRefused) {
  UsersPage page(program());
  page.Reload();
  // Every box on the admin account keeps it admin, so it still needs its password.
  page.SelectUser("demo");
  ASSERT_EQ(page.CheckedPageRights(), kPageRightsMask);
  page.PasswordField()->clear();
  EXPECT_FALSE(page.SaveUser());
  ASSERT_FALSE(presenter().Boxes().empty());
  EXPECT_EQ(presenter().Boxes().back().text, "You must enter a password for an admin account!");
  EXPECT_EQ(program().Accounts().FindAccount("demo")->password, "ashfront-demo");

  // Admin granted through the menu on an account without a password: a save is refused.
  page.SelectUser("missing");
  Fill(page, "warden", "", "");
  page.ShowPageRights(kRightServerPage);
  ASSERT_TRUE(page.SaveUser());
  ASSERT_TRUE(page.SelectUser("warden"));
  ASSERT_TRUE(page.RunMenuAction(UsersPage::kMenuGrantAdmin));
  EXPECT_EQ(page.List()->currentItem()->text(2), "-- admin --");
  EXPECT_FALSE(page.SaveUser());
  EXPECT_EQ(presenter().Boxes().back().text, "You must enter a password for an admin account!");
  ASSERT_TRUE(page.RunMenuAction(UsersPage::kMenuRevokeAll));
  EXPECT_EQ(program().Accounts().FindAccount("warden")->rights, 0u);

  // The extra rights are menu toggles with check marks; they leave the letters alone.
  std::vector<UsersPage::MenuEntry> entries = page.MenuEntries();
  ASSERT_GT(entries.size(), 3u);
  EXPECT_EQ(entries[0].text, "Random password");
  EXPECT_EQ(entries[2].text, "User can start/stop the server");
  EXPECT_FALSE(entries[2].checked);
  ASSERT_TRUE(page.RunMenuAction(UsersPage::kMenuToggleStartStop));
  EXPECT_EQ(program().Accounts().FindAccount("warden")->rights, kRightStartStop);
  EXPECT_TRUE(page.MenuEntries()[2].checked);
  EXPECT_EQ(page.List()->currentItem()->text(2), "sgfiatmpbuhc");

  page.KeyhashField()->setText("12345");
  EXPECT_FALSE(page.SaveUser());
  EXPECT_EQ(presenter().Boxes().back().text,
            "The user keyhash is not valid. You must enter a 32-digit hexdecimal number in this "
            "field.");

  // A blank typed into the name is taken out again with its message.
  page.NameField()->clear();
  QTest::keyClicks(page.NameField(), "a b");
  EXPECT_EQ(page.NameField()->text(), "ab");
  EXPECT_EQ(presenter().Boxes().back().text, "Username cannot contain spaces!");
}

TEST_F(UsersPageTest, RefreshReturnsToTheSavedListAndForgetsUnsavedEdits) {
  UsersPage page(program());
  page.Reload();
  Fill(page, "visitor", "pw", "");
  ASSERT_TRUE(page.SaveUser());
  ASSERT_NE(Row(page, "visitor"), nullptr);

  ASSERT_TRUE(program().Queue().QueueCommand(kCmdRefreshPage, "manual", kOriginLocal, 0));
  ASSERT_TRUE(ProcessUntil([&] {
    page.Reload();
    return Row(page, "visitor") == nullptr;
  })) << Log();
  EXPECT_NE(Row(page, "demo"), nullptr);
  EXPECT_FALSE(program().Accounts().Dirty());
}

}  // namespace
}  // namespace varnholt
