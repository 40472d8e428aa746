// Standard library
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Qt
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "filter/CharGroup.h"
#include "filter/GroupSelection.h"
#include "filter/page/FilterPage.h"
#include "filter/page/GroupBoxes.h"
#include "shell/ShellFixture.h"
#include "shell/TabContainer.h"

namespace quillex::testing {
namespace {

using Flags = std::array<bool, 256>;

// Types one character as a keyboard would deliver it, whatever its code.
void TypeText(QWidget& widget, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
  QApplication::sendEvent(&widget, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
  QApplication::sendEvent(&widget, &release);
}

// A button text as shown: "&&" is one ampersand, a single "&" marks the
// mnemonic and takes no room.
QString ShownText(QString text) {
  text.replace(QStringLiteral("&&"), QChar(u'\x01'));
  text.remove(QChar(u'&'));
  return text.replace(QChar(u'\x01'), QChar(u'&'));
}

class FilterPageTest : public ShellFixture {
 protected:
  FilterPageTest() { window_->Container()->SelectPage(1, true); }

  FilterPage& Page() const { return *window_->Filter(); }
  QCheckBox& Box(int id) const { return *Page().ControlAs<QCheckBox>(id); }
  QLineEdit& Field(int id) const { return *Page().ControlAs<QLineEdit>(id); }
  void Click(int id) const { Page().ControlAs<QAbstractButton>(id)->click(); }

  Flags Table() const {
    Flags flags{};
    for (unsigned b = 0; b < 256; ++b) {
      flags[b] = engine_.table.Allowed(static_cast<std::uint8_t>(b));
    }
    return flags;
  }
  bool Allowed(char c) const { return engine_.table.Allowed(static_cast<std::uint8_t>(c)); }

  // Every group box shows the state of its group in the table.
  void ExpectBoxesShowTheTable() const {
    for (int group = 0; group < kGroupCount; ++group) {
      EXPECT_EQ(Box(BoxOfGroup(group)).isChecked(), engine_.table.GroupState(group) == 1) << group;
    }
  }

  // Runs Go from the Search page over the file and comes back.
  std::vector<std::string> ScanAll(const std::string& path) {
    window_->Container()->SelectPage(0, true);
    ScanFile(path);
    window_->Container()->SelectPage(1, true);
    std::vector<std::string> found = Results(StringKind::Ansi);
    for (const std::string& text : Results(StringKind::Unicode)) {
      found.push_back(text);
    }
    return found;
  }
};

TEST_F(FilterPageTest, StartsFromTheDefaultTable) {
  int on = 0;
  for (int id = kFirstGroupBox; id <= kLastGroupBox; ++id) {
    on += Box(id).isChecked() ? 1 : 0;
  }
  EXPECT_EQ(GroupOfBox(kFirstGroupBox - 1), std::nullopt);
  EXPECT_EQ(GroupOfBox(kLastGroupBox + 1), std::nullopt);
  EXPECT_EQ(GroupOfBox(1063), 39) << "the accented capitals";
  EXPECT_EQ(on, 35);
  ExpectBoxesShowTheTable();
  for (const int id : {kCustomBox, kMustContainBox, kRepeatBox}) {
    EXPECT_FALSE(Box(id).isChecked()) << id;
  }
  EXPECT_FALSE(Field(kCustomField).isEnabled());
  EXPECT_FALSE(Field(kMustContainField).isEnabled());

  // The labels reach the widgets as their characters: one ampersand, the
  // accented letters of the code page.
  EXPECT_EQ(Box(1033).text(), QStringLiteral("&&"));
  EXPECT_EQ(Box(1063).text(), QString::fromUtf8("ÀÁÂÇÈÉÊÌÍÎÒÓÔÙÚÛÝ"));
  EXPECT_EQ(Box(1064).text(), QString::fromUtf8("àáâçèéêìíîòóôùúûý"));
  EXPECT_EQ(Box(1065).text(), QString::fromUtf8("ÄËÏÖÜß"));
  EXPECT_EQ(Box(1066).text(), QString::fromUtf8("äëïöü"));
  EXPECT_EQ(Box(1057).text(), QStringLiteral("` (backtick)"));

  // The three stage frames are bold, nothing else is.
  for (const int id : {kCharacterGroup, kSizeGroup, kEssentialsGroup}) {
    EXPECT_TRUE(Page().Control(id)->font().bold()) << id;
  }
  EXPECT_FALSE(Box(1024).font().bold());
  EXPECT_FALSE(Page().Control(kClearButton)->font().bold());
}

TEST_F(FilterPageTest, EveryGroupBoxSwitchesExactlyItsBytes) {
  for (int group = 0; group < kGroupCount; ++group) {
    const int box = BoxOfGroup(group);
    const Flags before = Table();
    const bool wasOn = Box(box).isChecked();
    Click(box);
    Flags expected = before;
    for (const std::uint8_t byte : CharGroupAt(group)->bytes) {
      expected[byte] = !wasOn;
    }
    EXPECT_EQ(Table(), expected) << box;
    EXPECT_EQ(engine_.table.GroupState(group), wasOn ? 0 : 1) << box;
    Click(box);
    for (const std::uint8_t byte : CharGroupAt(group)->bytes) {
      expected[byte] = wasOn;
    }
    EXPECT_EQ(Table(), expected) << box;
  }
  // Buttons and boxes were clicked through the widgets: the boxes and the
  // table agree at the end, and the defaults are back.
  ExpectBoxesShowTheTable();
  Flags defaults = Table();
  engine_.table.RestoreDefaults();
  EXPECT_EQ(Table(), defaults);
}

TEST_F(FilterPageTest, CustomCharactersFollowTheFieldAndTheBox) {
  Click(kCustomBox);
  ASSERT_TRUE(Field(kCustomField).isEnabled());
  EXPECT_TRUE(engine_.criteria.customEnabled);

  // An edit first clears the previous characters, whatever else allowed
  // them: typing a and deleting it leaves a disallowed and "a-z" off.
  QTest::keyClicks(&Field(kCustomField), QStringLiteral("a"));
  EXPECT_TRUE(Allowed('a'));
  EXPECT_TRUE(Box(1058).isChecked());
  QTest::keyClick(&Field(kCustomField), Qt::Key_Backspace);
  EXPECT_EQ(engine_.criteria.customChars, "");
  EXPECT_FALSE(Allowed('a'));
  EXPECT_TRUE(Allowed('b'));
  EXPECT_FALSE(Box(1058).isChecked());

  // Characters outside every group, and a group of one that they complete.
  Field(kCustomField).setText(QString::fromUtf8("^\u00e9\u20ac"));
  EXPECT_EQ(engine_.criteria.customChars, "^\xE9\x80");
  EXPECT_TRUE(Allowed('^') && Allowed('\xE9') && Allowed('\x80'));
  EXPECT_TRUE(Box(1055).isChecked());

  // The box off clears them even where a group allows them too; on again
  // sets them.
  Click(1058);
  Field(kCustomField).setText(QStringLiteral("b^"));
  EXPECT_FALSE(Allowed('\xE9'));
  Click(kCustomBox);
  EXPECT_FALSE(Field(kCustomField).isEnabled());
  EXPECT_FALSE(engine_.criteria.customEnabled);
  EXPECT_FALSE(Allowed('b'));
  EXPECT_FALSE(Allowed('^'));
  EXPECT_FALSE(Box(1058).isChecked());
  EXPECT_FALSE(Box(1055).isChecked());
  Click(kCustomBox);
  EXPECT_TRUE(Allowed('b') && Allowed('^'));
  EXPECT_TRUE(Box(1055).isChecked());

  // Only 63 bytes are kept; the rest of the field allows nothing.
  Click(1051);
  Field(kCustomField).setText(QString(63, QChar(u'k')) + QStringLiteral("Z"));
  EXPECT_EQ(engine_.criteria.customChars, std::string(63, 'k'));
  EXPECT_TRUE(Allowed('k'));
  EXPECT_FALSE(Allowed('Z'));
  ExpectBoxesShowTheTable();
}

TEST_F(FilterPageTest, UnrepresentableCharactersAreSkippedNotSubstituted) {
  Click(kClearButton);
  Click(kCustomBox);
  // A check mark and an emoji have no byte in the code page; neither may
  // turn into a question mark or any other byte.
  for (const char* typed : {"x", "\u2713", "y", "\U0001F600"}) {
    TypeText(Field(kCustomField), QString::fromUtf8(typed));
  }
  EXPECT_EQ(engine_.criteria.customChars, "xy");
  Flags expected{};
  expected['x'] = expected['y'] = true;
  EXPECT_EQ(Table(), expected);

  Click(kMustContainBox);
  Field(kMustContainField).setText(QString::fromUtf8("\u0100q"));
  EXPECT_EQ(engine_.criteria.mustContain, "q");
  EXPECT_FALSE(Allowed('?'));
  EXPECT_FALSE(Allowed('A'));
  EXPECT_EQ(CharFieldBytes(QString::fromUtf8("\u2713\u2713")), "");
  EXPECT_EQ(CharFieldBytes(QString(QChar(u'\0')) + QStringLiteral("n")), "n");
}

TEST_F(FilterPageTest, MustContainCharactersAreSetAndNeverClearedByTheirOwnControls) {
  Click(kClearButton);
  Click(kMustContainBox);
  ASSERT_TRUE(Field(kMustContainField).isEnabled());
  EXPECT_TRUE(engine_.criteria.mustContainEnabled);
  QTest::keyClicks(&Field(kMustContainField), QStringLiteral("Qz"));
  EXPECT_EQ(engine_.criteria.mustContain, "Qz");
  EXPECT_TRUE(Allowed('Q') && Allowed('z'));

  QTest::keyClick(&Field(kMustContainField), Qt::Key_Backspace);
  EXPECT_EQ(engine_.criteria.mustContain, "Q");
  EXPECT_TRUE(Allowed('z'));
  Click(kMustContainBox);
  EXPECT_FALSE(engine_.criteria.mustContainEnabled);
  EXPECT_FALSE(Field(kMustContainField).isEnabled());
  EXPECT_TRUE(Allowed('Q') && Allowed('z'));

  // A group box switched off does clear them.
  Click(1051);
  Click(1051);
  EXPECT_FALSE(Allowed('Q'));
  EXPECT_TRUE(Allowed('z'));
}

TEST_F(FilterPageTest, ClearAndRestoreKeepTheBoxesAndTextsButDropTheirCharacters) {
  const std::string path =
      dir_.Write("cafe.bin", std::string("caf\xE9 au lait\0\0", 14) +
                                 std::string("c\0a\0f\0\xE9\0 \0n\0o\0i\0r\0\0\0", 20));
  Click(kCustomBox);
  Field(kCustomField).setText(QStringLiteral("\x7F"));
  Click(kMustContainBox);
  Field(kMustContainField).setText(QString::fromUtf8("\u00e9"));
  EXPECT_EQ(ScanAll(path), (std::vector<std::string>{"caf\xE9 au lait", "caf\xE9 noir"}));

  Click(kDefaultsButton);
  EXPECT_FALSE(Allowed('\x7F'));
  EXPECT_FALSE(Allowed('\xE9'));
  EXPECT_TRUE(Box(kCustomBox).isChecked() && Box(kMustContainBox).isChecked());
  EXPECT_EQ(Field(kCustomField).text(), QStringLiteral("\x7F"));
  EXPECT_EQ(Field(kMustContainField).text(), QString::fromUtf8("\u00e9"));
  EXPECT_EQ(engine_.criteria.mustContain, "\xE9");
  ExpectBoxesShowTheTable();
  Flags defaults = Table();
  engine_.table.RestoreDefaults();
  EXPECT_EQ(Table(), defaults);
  // The required character is no longer allowed, so nothing can hold it.
  EXPECT_EQ(ScanAll(path), std::vector<std::string>{});

  Click(kClearButton);
  EXPECT_EQ(Table(), Flags{});
  ExpectBoxesShowTheTable();
  EXPECT_TRUE(Box(kCustomBox).isChecked() && Box(kMustContainBox).isChecked());
  EXPECT_EQ(Field(kMustContainField).text(), QString::fromUtf8("\u00e9"));
  Click(kDefaultsButton);
  EXPECT_EQ(Table(), defaults);
}

TEST_F(FilterPageTest, CommandsWaitForTheirPage) {
  window_->Container()->SelectPage(0, true);
  const Flags before = Table();
  Box(1058).setChecked(false);
  EXPECT_FALSE(Page().Command(1058));
  EXPECT_FALSE(Page().Command(kClearButton));
  Box(kCustomBox).setChecked(true);
  EXPECT_FALSE(Page().Command(kCustomBox));
  Field(kMustContainField).setText(QStringLiteral("\x01"));
  Field(kCustomField).setText(QString::fromUtf8("\u00e9"));
  EXPECT_EQ(Table(), before);
  EXPECT_FALSE(engine_.criteria.customEnabled);
  EXPECT_EQ(engine_.criteria.mustContain, "");
  EXPECT_EQ(engine_.criteria.customChars, "");

  // On its own page the number fields and an edit's other notifications
  // are taken or refused as the page's command table says.
  window_->Container()->SelectPage(1, true);
  EXPECT_FALSE(Page().Notify(kMinLengthField, kChangeNotification));
  EXPECT_FALSE(Page().Notify(kRepeatField, kClickedNotification));
  EXPECT_TRUE(Page().Notify(kCustomField, 0x100));
  EXPECT_EQ(engine_.criteria.customChars, "");
  EXPECT_TRUE(Page().Notify(kCustomField, kChangeNotification));
  EXPECT_EQ(engine_.criteria.customChars, "\xE9");
  Box(1058).setChecked(false);
  EXPECT_TRUE(Page().Command(1058));
  EXPECT_FALSE(Allowed('a'));
}

// The stand-in for the templates' font is wider on some texts; no label or
// check box text may be cut off inside its template rectangle.
TEST_F(FilterPageTest, EveryLabelShowsItsWholeText) {
  int checked = 0;
  for (const PageRow& row : window_->Container()->Pages()) {
    for (QWidget* widget : row.page->findChildren<QWidget*>()) {
      QString text;
      int room = 0;
      if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
        text = ShownText(box->text());
      } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        room = label->contentsRect().width();
        text = label->text();
      } else {
        continue;
      }
      ++checked;
      EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), room)
          << widget->objectName().toStdString();
    }
  }
  EXPECT_GE(checked, 48);
}

TEST_F(FilterPageTest, CheckedBoxesFocusTheirFields) {
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  Page().SetControlText(kRepeatField, QStringLiteral("1"));
  Click(kRepeatBox);
  EXPECT_TRUE(Field(kRepeatField).hasFocus());
  EXPECT_EQ(Field(kRepeatField).selectedText(), QStringLiteral("3"));
  Click(kCustomBox);
  EXPECT_TRUE(Field(kCustomField).hasFocus());
  Click(kMustContainBox);
  EXPECT_TRUE(Field(kMustContainField).hasFocus());
}

// The command line names the groups by the page's labels and builds its
// table from the ticked boxes; both must be the page's own.
TEST_F(FilterPageTest, CommandLineGroupsAreThePagesBoxes) {
  for (int group = 0; group < kGroupCount; ++group) {
    EXPECT_EQ(ShownText(Box(BoxOfGroup(group)).text()).toStdString(), CharGroupAt(group)->name)
        << group;
  }

  // Clicks as --exclude makes them, from the defaults, then as --only makes
  // them, from a cleared table: the page's table is the engine's for the
  // same ticked boxes.
  const std::vector<std::vector<int>> clickLists{
      {1026, 1043, 1034}, {1051, 1058}, {1024, 1025, 1063, 1066, 1055}, {}};
  for (const bool fromDefaults : {true, false}) {
    for (const std::vector<int>& clicks : clickLists) {
      Click(fromDefaults ? kDefaultsButton : kClearButton);
      for (const int id : clicks) {
        Click(id);
      }
      // The same boxes named as on the command line.
      std::string names;
      std::vector<int> clickedGroups;
      for (const int id : clicks) {
        ASSERT_TRUE(GroupOfBox(id).has_value()) << id;
        clickedGroups.push_back(*GroupOfBox(id));
        names += (names.empty() ? "" : ",") + std::string(CharGroupAt(*GroupOfBox(id))->name);
      }
      std::vector<int> listed;
      std::string bad;
      ASSERT_TRUE(ParseGroupList(names, listed, bad)) << bad;
      EXPECT_EQ(listed, clickedGroups);
      GroupSelection selection = fromDefaults ? GroupSelection::Defaults() : GroupSelection::None();
      for (const int group : listed) {
        selection.Tick(group, !selection.IsTicked(group));  // what a click does
      }
      for (int group = 0; group < kGroupCount; ++group) {
        EXPECT_EQ(selection.IsTicked(group), Box(BoxOfGroup(group)).isChecked()) << group;
      }
      CharClassTable built;
      selection.BuildTable(built);
      for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(built.Allowed(static_cast<std::uint8_t>(b)), Table()[static_cast<std::size_t>(b)])
            << "byte " << b << (fromDefaults ? " after defaults" : " after clear");
      }
    }
  }
}

}  // namespace
}  // namespace quillex::testing
