// The window's keys: each command's shortcut, the tab order, and that the
// buttons' own Alt keys still work beside them.

// Standard library
#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Qt
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "filter/page/FilterPage.h"
#include "shell/HelpPage.h"
#include "shell/ShellFixture.h"
#include "shell/TabContainer.h"
#include "shell/TabControl.h"
#include "views/gui/BytesPane.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

class Keys : public ShellFixture {
 protected:
  void SetUp() override {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  // A key as the user presses it: to the widget that has the focus. What
  // it starts in the background is waited for.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : window_.get(), key, modifiers);
    WaitForTasks();
  }
  // A button's Alt key: the button shows itself pressed for a moment and
  // then clicks.
  void PressMnemonic(Qt::Key key) {
    Press(key, Qt::AltModifier);
    QTest::qWait(250);
    WaitForTasks();
  }
  int Page() const { return window_->Container()->CurrentPage(); }
  QLineEdit& FindEdit() const { return *Search().ControlAs<QLineEdit>(kFindEdit); }
  ResultList& List() const { return *Search().List(); }
};

TEST_F(Keys, TheCommandsHaveTheDesktopsKeys) {
  const auto keys = [&](const char* command) {
    QStringList texts;
    for (const QKeySequence& key : window_->ShortcutKeys(QString::fromLatin1(command))) {
      texts << key.toString(QKeySequence::PortableText);
    }
    return texts.join(QLatin1Char(' ')).toStdString();
  };
  EXPECT_EQ(keys("Browse"), "Ctrl+O");
  EXPECT_EQ(keys("Save"), "Ctrl+S");
  EXPECT_EQ(keys("Find"), "Ctrl+F");
  EXPECT_EQ(keys("Find again"), "F3");
  EXPECT_EQ(keys("Filter"), "Ctrl+L");
  EXPECT_EQ(keys("Stop"), "Esc");
  EXPECT_EQ(keys("Quit"), "Ctrl+Q");
  EXPECT_EQ(keys("Next page"), "Ctrl+Tab Ctrl+PgDown");
  EXPECT_EQ(keys("Previous page"), "Ctrl+Shift+Backtab Ctrl+Shift+Tab Ctrl+PgUp");
  EXPECT_EQ(keys("no such command"), "");
}

// Every shortcut of the window, the list's row actions among them, is one
// command's; no button or box shares its Alt letter; and Ctrl+C stays the
// list's Copy.
TEST_F(Keys, NoTwoCommandsShareAKey) {
  std::map<std::string, std::string> commands;
  for (const QAction* action : window_->findChildren<QAction*>()) {
    for (const QKeySequence& key : action->shortcuts()) {
      const std::string text = key.toString(QKeySequence::PortableText).toStdString();
      const auto [place, added] = commands.emplace(text, action->text().toStdString());
      EXPECT_TRUE(added) << text << ": " << place->second << " and "
                         << action->text().toStdString();
    }
  }
  for (const char* key : {"Ctrl+Shift+C", "Ctrl+Shift+O", "Ctrl+Shift+M", "Ctrl+Shift+J"}) {
    EXPECT_EQ(commands.count(key), 1u) << key;
  }
  EXPECT_EQ(commands.count("Ctrl+C"), 0u);

  std::map<int, std::string> letters;
  QStringList texts{QStringLiteral("S&top")};
  for (const PageRow& row : window_->Container()->Pages()) {
    for (const QAbstractButton* button : row.page->findChildren<QAbstractButton*>()) {
      texts << button->text();
    }
  }
  for (const QString& text : texts) {
    const QKeySequence letter = QKeySequence::mnemonic(text);
    if (letter.isEmpty()) {
      continue;
    }
    const auto [place, added] = letters.emplace(letter[0].toCombined(), text.toStdString());
    EXPECT_TRUE(added) << place->second << " and " << text.toStdString();
  }
  EXPECT_EQ(letters.count((Qt::ALT | Qt::Key_Y).toCombined()), 1u) << "B&ytes";
  Search().Control(kFileNameEdit)->setFocus();
  PressMnemonic(Qt::Key_Y);
  EXPECT_TRUE(Search().IsChecked(kBytesBox));
  EXPECT_TRUE(Search().Bytes()->isVisible());
}

TEST_F(Keys, FindFromTheKeyboard) {
  ScanFile(dir_.Write("find.bin", std::string("HELLO WORLD\nhello\nsay Hello\nother text\n")));
  ASSERT_EQ(engine_.store.Count(), 4u);
  // Ctrl+F from another page: the Search page, the Find field, its text
  // selected so that typing replaces it.
  FindEdit().setText(QStringLiteral("old"));
  window_->Container()->SelectPage(2, true);
  Press(Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(QApplication::focusWidget(), &FindEdit());
  EXPECT_EQ(FindEdit().selectedText(), QStringLiteral("old"));
  QTest::keyClicks(&FindEdit(), QStringLiteral("hello"));
  EXPECT_EQ(FindEdit().text(), QStringLiteral("hello"));

  // Enter in the field runs Find.
  Press(Qt::Key_Return);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(List().IsRowSelected(row), row < 3) << row;
  }

  // F3 runs it again, wherever the focus is: in the running text it moves
  // to the next occurrence.
  Search().SetChecked(kAdvancedViewBox, false);
  ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  Search().Normal()->setFocus();
  Press(Qt::Key_F3);
  EXPECT_EQ(Search().Normal()->Selection(), (TextRange{0, 5}));
  Press(Qt::Key_F3);
  EXPECT_EQ(Search().Normal()->Selection(), (TextRange{12, 17}));
  window_->Container()->SelectPage(1, true);
  Press(Qt::Key_F3);
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(Search().Normal()->Selection(), (TextRange{22, 27}));

  // Alt+F is still the Find button, Alt+V the view box.
  Search().Normal()->SetSelection(0, 0);
  PressMnemonic(Qt::Key_F);
  EXPECT_EQ(Search().Normal()->Selection(), (TextRange{0, 5}));
  PressMnemonic(Qt::Key_V);
  EXPECT_TRUE(Search().AdvancedView());
}

TEST_F(Keys, EscapeStopsAScan) {
  std::string lines;
  for (int i = 0; lines.size() < (3u << 20); ++i) {
    lines += "line number " + std::to_string(1000000 + i) + " of a long file\n";
  }
  const std::string path = dir_.Write("long.bin", lines);
  const std::size_t lineCount =
      static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '\n'));
  int pumps = 0;
  Search().SetPumpHook([&] {
    if (++pumps == 3) {
      Press(Qt::Key_Escape);
    }
  });
  ScanFile(path);
  Search().SetPumpHook({});
  EXPECT_TRUE(Search().StopRequested());
  EXPECT_LT(engine_.store.Count(), lineCount);
  EXPECT_TRUE(Results(StringKind::Unicode).empty());
  EXPECT_TRUE(Text(kReportText).startsWith(QStringLiteral("Stopped.")));

  // Idle, Escape does nothing.
  Press(Qt::Key_Escape);
  EXPECT_FALSE(Search().Scanning());
  EXPECT_EQ(quits_, 0);
}

TEST_F(Keys, BrowseSaveAndQuit) {
  ScanFile(dir_.Write("keys.bin", std::string("saved by key\n")));
  window_->Container()->SelectPage(1, true);
  Press(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.openRequests.size(), 1u);
  EXPECT_EQ(Page(), 0);
  window_->Container()->SelectPage(2, true);
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_EQ(Page(), 0);
  // The buttons' Alt keys do the same.
  PressMnemonic(Qt::Key_B);
  EXPECT_EQ(dialogs_.openRequests.size(), 2u);
  PressMnemonic(Qt::Key_S);
  EXPECT_EQ(dialogs_.saveRequests.size(), 2u);

  Press(Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(quits_, 1);
  EXPECT_FALSE(window_->isVisible());
}

// During a scan only Stop acts: the keys of the disabled controls and of the
// disabled tabs do nothing.
TEST_F(Keys, NothingButStopActsDuringAScan) {
  std::string lines;
  for (int i = 0; lines.size() < (2u << 20); ++i) {
    lines += "another line " + std::to_string(i) + " of text\n";
  }
  const std::string path = dir_.Write("busy.bin", lines);
  int pumps = 0;
  std::vector<int> pages;
  Search().SetPumpHook([&] {
    if (++pumps != 2) {
      return;
    }
    for (const Qt::Key key : {Qt::Key_O, Qt::Key_S, Qt::Key_F}) {
      Press(key, Qt::ControlModifier);
    }
    Press(Qt::Key_F3);
    Press(Qt::Key_Tab, Qt::ControlModifier);
    Press(Qt::Key_PageDown, Qt::ControlModifier);
    pages.push_back(Page());
  });
  ScanFile(path);
  Search().SetPumpHook({});
  EXPECT_TRUE(dialogs_.openRequests.empty());
  EXPECT_TRUE(dialogs_.saveRequests.empty());
  EXPECT_EQ(pages, std::vector<int>{0});
  EXPECT_FALSE(Search().StopRequested());
  EXPECT_NE(QApplication::focusWidget(), &FindEdit());
}

TEST_F(Keys, CtrlTabAndCtrlPageKeysChangePages) {
  QTabBar& tabs = *window_->Container()->Tabs()->TabBar();
  Search().Control(kFileNameEdit)->setFocus();
  Press(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(tabs.currentIndex(), 1);
  // The focus went into the new page.
  EXPECT_TRUE(window_->Filter()->isAncestorOf(QApplication::focusWidget()));
  Press(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(Page(), 2);
  EXPECT_TRUE(window_->Help()->isAncestorOf(QApplication::focusWidget()));
  Press(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(Page(), 0) << "round the end";
  EXPECT_EQ(QApplication::focusWidget(), Search().Control(kFileNameEdit));
  Press(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(Page(), 2);
  Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Page(), 1);
  Press(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(Page(), 0);
  EXPECT_FALSE(window_->Search()->isHidden());
  EXPECT_TRUE(window_->Filter()->isHidden());

  // With the focus on the tabs it stays there.
  tabs.setFocus();
  Press(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(QApplication::focusWidget(), &tabs);
  // From the list too.
  window_->Container()->SelectPage(0, true);
  List().setFocus();
  Press(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(Page(), 1);
}

TEST_F(Keys, TheListComesBeforeFindAndSave) {
  ScanFile(dir_.Write("order.bin", std::string("one string\n")));
  Search().Control(kFileNameEdit)->setFocus();
  std::vector<QWidget*> reached;
  for (int i = 0; i < 17; ++i) {
    Press(Qt::Key_Tab);
    reached.push_back(QApplication::focusWidget());
  }
  // The filter row comes between the view choice and the results it filters.
  const std::vector<QWidget*> expected{Search().Control(kBrowseButton),
                                       Search().Control(kGoButton),
                                       Search().Control(kAdvancedViewBox),
                                       Search().Control(kBytesBox),
                                       Search().Control(kFilterEdit),
                                       Search().Control(kFilterRegexToggle),
                                       Search().Control(kFilterCaseToggle),
                                       Search().Control(kFilterAnsiToggle),
                                       Search().Control(kFilterUnicodeToggle),
                                       Search().Control(kFilterResourceToggle),
                                       Search().Control(kFilterMinLength),
                                       Search().Control(kFilterMaxLength),
                                       Search().Control(kFilterTagChoice),
                                       Search().List(),
                                       Search().Control(kFindEdit),
                                       Search().Control(kFindButton),
                                       Search().Control(kSaveButton)};
  EXPECT_EQ(reached, expected);

  // The pane of bytes, while it shows, comes after the view it belongs to.
  Search().SetChecked(kBytesBox, true);
  ASSERT_TRUE(Search().Command(kBytesBox));
  Search().List()->setFocus();
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Search().Bytes()));
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Search().Control(kFindEdit));
  Search().SetChecked(kBytesBox, false);
  ASSERT_TRUE(Search().Command(kBytesBox));

  // In the normal view the running text takes the list's place.
  Search().SetChecked(kAdvancedViewBox, false);
  ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  Search().Control(kFilterTagChoice)->setFocus();
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Search().Normal());
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Search().Control(kFindEdit));
}

}  // namespace
}  // namespace quillex::testing
