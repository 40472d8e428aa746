// What a screen reader learns of the window, asked through QAccessible as
// the platform's bridge asks it.

// Standard library
#include <string>
#include <vector>

// Qt
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QApplication>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "filter/page/FilterPage.h"
#include "shell/HelpPage.h"
#include "shell/LogoButton.h"
#include "shell/ShellFixture.h"
#include "shell/TabContainer.h"
#include "shell/TabControl.h"
#include "support/PeBuilder.h"
#include "views/gui/BytesPane.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

QString Name(QObject* object) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  return face != nullptr ? face->text(QAccessible::Name) : QStringLiteral("<none>");
}

QString Description(QObject* object) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
  return face != nullptr ? face->text(QAccessible::Description) : QString();
}

class Accessibility : public ShellFixture {
 protected:
  void SetUp() override {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  QTabBar& Tabs() const { return *window_->Container()->Tabs()->TabBar(); }
  // Which tabs say they have the focus, and which are selected.
  std::vector<int> TabsWith(bool focused) const {
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(&Tabs());
    std::vector<int> tabs;
    for (int i = 0; i < bar->childCount(); ++i) {
      const QAccessible::State state = bar->child(i)->state();
      if (focused ? state.focused : state.selected) {
        tabs.push_back(i);
      }
    }
    return tabs;
  }
};

TEST_F(Accessibility, FieldsAndViewsAreNamed) {
  EXPECT_EQ(Name(Search().Control(kFileNameEdit)), "File to scan");
  EXPECT_EQ(Name(Search().Control(kFindEdit)), "Find");
  EXPECT_EQ(Name(Search().List()), "Results");
  EXPECT_EQ(Name(Search().Normal()), "Results as running text");
  const FilterPage& filter = *window_->Filter();
  EXPECT_EQ(Name(filter.Control(kMinLengthField)), "Min text length");
  EXPECT_EQ(Name(filter.Control(kMaxLengthField)), "Max text length");
  EXPECT_EQ(Name(filter.Control(kRepeatField)),
            "Discard strings with this many or more repeated characters");
  EXPECT_EQ(Name(filter.Control(kCustomField)), "Include these characters too");
  EXPECT_EQ(Name(filter.Control(kMustContainField)), "Must contain these characters");
  EXPECT_EQ(Name(window_->Help()->Control(kHelpText)), "Help");
  EXPECT_EQ(Name(&Tabs()), "Pages");

  // Every control of every page has a name, buttons and boxes by their text;
  // a cell that shows a changing text (empty before the first scan) is read
  // by that text and says what it is in its description.
  EXPECT_EQ(Name(Search().Control(kGoButton)), "Go");
  EXPECT_EQ(Name(Search().Control(kAdvancedViewBox)), "Advanced view");
  EXPECT_EQ(Name(Search().Control(kBytesBox)), "Bytes");
  EXPECT_EQ(Name(Search().Control(kBytesPaneControl)), "Bytes around the string");
  EXPECT_EQ(Description(Search().Control(kUnicodeCountControl)), "Unicode strings found");
  for (const PageRow& row : window_->Container()->Pages()) {
    for (const ControlTemplate& control : row.page->Template().controls) {
      QWidget* widget = row.page->Control(control.id);
      ASSERT_NE(widget, nullptr) << control.id;
      EXPECT_FALSE(Name(widget).isEmpty() && Description(widget).isEmpty())
          << row.title << " control " << control.id;
    }
  }
  ScanFile(dir_.Write("counted.bin", std::string("one counted string\n")));
  EXPECT_EQ(Name(Search().Control(kAnsiCountControl)), "AN: 1");
  EXPECT_TRUE(Name(Search().Control(kReportText)).startsWith(QStringLiteral("Time taken")));
  EXPECT_FALSE(Name(window_->Container()->Logo()).isEmpty());
}

// The kind of each row is read as a word, not only shown as a letter.
TEST_F(Accessibility, TheKindColumnIsText) {
  ResourceTree tree;
  tree.AddStrings(1, {u"From the table"});
  Bytes code(16, 0);
  for (const char c : std::string_view("An ansi string\0\0", 16)) {
    code.push_back(static_cast<std::uint8_t>(c));
  }
  for (const std::uint8_t byte : Utf16(u"A wide string")) {
    code.push_back(byte);
  }
  code.resize(code.size() + 4, 0);
  PeBuilder pe;
  pe.AddSection(".text", 0x1000, code);
  pe.AddSection(".rsrc", 0x2000, tree.Build(0x2000).bytes);
  const Bytes image = pe.Build();
  ScanFile(dir_.Write("kinds.exe", std::string(image.begin(), image.end())));
  ASSERT_GE(engine_.store.Count(), 3u);

  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(Search().List());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::Table);
  QAccessibleTableInterface* table = list->tableInterface();
  ASSERT_NE(table, nullptr);
  std::vector<std::string> kinds;
  for (int row = 0; row < table->rowCount(); ++row) {
    const QString cell = table->cellAt(row, 0)->text(QAccessible::Name);
    kinds.push_back(cell.section(QLatin1Char(','), 0, 0).toStdString());
    EXPECT_TRUE(cell.endsWith(Search().Model().index(row, 0).data().toString()))
        << cell.toStdString();
  }
  for (const char* kind : {"ANSI", "Unicode", "Resource"}) {
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), kind), kinds.end()) << kind;
  }
  EXPECT_EQ(table->columnDescription(0), QStringLiteral("File pos"));
}

// The tab row reports focus on one tab only, the current one, and only while
// it has the keyboard focus; every other time no tab claims it.
TEST_F(Accessibility, OnlyTheCurrentTabReportsFocus) {
  QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(&Tabs());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->role(), QAccessible::PageTabList);
  ASSERT_EQ(bar->childCount(), 3);
  EXPECT_EQ(bar->child(1)->text(QAccessible::Name), QStringLiteral("Filter"));
  EXPECT_EQ(bar->child(1)->role(), QAccessible::PageTab);
  EXPECT_EQ(bar->indexOfChild(bar->child(2)), 2);
  EXPECT_EQ(bar->child(2)->parent(), bar);
  EXPECT_EQ(bar->child(3), nullptr);

  Search().Control(kFileNameEdit)->setFocus();
  EXPECT_TRUE(TabsWith(true).empty());
  EXPECT_EQ(TabsWith(false), std::vector<int>{0});
  EXPECT_EQ(bar->focusChild(), nullptr);

  Tabs().setFocus();
  EXPECT_EQ(TabsWith(true), std::vector<int>{0});
  EXPECT_EQ(bar->focusChild(), bar->child(0));
  QTest::keyClick(&Tabs(), Qt::Key_Right);
  EXPECT_EQ(window_->Container()->CurrentPage(), 1);
  EXPECT_EQ(TabsWith(true), std::vector<int>{1});
  EXPECT_EQ(TabsWith(false), std::vector<int>{1});

  // "Press" on a tab shows its page.
  QAccessibleActionInterface* press = bar->child(2)->actionInterface();
  ASSERT_NE(press, nullptr);
  press->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(window_->Container()->CurrentPage(), 2);
  EXPECT_FALSE(window_->Help()->isHidden());
  EXPECT_EQ(TabsWith(true), std::vector<int>{2});
}

}  // namespace
}  // namespace quillex::testing
