// The main window over a real program and the real substitute server: its tabs and buttons,
// starting and stopping without blocking, the options and log windows, and quitting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <thread>

#include "ui/log_search.h"
#include "ui/log_window.h"
#include "ui/options_dialog.h"
#include "ui/page.h"
#include "ui/qt_presenter.h"
#include "ui/settings_menu_popup.h"
#include "ui/tool_tip_switch.h"
#include "ui/window_front_end.h"
#include "ui_program_fixture.h"

namespace varnholt {
namespace {

class MainWindowTest : public testing::UiProgramTest {
 protected:
  void Open() {
    ASSERT_TRUE(StartProgram(&front_end_)) << Log();
    front_end_.ShowMainWindow();
    ASSERT_NE(window(), nullptr);
  }
  void BeforeStartUp(Program& program) override { front_end_.Attach(&program); }
  MainWindow* window() { return front_end_.Window(); }
  QString ButtonText(BarButton button) { return window()->Button(button)->text(); }

  WindowFrontEnd front_end_;
};

TEST_F(MainWindowTest, OpensWithTwelveTabsTheButtonBarInOrderAndTheStatus) {
  QElapsedTimer opening;
  opening.start();
  Open();
  QCoreApplication::processEvents();
  // A figure for the log, not a limit: start-up on the demo installation with the window.
  printf("Start-up with the window shown: %lld ms\n", static_cast<long long>(opening.elapsed()));
  QTabWidget* tabs = window()->Tabs();
  const char* expected[] = {"Server", "Game",    "Friendly Fire", "Misc",  "Admin",    "Status",
                            "Maps",   "Players", "Bans",          "Users", "Schedule", "Clients"};
  ASSERT_EQ(tabs->count(), 12);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(tabs->tabText(i), expected[i]) << i;
  const char* buttons[] = {"Start",   "Pause", "Save",  "Refresh", "Settings",
                           "Options", "Log",   "About", "Exit",    "Hide"};
  for (int i = 0; i < kBarButtonCount; ++i) {
    QPushButton* button = window()->Button(static_cast<BarButton>(i));
    EXPECT_EQ(button->text(), buttons[i]);
    EXPECT_FALSE(button->toolTip().isEmpty()) << buttons[i];
  }
  EXPECT_EQ(window()->Button(BarButton::kStart)->toolTip(),
            "Click to start/stop the dedicated server.");
  // Title and status bar as the dispatcher keeps them.
  EXPECT_TRUE(ProcessUntil([&] { return window()->StatusField(4)->text() == "Ready"; }));
  EXPECT_EQ(window()->windowTitle(), "Ashfront Varnholt v2.0 beta 4g - Varnholt demo server");
  EXPECT_EQ(window()->StatusField(2)->text(), "Stopped");
  EXPECT_EQ(window()->StatusField(1)->text(), "Dedicated");
}

TEST_F(MainWindowTest, StartLaunchesTheServerWithoutBlockingAndStopStopsIt) {
  Open();
  QTest::mouseClick(window()->Button(BarButton::kStart), Qt::LeftButton);
  // The start runs in the background: the button waits for it, the window does not.
  EXPECT_FALSE(window()->Button(BarButton::kStart)->isEnabled());
  int frames = 0;
  ASSERT_TRUE(ProcessUntil([&] {
    ++frames;
    return ButtonText(BarButton::kStart) == "Stop" &&
           window()->Button(BarButton::kStart)->isEnabled();
  })) << Log();
  EXPECT_GT(frames, 1);
  EXPECT_TRUE(program().Supervision().ServerRunning());
  EXPECT_TRUE(ProcessUntil([&] { return window()->StatusField(3)->text() == "Connected"; }))
      << Log();
  EXPECT_EQ(window()->StatusField(2)->text(), "Started");

  QTest::mouseClick(window()->Button(BarButton::kStart), Qt::LeftButton);
  ASSERT_TRUE(ProcessUntil([&] {
    return ButtonText(BarButton::kStart) == "Start" &&
           window()->Button(BarButton::kStart)->isEnabled();
  })) << Log();
  EXPECT_FALSE(program().Supervision().ServerRunning());
  EXPECT_TRUE(ProcessUntil([&] { return window()->StatusField(2)->text() == "Stopped"; }));
}

TEST_F(MainWindowTest, OptionsAreAppliedAtOnceAndWrittenAndTheDialogToggles) {
  Open();
  window()->ToggleOptions();
  OptionsDialog* dialog = window()->Options();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->Box(OptionBox::kToolTips)->isChecked());
  EXPECT_EQ(dialog->Box(OptionBox::kKickBanDelay)->text(), "Kick and ban players after a delay");
  dialog->Box(OptionBox::kToolTips)->setChecked(false);
  dialog->Box(OptionBox::kKickBanDelay)->setChecked(true);
  dialog->accept();
  EXPECT_FALSE(program().Options().ToolTips);
  EXPECT_TRUE(program().Options().KickBanDelay);
  EXPECT_FALSE(window()->ToolTips()->Enabled());
  std::string ini = game().Read("Varnholt.ini");
  EXPECT_NE(ini.find("ToolTips=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("KickBanDelay=1"), std::string::npos) << ini;

  // With the balloons off, a tool-tip event never reaches a control.
  QPushButton* start = window()->Button(BarButton::kStart);
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), start->mapToGlobal(QPoint(2, 2)));
  EXPECT_TRUE(window()->ToolTips()->eventFilter(start, &help));
  window()->ToolTips()->SetEnabled(true);
  EXPECT_FALSE(window()->ToolTips()->eventFilter(start, &help));

  // The button opens the dialog and closes it again.
  window()->ToggleOptions();
  ASSERT_NE(window()->Options(), nullptr);
  window()->ToggleOptions();
  EXPECT_TRUE(ProcessUntil([&] { return window()->Options() == nullptr; }));
}

TEST_F(MainWindowTest, TheLogWindowShowsTheLogAndItsSearchFindsTheNextMatchAndWraps) {
  Open();
  program().Log().LogMessage(kSoundNone, "Alpha one");
  program().Log().LogMessage(kSoundNone, "between");
  window()->ToggleLog();
  LogWindow* log = window()->LogView();
  ASSERT_NE(log, nullptr);
  EXPECT_TRUE(log->Text()->toPlainText().contains("Alpha one"));
  // Lines logged while it is open are appended.
  program().Log().LogMessage(kSoundNone, "then alpha two");
  ASSERT_TRUE(ProcessUntil([&] { return log->Text()->toPlainText().endsWith("then alpha two"); }));

  const QString text = log->Text()->toPlainText();
  const int first = static_cast<int>(text.indexOf("Alpha one"));
  const int second = static_cast<int>(text.indexOf("alpha two"));
  // The caret starts at the end of the text: the search starts over from the top.
  QTest::keyClicks(log->SearchBox(), "ALPHA");
  QTest::keyClick(log->SearchBox(), Qt::Key_Return);
  EXPECT_EQ(log->Text()->textCursor().selectionStart(), first);
  EXPECT_EQ(log->Text()->textCursor().selectedText(), "Alpha");
  QTest::keyClick(log->SearchBox(), Qt::Key_Return);
  EXPECT_EQ(log->Text()->textCursor().selectionStart(), second);
  // After the last match it goes round to the first.
  QTest::keyClick(log->SearchBox(), Qt::Key_Return);
  EXPECT_EQ(log->Text()->textCursor().selectionStart(), first);
  EXPECT_EQ(log->SearchBox()->text(), "ALPHA");
  log->SearchBox()->setText("not in the log");
  EXPECT_FALSE(log->SearchNext());
  EXPECT_EQ(log->Text()->textCursor().selectionStart(), first);

  window()->ToggleLog();
  EXPECT_TRUE(ProcessUntil([&] { return window()->LogView() == nullptr; }));
}

TEST(LogSearchTest, SearchesForwardIgnoringCaseAndStartsOverAtTheEnd) {
  const QString text = "one Two three two";
  EXPECT_EQ(FindNextInLog(text, "two", 0), 4);
  EXPECT_EQ(FindNextInLog(text, "two", 7), 14);
  EXPECT_EQ(FindNextInLog(text, "two", 17), 4);  // the selection ends at the end
  EXPECT_EQ(FindNextInLog(text, "one", 3), 0);   // nothing below: from the top
  EXPECT_EQ(FindNextInLog(text, "four", 0), -1);
  EXPECT_EQ(FindNextInLog(text, "", 0), -1);
}

TEST_F(MainWindowTest, ExitWithUnsavedEditsAsksAndStaysUnlessTheOperatorAgrees) {
  Open();
  program().Settings().SetText("game.serverName", "Edited but not saved");
  presenter().Answer(kButtonNo);
  EXPECT_FALSE(window()->Exit());
  EXPECT_TRUE(presenter().Shown(kUnsavedExitQuestion));
  EXPECT_EQ(Log().find(" : Exited"), std::string::npos);

  presenter().Answer(kButtonYes);
  EXPECT_TRUE(window()->Exit());
  EXPECT_NE(Log().find(" : Exited"), std::string::npos);
  // Nothing was written that the operator did not save.
  EXPECT_EQ(game().Read("Mods/ashfront/Settings/Varnholt.con").find("Edited but not saved"),
            std::string::npos);
}

TEST_F(MainWindowTest, SaveWritesTheEditsAndExitThenAsksNothing) {
  Open();
  program().Settings().SetText("game.serverName", "Saved Name");
  QTest::mouseClick(window()->Button(BarButton::kSave), Qt::LeftButton);
  EXPECT_NE(game().Read("Mods/ashfront/Settings/Varnholt.con").find("Saved Name"),
            std::string::npos);
  EXPECT_TRUE(window()->Exit());
  EXPECT_TRUE(presenter().Boxes().empty()) << presenter().Boxes().front().text;
}

// Refresh reads again only the page shown: edits not yet saved on the other pages stay.
TEST_F(MainWindowTest, RefreshReadsOnlyTheShownPageAgain) {
  Open();
  program().Settings().SetText("game.serverName", "Not Saved Yet");
  window()->Tabs()->setCurrentIndex(kTabPlayers);
  // Taken by the worker, then a moment for the refresh itself (a few file reads).
  auto refreshed = [&] {
    window()->Refresh();
    bool taken = ProcessUntil([&] { return program().Queue().Count() == 0; });
    ProcessUntil([] { return false; }, 300);
    return taken;
  };
  ASSERT_TRUE(refreshed());
  EXPECT_EQ(program().Settings().GetText("game.serverName"), "Not Saved Yet");
  window()->Tabs()->setCurrentIndex(kPageServer);
  ASSERT_TRUE(refreshed());
  EXPECT_TRUE(ProcessUntil(
      [&] { return program().Settings().GetText("game.serverName") == "Varnholt demo server"; }));
}

// The settings menu asks before it overwrites anything, and a switch of configuration runs
// off the user-interface thread: the server is stopped, the file loaded and the server started.
TEST_F(MainWindowTest, TheSettingsMenuAsksFirstAndSwitchesTheConfigurationInTheBackground) {
  Open();
  SettingsMenuPopup* menu = window()->SettingsPopup();
  presenter().Answer(kButtonNo);
  EXPECT_FALSE(menu->ConfirmDefaults());
  EXPECT_TRUE(presenter().Shown(settings_menu_text::kDefaultsConfirm));
  // Nothing unsaved: a switch asks nothing.
  EXPECT_TRUE(menu->ConfirmDiscardingEdits());

  program().Settings().SetText("game.serverName", "Switched Server");
  const std::string other = game().Sub("Other.con");
  ASSERT_TRUE(menu->ExportTo(other));
  program().Settings().SetText("game.serverName", "Unsaved Name");
  presenter().Answer(kButtonNo);
  EXPECT_FALSE(menu->ConfirmDiscardingEdits());
  EXPECT_TRUE(presenter().Shown(kUnsavedSwitchQuestion));

  ASSERT_TRUE(StartServer()) << Log();
  ASSERT_TRUE(menu->SwitchTo(other));
  int frames = 0;
  ASSERT_TRUE(ProcessUntil([&] {
    ++frames;
    return !window()->ServerTask().Busy();
  })) << Log();

  EXPECT_GT(frames, 10);  // the window kept running while the server went down and up
  EXPECT_NE(Log().find("Performing config switch to settings in " + other + "."),
            std::string::npos);
  EXPECT_EQ(program().Settings().GetText("game.serverName"), "Switched Server");
  EXPECT_TRUE(program().Supervision().ServerRunning()) << Log();
  // The new server is connected to again, so the test's end stops it over its console.
  EXPECT_TRUE(ProcessUntil([&] { return program().Link().ConsoleConnected(); })) << Log();
}

// A box the worker raises (a failed automatic restart) is shown without holding the worker.
TEST(QtPresenterTest, ABoxFromAnotherThreadDoesNotWaitForTheOperator) {
  QtPresenter presenter;
  int answer = -1;
  std::thread worker(
      [&] { answer = presenter.ShowBox(kMessageError, "Error", "Couldn't restart server!"); });
  worker.join();  // returns at once: nobody pressed anything
  EXPECT_EQ(answer, kButtonOk);
  QMessageBox* shown = nullptr;
  for (int i = 0; i < 50 && shown == nullptr; ++i) {
    QCoreApplication::processEvents();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box != nullptr && box->isVisible() && box->text() == "Couldn't restart server!") {
        shown = box;
      }
    }
  }
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(shown->isModal());
  shown->close();
}

}  // namespace
}  // namespace varnholt
