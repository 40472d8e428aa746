// Standard library
#include <filesystem>
#include <string>
#include <vector>

// Qt
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

// Quillex
#include "filter/page/FilterPage.h"
#include "shell/HelpPage.h"
#include "shell/LogoButton.h"
#include "shell/ShellFixture.h"
#include "shell/TabContainer.h"
#include "shell/TabControl.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

using MainWindowTest = ShellFixture;

QRect Geometry(const DialogPage& page, int id) {
  return page.Control(id)->geometry();
}

TEST_F(MainWindowTest, StartsWithTheSearchPageAndDefaults) {
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillex " QUILLEX_VERSION));
  EXPECT_EQ(window_->minimumSize(), QSize(579, 375));
  EXPECT_FALSE(window_->windowIcon().isNull());

  const TabContainer& container = *window_->Container();
  const QTabBar& tabs = *container.Tabs()->TabBar();
  ASSERT_EQ(tabs.count(), 3);
  EXPECT_EQ(tabs.tabText(0), QStringLiteral("Search"));
  EXPECT_EQ(tabs.tabText(1), QStringLiteral("Filter"));
  EXPECT_EQ(tabs.tabText(2), QStringLiteral("Help"));
  EXPECT_EQ(container.CurrentPage(), 0);
  EXPECT_FALSE(window_->Search()->isHidden());
  EXPECT_TRUE(window_->Filter()->isHidden());
  EXPECT_TRUE(window_->Help()->isHidden());

  // The Search page: Go, "Ready", the advanced view on and its list shown.
  EXPECT_EQ(GoButton().text(), QStringLiteral("&Go"));
  EXPECT_EQ(Text(kStatusText), QStringLiteral("Ready"));
  EXPECT_TRUE(Search().IsChecked(kAdvancedViewBox));
  EXPECT_TRUE(Search().AdvancedView());
  EXPECT_FALSE(Search().List()->isHidden());
  EXPECT_TRUE(Search().Normal()->isHidden());
  EXPECT_EQ(Search().List()->geometry(), Search().Normal()->geometry());
  EXPECT_EQ(Search().FileName(), "");

  // The Filter page's number fields and the repeat box.
  const FilterPage& filter = *window_->Filter();
  EXPECT_EQ(filter.FieldText(1001), "5");
  EXPECT_EQ(filter.FieldText(1003), "1024");
  EXPECT_EQ(filter.FieldText(1072), "3");
  EXPECT_FALSE(filter.Control(1072)->isEnabled());
  EXPECT_FALSE(filter.IsChecked(kRepeatBox));
  EXPECT_TRUE(filter.Control(kSizeGroup)->font().bold());
  EXPECT_FALSE(filter.Control(kRepeatBox)->font().bold());

  // Controls sit where the templates put them, at the dialog font's scale.
  const DialogUnitScale scale = Search().Scale();
  const PixelRect go = DialogRectToPixels(scale, 298, 8, 35, 18);
  EXPECT_EQ(Geometry(Search(), kGoButton), QRect(go.left, go.top, go.Width(), go.Height()));

  // The logo is ours, 32 x 358, and stretched over control 1006.
  EXPECT_EQ(container.Logo()->Logo().size(), QSize(32, 358));
  EXPECT_EQ(container.Logo()->objectName(), QStringLiteral("1006"));
}

TEST_F(MainWindowTest, HelpPageShowsYellowOnNavyWithoutACaret) {
  const auto* edit = window_->Help()->ControlAs<QPlainTextEdit>(kHelpText);
  ASSERT_NE(edit, nullptr);
  const QString text = edit->toPlainText();
  EXPECT_TRUE(text.startsWith(QStringLiteral("Quillex:  A file text scanner.\n")))
      << text.left(40).toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("\nADVANCED VIEW DETAILS\n")));
  EXPECT_LT(text.indexOf(QStringLiteral("Save")), text.indexOf(QStringLiteral("ADVANCED")));
  // The keys are told too, as the window has them.
  for (const char* command : {"Browse", "Save", "Find", "Find again", "Filter", "Stop", "Quit"}) {
    const QString key = window_->ShortcutKeys(QString::fromLatin1(command))
                            .front()
                            .toString(QKeySequence::NativeText);
    EXPECT_TRUE(text.contains(key)) << command << ": " << key.toStdString();
  }
  EXPECT_FALSE(text.contains(QLatin1Char('\r')));
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 0, 0x80));
  EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0));
  EXPECT_FALSE(edit->textInteractionFlags() & Qt::TextSelectableByKeyboard);
  EXPECT_FALSE(edit->textInteractionFlags() & Qt::TextEditable);
}

TEST_F(MainWindowTest, OpenPathAppliesTheQuoteRuleAndPostsGo) {
  window_->Container()->SelectPage(2, true);
  const std::string path = dir_.Write("quoted name.bin", std::string("quoted file text\n"));
  window_->OpenPath("\"" + path + "\"");
  EXPECT_EQ(Search().FileName(), path);
  EXPECT_EQ(Text(kFileNameEdit).toStdString(), path);
  EXPECT_EQ(window_->Container()->CurrentPage(), 0);
  EXPECT_EQ(window_->Container()->Tabs()->TabBar()->currentIndex(), 0);
  EXPECT_FALSE(window_->Search()->isHidden());
  EXPECT_TRUE(window_->Help()->isHidden());
  // Posted, not run: nothing has been scanned until the loop gets to it, and
  // the title names no file yet.
  EXPECT_EQ(engine_.store.Count(), 0u);
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillex " QUILLEX_VERSION));
  RunPostedEvents();
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"quoted file text"});
  // The title names the scanned file, the field's tip gives its whole path.
  EXPECT_EQ(window_->windowTitle(), QString::fromUtf8("quoted name.bin \u2014 Quillex"));
  EXPECT_EQ(Search().Control(kFileNameEdit)->toolTip().toStdString(), path);

  // An unclosed quote loses the last character; a lone quote leaves no name,
  // so the posted Go only normalises. The file that cannot be opened leaves
  // no results and no name in the title.
  window_->OpenPath("\"/no/such/fileX");
  EXPECT_EQ(Search().FileName(), "/no/such/file");
  RunPostedEvents();
  EXPECT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillex " QUILLEX_VERSION));
  window_->OpenPath("\"");
  EXPECT_EQ(Search().FileName(), "");
  RunPostedEvents();
  EXPECT_EQ(dialogs_.boxes.size(), 1u);
}

TEST_F(MainWindowTest, DroppingSeveralFilesScansTheFirst) {
  const std::string first = dir_.Write("first.bin", std::string("the first file\n"));
  const std::string second = dir_.Write("second.bin", std::string("the second file\n"));
  window_->show();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                QUrl::fromLocalFile(QString::fromStdString(second))});
  // Qt delivers a drop only to the widget that accepted the drag's entry.
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window_.get(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window_.get(), &drop);
  EXPECT_EQ(Search().FileName(), first);
  RunPostedEvents();
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"the first file"});
  EXPECT_EQ(window_->windowTitle(), QString::fromUtf8("first.bin \u2014 Quillex"));

  // A drop of something that is not a local file changes nothing.
  QMimeData remote;
  remote.setUrls({QUrl(QStringLiteral("https://example.org/x.bin"))});
  QDragEnterEvent remoteEnter(QPoint(50, 50), Qt::CopyAction, &remote, Qt::LeftButton,
                              Qt::NoModifier);
  QCoreApplication::sendEvent(window_.get(), &remoteEnter);
  QDropEvent remoteDrop(QPointF(50, 50), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window_.get(), &remoteDrop);
  EXPECT_EQ(Search().FileName(), first);
}

TEST_F(MainWindowTest, ResizingMovesAndStretchesTheAnchoredControls) {
  window_->SetLayoutReady();
  window_->show();
  RunPostedEvents();
  const QSize before = window_->size();
  const SearchPage& search = Search();
  const QRect go = Geometry(search, kGoButton);
  const QRect list = search.List()->geometry();
  const QRect findEdit = Geometry(search, kFindEdit);
  const QRect find = Geometry(search, kFindButton);
  const QRect status = Geometry(search, kStatusText);
  const QRect label = Geometry(search, kFileLabel);
  const QRect logo = window_->Container()->Logo()->geometry();
  const QRect tabs = window_->Container()->Tabs()->geometry();
  const QRect help = Geometry(*window_->Help(), kHelpText);
  const QSize page = window_->Filter()->size();

  window_->resize(before.width() + 100, before.height() + 60);
  RunPostedEvents();
  ASSERT_EQ(window_->size(), QSize(before.width() + 100, before.height() + 60));

  EXPECT_EQ(Geometry(search, kGoButton), go.translated(100, 0));
  EXPECT_EQ(search.List()->geometry(), list.adjusted(0, 0, 100, 60));
  EXPECT_EQ(search.Normal()->geometry(), list.adjusted(0, 0, 100, 60));
  EXPECT_EQ(Geometry(search, kFindEdit), findEdit.adjusted(0, 60, 100, 60));
  EXPECT_EQ(Geometry(search, kFindButton), find.translated(100, 60));
  EXPECT_EQ(Geometry(search, kStatusText), status.translated(0, 60));
  EXPECT_EQ(Geometry(search, kFileLabel), label);
  EXPECT_EQ(window_->Container()->Logo()->geometry(), logo.adjusted(0, 0, 0, 60));
  EXPECT_EQ(window_->Container()->Tabs()->geometry(), tabs.adjusted(0, 0, 100, 60));
  EXPECT_EQ(Geometry(*window_->Help(), kHelpText), help.adjusted(0, 0, 100, 60));
  EXPECT_EQ(window_->Filter()->size(), page + QSize(100, 60));

  // Back to the first size puts everything back.
  window_->resize(before);
  RunPostedEvents();
  EXPECT_EQ(Geometry(search, kGoButton), go);
  EXPECT_EQ(search.List()->geometry(), list);

  // The window cannot be made smaller than its first size.
  window_->resize(200, 100);
  RunPostedEvents();
  EXPECT_GE(window_->width(), 579);
  EXPECT_GE(window_->height(), 375);
}

// Whether `control` can be seen in its page's area without scrolling.
bool ShownWhole(const MainWindow& window, const QWidget& control) {
  const QScrollArea* area = window.Container()->Pages().front().area;
  const QRect shown(area->viewport()->mapTo(&window, QPoint(0, 0)), area->viewport()->size());
  const QRect placed(control.mapTo(&window, QPoint(0, 0)), control.size());
  return window.rect().contains(placed) && shown.contains(placed);
}

// On a 1024 x 768 screen at QT_SCALE_FACTOR 2 (512 x 384 logical pixels,
// less a panel) and 1.5 (683 x 512) the window opens within the area, and
// Find and Save are on screen without scrolling.
TEST_F(MainWindowTest, TheWindowFitsSmallScreens) {
  const QSize design = window_->size();
  for (const QRect& available : {QRect(0, 24, 512, 360), QRect(0, 0, 683, 512)}) {
    window_->SetLayoutReady();
    window_->FitToScreen(available);
    window_->show();
    RunPostedEvents();
    const QRect frame(window_->pos(), window_->size() + QSize(kFrameWidth, kFrameHeight));
    EXPECT_TRUE(available.contains(frame)) << available.width() << " wide";
    EXPECT_LE(window_->minimumWidth(), available.width() - kFrameWidth);
    EXPECT_LE(window_->minimumHeight(), available.height() - kFrameHeight);
    for (const int id : {kFindButton, kSaveButton, kFindEdit, kGoButton, kBrowseButton}) {
      const QWidget& control = *Search().Control(id);
      EXPECT_TRUE(ShownWhole(*window_, control)) << id << " at " << available.width();
      EXPECT_GE(control.width(), Search().TemplateRect(id).Width() / 2) << id;
    }
    // The view box stays clickable where the report reaches over it.
    const QWidget& box = *Search().Control(kAdvancedViewBox);
    EXPECT_EQ(Search().childAt(box.geometry().center()), &box);
    // The list keeps some rows, above the bottom row.
    EXPECT_GE(Search().List()->height(),
              3 * Search().List()->verticalHeader()->defaultSectionSize());
    EXPECT_LE(Search().List()->geometry().bottom(),
              Search().Control(kStatusFrame)->geometry().top());
    window_->hide();
    window_->setMinimumSize(0, 0);
    window_->resize(design);
    RunPostedEvents();
  }
  // Wide enough again, the logo is back.
  EXPECT_TRUE(window_->Container()->LogoShown());
}

// A page that does not fit the window scrolls instead of being cut off: at
// the smallest height the Filter page's last stage can still be reached.
TEST_F(MainWindowTest, APageThatDoesNotFitScrolls) {
  window_->SetLayoutReady();
  window_->show();
  window_->Container()->SelectPage(1, true);
  window_->resize(window_->minimumSize());
  RunPostedEvents();
  const FilterPage& filter = *window_->Filter();
  const QScrollArea& area = *window_->Container()->Pages()[1].area;
  const int lowest = filter.Control(kSizeGroup)->geometry().bottom();
  if (area.viewport()->height() > lowest) {
    GTEST_SKIP() << "the page fits at this font";
  }
  EXPECT_GE(filter.height(), lowest);
  EXPECT_GT(area.verticalScrollBar()->maximum(), 0);
  // Tabbing to the last field brings it into view.
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QWidget& last = *filter.Control(kMustContainField);
  QCheckBox& box = *filter.ControlAs<QCheckBox>(kMustContainBox);
  box.click();
  ASSERT_TRUE(last.isEnabled());
  box.setFocus();
  QTest::keyClick(&box, Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), &last);
  const QRect shown(area.viewport()->mapToGlobal(QPoint(0, 0)), area.viewport()->size());
  EXPECT_TRUE(shown.contains(QRect(last.mapToGlobal(QPoint(0, 0)), last.size())));
}

TEST_F(MainWindowTest, CommandsActOnlyOnTheCurrentPage) {
  const std::string path = dir_.Write("x.bin", std::string("some text here\n"));
  Search().SetFileName(path);
  dialogs_.openAnswer = path;
  FilterPage& filter = *window_->Filter();
  filter.SetControlText(1001, QStringLiteral("0"));

  window_->Container()->Tabs()->TabBar()->setCurrentIndex(1);  // a tab click
  ASSERT_EQ(window_->Container()->CurrentPage(), 1);
  EXPECT_FALSE(Search().Command(kGoButton));
  EXPECT_FALSE(Search().Command(kBrowseButton));
  EXPECT_EQ(filter.FieldText(1001), "0");  // Go did not normalise
  EXPECT_EQ(engine_.store.Count(), 0u);
  EXPECT_TRUE(dialogs_.openRequests.empty());
  // The Filter page acts now, the Search page's boxes do not.
  filter.SetChecked(kRepeatBox, true);
  EXPECT_TRUE(filter.Command(kRepeatBox));
  EXPECT_TRUE(engine_.criteria.repeatDiscard);

  window_->Container()->Tabs()->TabBar()->setCurrentIndex(0);
  EXPECT_FALSE(filter.Command(kRepeatBox));
  EXPECT_TRUE(Search().Command(kGoButton));
  EXPECT_EQ(filter.FieldText(1001), "5");
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"some text here"});
}

TEST_F(MainWindowTest, RepeatBoxNormalisesAndEnablesItsField) {
  FilterPage& filter = *window_->Filter();
  window_->Container()->SelectPage(1, true);
  filter.SetControlText(1001, QStringLiteral("0"));
  filter.SetControlText(1003, QStringLiteral("9999"));
  filter.SetControlText(1072, QStringLiteral("1"));
  auto* box = filter.ControlAs<QCheckBox>(kRepeatBox);
  box->click();
  EXPECT_TRUE(filter.Control(1072)->isEnabled());
  EXPECT_EQ(filter.FieldText(1001), "5");
  EXPECT_EQ(filter.FieldText(1003), "1024");
  EXPECT_EQ(filter.FieldText(1072), "3");
  EXPECT_EQ(engine_.criteria.repeatLimit, 3u);

  // Off again: the lengths are normalised, the count is left as it shows.
  filter.SetControlText(1001, QStringLiteral("0"));
  filter.SetControlText(1072, QStringLiteral("1"));
  box->click();
  EXPECT_FALSE(filter.Control(1072)->isEnabled());
  EXPECT_EQ(filter.FieldText(1001), "5");
  EXPECT_EQ(filter.FieldText(1072), "1");
  EXPECT_EQ(engine_.criteria.repeatLimit, NoRepeatLimit);

  // Digits only.
  auto* field = filter.ControlAs<QLineEdit>(1001);
  field->clear();
  QTest::keyClicks(field, QStringLiteral("1a2-3"));
  EXPECT_EQ(field->text(), QStringLiteral("123"));
}

TEST_F(MainWindowTest, BrowseSetsTheFileNameAndTheTitleFollowsTheScan) {
  const std::string browsed = dir_.Write("browsed.bin", std::string("browsed text\n"));
  dialogs_.openAnswer = browsed;
  ASSERT_TRUE(Search().Command(kBrowseButton));
  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  const FakeDialogService::FileRequest& request = dialogs_.openRequests[0];
  EXPECT_EQ(request.title, "Open file for scanning");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].description, "All files (*.*)");
  EXPECT_EQ(request.filters[0].pattern, "*.*");
  EXPECT_EQ(request.defaultExtension, "*.*");
  EXPECT_EQ(request.initialPath, "");  // no file yet: the platform's folder
  EXPECT_EQ(Search().FileName(), browsed);
  EXPECT_EQ(Text(kFileNameEdit).toStdString(), browsed);
  // Nothing is shown of it until it is scanned.
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillex " QUILLEX_VERSION));
  QTest::keyClick(Search().ControlAs<QLineEdit>(kFileNameEdit), Qt::Key_Return);
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"browsed text"});
  EXPECT_EQ(window_->windowTitle(), QString::fromUtf8("browsed.bin \u2014 Quillex"));

  // Browse opens where the current file is.
  dialogs_.openAnswer.reset();
  ASSERT_TRUE(Search().Command(kBrowseButton));
  EXPECT_EQ(dialogs_.openRequests.back().initialPath, browsed);
  // Cancelling changes nothing.
  EXPECT_EQ(Search().FileName(), browsed);
  EXPECT_EQ(Text(kFileNameEdit).toStdString(), browsed);
}

// What the user types in the file field is what Go scans, read with the
// command line's quote rule; the title and the field's tip follow.
TEST_F(MainWindowTest, GoScansTheTypedPath) {
  const std::string browsed = dir_.Write("browsed.bin", std::string("browsed text\n"));
  const std::string typed = dir_.Write("typed name.bin", std::string("typed text\n"));
  dialogs_.openAnswer = browsed;
  ASSERT_TRUE(Search().Command(kBrowseButton));
  ScanFile(browsed);
  ASSERT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"browsed text"});

  auto* edit = Search().ControlAs<QLineEdit>(kFileNameEdit);
  edit->clear();
  QTest::keyClicks(edit, QString::fromStdString("\"" + typed + "\""));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(Search().FileName(), typed);
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"typed text"});
  EXPECT_EQ(window_->windowTitle(), QString::fromUtf8("typed name.bin \u2014 Quillex"));
  EXPECT_EQ(edit->toolTip().toStdString(), typed);
  // Browse now starts from the typed file.
  dialogs_.openAnswer.reset();
  ASSERT_TRUE(Search().Command(kBrowseButton));
  EXPECT_EQ(dialogs_.openRequests.back().initialPath, typed);

  // A relative path is scanned from the working folder; the tip shows it whole.
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  edit->setText(QStringLiteral("browsed.bin"));
  Go();
  std::filesystem::current_path(saved);
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"browsed text"});
  EXPECT_EQ(edit->toolTip().toStdString(), browsed);

  // A typed path that cannot be opened is reported by its name, and the
  // results of the file before are no longer named in the title.
  edit->setText(QStringLiteral("/no/such/typed.bin"));
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_NE(dialogs_.boxes[0].text.find("/no/such/typed.bin"), std::string::npos);
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillex " QUILLEX_VERSION));

  // An emptied field names no file: Go only normalises.
  edit->clear();
  Go();
  EXPECT_EQ(Search().FileName(), "");
  EXPECT_EQ(dialogs_.boxes.size(), 1u);
}

// A path the program put in the field is scanned byte for byte, even when
// its name is not valid UTF-8 or begins with a quote.
TEST_F(MainWindowTest, APathThatIsNotTextIsScannedAsGiven) {
  const std::string odd = dir_.Write("\"odd\xE9name\"", std::string("odd bytes\n"));
  window_->OpenPath(odd);
  RunPostedEvents();
  EXPECT_TRUE(dialogs_.boxes.empty()) << (dialogs_.boxes.empty() ? "" : dialogs_.boxes[0].text);
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"odd bytes"});
  // Go again, the field untouched: the same file.
  Go();
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(Search().FileName(), odd);

  // In a folder named with a quote at its start, relative to the working
  // folder: the field shows the name, and Go keeps it as it was given.
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  Search().SetFileName("\"odd\xE9name\"");
  Go();
  std::filesystem::current_path(saved);
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"odd bytes"});
}

TEST_F(MainWindowTest, SwitchingPagesKeepsTheSearchPageAsItWas) {
  ScanFile(dir_.Write("s.bin", std::string("kept across tabs\n")));
  const QString report = Text(kReportText);
  QTabBar& tabs = *window_->Container()->Tabs()->TabBar();
  tabs.setCurrentIndex(2);
  EXPECT_TRUE(window_->Search()->isHidden());
  EXPECT_FALSE(window_->Help()->isHidden());
  tabs.setCurrentIndex(1);
  EXPECT_TRUE(window_->Help()->isHidden());
  EXPECT_FALSE(window_->Filter()->isHidden());
  tabs.setCurrentIndex(0);
  EXPECT_FALSE(window_->Search()->isHidden());
  EXPECT_TRUE(window_->Filter()->isHidden());
  EXPECT_EQ(Text(kReportText), report);
  EXPECT_EQ(Search().Model().rowCount(), 1);
  EXPECT_EQ(Text(kAnsiCountControl), QStringLiteral("AN: 1"));
}

}  // namespace
}  // namespace quillex::testing
