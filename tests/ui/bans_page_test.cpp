// The Bans page against a real program: the worker runs the Commands the page queues, on
// the demo installation with the server stopped, so bans go to the server's ban files.
#include "ui/bans_page.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/ui_program_fixture.h"

namespace varnholt {
namespace {

const std::string kKeyhash = "0123456789abcdef0123456789ABCDEF";

class BansPageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override { ASSERT_TRUE(StartProgram()) << Log(); }
  void Type(BansPage& page, const BanPageForm& form) { page.SetForm(form); }
  // Waits until the worker has brought the list to `rows` rows, as the window's refresh
  // after a Command would show it.
  bool ListShows(BansPage& page, int rows) {
    return ProcessUntil([&] {
      page.Reload();
      return page.List()->topLevelItemCount() == rows;
    });
  }
  std::string LogText() { return game().Read("Varnholt.log"); }
  bool Logged(const std::string& text) { return LogText().find(text) != std::string::npos; }
};

TEST_F(BansPageTest, SaveBansWhatWasTypedAndDeleteLiftsIt) {
  BansPage page(program());
  page.Reload();
  ASSERT_EQ(page.List()->topLevelItemCount(), 0);

  Type(page, {"Raider", "10.9.8.6", kKeyhash, "", "griefing"});
  page.SaveButton()->click();
  ASSERT_TRUE(ListShows(page, 1)) << LogText();
  QTreeWidgetItem* row = page.List()->topLevelItem(0);
  EXPECT_EQ(row->text(0), "Raider");
  EXPECT_EQ(row->text(1), "10.9.8.6");
  EXPECT_EQ(row->text(2), QString::fromStdString(kKeyhash));
  EXPECT_EQ(row->text(3), "");
  EXPECT_EQ(row->text(4), "operator");
  EXPECT_EQ(row->text(6), "Permanent");
  EXPECT_EQ(row->text(7), "griefing");
  EXPECT_NE(game().Read("Mods/ashfront/Settings/BanList.con").find("10.9.8.6:0"),
            std::string::npos);

  // Selecting the row shows it in the fields; Delete lifts the ban shown there.
  page.SetForm({});
  page.SelectRow(0);
  EXPECT_EQ(page.AddressField()->text(), "10.9.8.6");
  EXPECT_EQ(page.NameField()->text(), "Raider");
  ASSERT_TRUE(page.DeleteButton()->isEnabled());
  page.DeleteButton()->click();
  ASSERT_TRUE(ListShows(page, 0)) << LogText();
  EXPECT_TRUE(ProcessUntil(
      [&] { return Logged("User operator at console removed ban on player Raider"); }));
  EXPECT_EQ(game().Read("Mods/ashfront/Settings/BanList.con").find("10.9.8.6"), std::string::npos);
}

TEST_F(BansPageTest, FieldChecksRefuseWithTheirMessageAndQueueNothing) {
  BansPage page(program());
  struct Case {
    BanPageForm form;
    const char* message;
  };
  const Case cases[] = {
      {{"x", "10.9.8", "", "", ""}, "Couldn't save ban! IP address is not valid."},
      {{"x", "1.2.3.4;quit", "", "", ""}, "Couldn't save ban! IP address is not valid."},
      {{"x", "", "abc", "", ""}, "Couldn't save ban! Keyhash is not valid."},
      {{"x", "", "", std::string(32, 'g'), ""}, "Couldn't save ban! GUID is not valid."},
      {{"x", "", "", "", "no identity"},
       "Couldn't save ban! You must specify at least one of IP address, keyhash or GUID to "
       "ban."},
  };
  for (const Case& c : cases) {
    Type(page, c.form);
    EXPECT_FALSE(page.SaveBan()) << c.message;
    EXPECT_TRUE(Logged(c.message)) << c.message;
  }
  // A good ban afterwards is the only one that arrives.
  Type(page, {"", "10.0.0.1", "", "", ""});
  EXPECT_TRUE(page.SaveBan());
  ASSERT_TRUE(ListShows(page, 1)) << LogText();
  EXPECT_EQ(page.List()->topLevelItem(0)->text(0), "[unknown]");
  EXPECT_EQ(page.List()->topLevelItem(0)->text(7), "unknown reason");
}

TEST_F(BansPageTest, ClearAsksAndClearsOnlyOnYes) {
  BansPage page(program());
  Type(page, {"A", "10.0.0.1", "", "", "x"});
  page.SaveBan();
  Type(page, {"B", "10.0.0.2", "", "", "y"});
  page.SaveBan();
  ASSERT_TRUE(ListShows(page, 2)) << LogText();

  presenter().Answer(kButtonNo);
  page.ClearButton()->click();
  ASSERT_FALSE(presenter().Boxes().empty());
  EXPECT_EQ(presenter().Boxes().back().text, kClearBansQuestion);
  // Give the worker the chance to run anything that was (wrongly) queued.
  ProcessUntil([] { return false; }, 300);
  page.Reload();
  EXPECT_EQ(page.List()->topLevelItemCount(), 2);

  presenter().Answer(kButtonYes);
  page.ClearButton()->click();
  ASSERT_TRUE(ListShows(page, 0)) << LogText();
  EXPECT_TRUE(
      ProcessUntil([&] { return Logged("User operator at console cleared the banlist."); }));
  EXPECT_EQ(game().Read("Mods/ashfront/Settings/BanList.con"), "");
}

TEST_F(BansPageTest, ExportThenImportRoundTripsAndMarksTheListForSave) {
  BansPage page(program());
  Type(page, {"Raider", "10.9.8.6", "", "", "griefing"});
  page.SaveBan();
  Type(page, {"", "", kKeyhash, "", "cheating"});
  page.SaveBan();
  ASSERT_TRUE(ListShows(page, 2)) << LogText();
  const std::vector<BanRecord> before = program().BanRecords().Records();

  const std::string exported = game().Sub("exported.con");
  ASSERT_TRUE(page.ExportBanList(exported));
  presenter().Answer(kButtonYes);
  page.ClearButton()->click();
  ASSERT_TRUE(ListShows(page, 0)) << LogText();

  presenter().Answer(kButtonNo);
  EXPECT_FALSE(page.ConfirmImport());
  EXPECT_EQ(presenter().Boxes().back().text, kImportBansQuestion);
  ASSERT_TRUE(page.ImportBanList(exported));
  EXPECT_EQ(page.List()->topLevelItemCount(), 2);
  EXPECT_EQ(program().BanRecords().Records(), before);
  EXPECT_TRUE(program().BanRecords().Dirty());
}

TEST_F(BansPageTest, MenuOffersSyncToOnlyWhileStoppedAndQueuesAfterTheQuestion) {
  BansPage page(program());
  const std::vector<BansPage::MenuEntry> entries = page.MenuEntries();
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].text, "Verify synchronization");
  EXPECT_EQ(entries[1].text, "Sync to server banlists");
  EXPECT_TRUE(entries[1].enabled);
  EXPECT_EQ(entries[3].action, BansPage::kMenuSeparator);
  EXPECT_EQ(entries[5].text, "Import banlist");

  presenter().Answer(kButtonNo);
  EXPECT_FALSE(page.RunMenuAction(BansPage::kMenuVerify));
  EXPECT_EQ(presenter().Boxes().back().text, kVerifyBansQuestion);
  presenter().Answer(kButtonYes);
  EXPECT_TRUE(page.RunMenuAction(BansPage::kMenuVerify));
  EXPECT_TRUE(ProcessUntil(
      [&] { return Logged("User operator at console commanded a banlist sync verification."); }));
}

TEST_F(BansPageTest, WhileTheServerRunsTheBanGoesThroughItsConsole) {
  ASSERT_TRUE(StartServer()) << Log();
  BansPage page(program());
  EXPECT_FALSE(page.MenuEntries()[1].enabled);  // "Sync to server banlists"
  EXPECT_FALSE(page.RunMenuAction(BansPage::kMenuSyncTo));

  page.SetForm({"Raider", "10.9.8.6", "", "", "griefing"});
  page.SaveButton()->click();
  ASSERT_TRUE(ListShows(page, 1)) << Log();
  EXPECT_TRUE(ProcessUntil([&] { return Logged("Ban added on address 10.9.8.6."); })) << Log();
  EXPECT_EQ(page.List()->topLevelItem(0)->text(1), "10.9.8.6");
}

}  // namespace
}  // namespace varnholt
