// Standard library
#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

// Qt
#include <QCheckBox>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabBar>

#include <gtest/gtest.h>

#include <unistd.h>

// Quillex
#include "filter/page/FilterPage.h"
#include "platform/InputFile.h"
#include "shell/ShellFixture.h"
#include "shell/TabContainer.h"
#include "shell/TabControl.h"
#include "support/PeBuilder.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex::testing {
namespace {

constexpr std::array<int, 6> kDisabledDuringScan{1000, 1005, 1090, 1012, 1011, 1010};

void Append(Bytes& bytes, std::string_view text) {
  for (const char c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c));
  }
}

// A PE image with two ANSI strings and one UTF-16 string in ".text" and two
// string resources.
std::string PeImage(bool damageResources = false) {
  Bytes code(16, 0);
  Append(code, std::string_view("Hello, scanner\0\0Second ansi text\0\0", 35));
  for (const std::uint8_t byte : Utf16(u"Wide string here")) {
    code.push_back(byte);
  }
  code.resize(code.size() + 4, 0);
  ResourceTree tree;
  tree.AddStrings(1, {u"Resource one", u"Resource two"});
  ResourceTree::Layout rsrc = tree.Build(0x2000);
  if (damageResources) {
    // The root's only entry points at a subdirectory far past the section.
    Put32(rsrc.bytes, 16 + 4, kSubdirectory | 0x7FFFF0u);
  }
  PeBuilder pe;
  pe.ImageBase(0x400000);
  pe.AddSection(".text", 0x1000, code);
  pe.AddSection(".rsrc", 0x2000, rsrc.bytes);
  const Bytes image = pe.Build();
  return std::string(image.begin(), image.end());
}

// About `size` bytes of ANSI lines to append to an image. Long lines keep the
// number of results, and so the cost of filling the views, small next to the
// size of the file.
std::string LongLines(std::size_t size) {
  std::string tail(900, ' ');
  for (std::size_t k = 0; k < tail.size(); ++k) {
    tail[k] = static_cast<char>('a' + k % 26);
  }
  std::string lines;
  lines.reserve(size + 1000);
  for (std::size_t i = 0; lines.size() < size; ++i) {
    lines += "line " + std::to_string(1000000 + i) + " " + tail + "\n";
  }
  return lines;
}

using GoCommand = ShellFixture;

TEST_F(GoCommand, WithoutAFileOnlyNormalisesTheCriteria) {
  FilterPage& filter = *window_->Filter();
  filter.SetControlText(1001, QStringLiteral("0"));
  filter.SetControlText(1003, QStringLiteral("9999"));
  engine_.criteria.minLength = 77;
  Go();
  EXPECT_EQ(filter.ControlText(1001), QStringLiteral("5"));
  EXPECT_EQ(filter.ControlText(1003), QStringLiteral("1024"));
  EXPECT_EQ(engine_.criteria.minLength, 5u);
  EXPECT_EQ(engine_.criteria.maxLength, 1024u);
  EXPECT_EQ(engine_.criteria.repeatLimit, NoRepeatLimit);
  // Nothing else happens.
  EXPECT_EQ(GoButton().text(), QStringLiteral("&Go"));
  EXPECT_EQ(Text(kStatusText), QStringLiteral("Ready"));
  EXPECT_EQ(Text(kReportText), QString());
  EXPECT_FALSE(Search().LastReport().opened);
  EXPECT_TRUE(dialogs_.boxes.empty());

  // Min 7 with max 3 gives min 3.
  filter.SetControlText(1001, QStringLiteral("7"));
  filter.SetControlText(1003, QStringLiteral("3"));
  Go();
  EXPECT_EQ(filter.ControlText(1001), QStringLiteral("3"));
  EXPECT_EQ(engine_.criteria.minLength, 3u);
}

TEST_F(GoCommand, ScanOfAPeImageFillsTheViewsCountsAndReport) {
  const std::string path = dir_.Write("image.exe", PeImage());
  std::vector<bool> enabledDuringScan;
  QString goTextDuringScan;
  QString statusDuringScan;
  bool listDrawingDuringScan = true;
  bool tabEnabledDuringScan = true;
  Search().SetPumpHook([&] {
    if (!enabledDuringScan.empty()) {
      return;
    }
    for (const int id : kDisabledDuringScan) {
      enabledDuringScan.push_back(Search().Control(id)->isEnabled());
    }
    goTextDuringScan = GoButton().text();
    statusDuringScan = Text(kStatusText);
    listDrawingDuringScan = Search().List()->updatesEnabled();
    tabEnabledDuringScan = window_->Container()->Tabs()->isEnabled();
  });
  ScanFile(path);

  // During the scan: everything but Stop is disabled and the views do not draw.
  EXPECT_EQ(enabledDuringScan, std::vector<bool>(6, false));
  EXPECT_EQ(goTextDuringScan, QStringLiteral("S&top"));
  EXPECT_EQ(statusDuringScan, QStringLiteral("Scanning..."));
  EXPECT_FALSE(listDrawingDuringScan);
  EXPECT_FALSE(tabEnabledDuringScan);
  EXPECT_TRUE(GoButton().isEnabled());

  // Afterwards everything is back.
  for (const int id : kDisabledDuringScan) {
    EXPECT_TRUE(Search().Control(id)->isEnabled()) << id;
  }
  EXPECT_TRUE(window_->Container()->Tabs()->isEnabled());
  EXPECT_TRUE(Search().List()->updatesEnabled());
  EXPECT_EQ(GoButton().text(), QStringLiteral("&Go"));
  EXPECT_EQ(Text(kStatusText), QStringLiteral("Ready"));
  EXPECT_FALSE(Search().Scanning());
  EXPECT_TRUE(dialogs_.boxes.empty());

  const std::vector<std::string> ansi = Results(StringKind::Ansi);
  EXPECT_NE(std::find(ansi.begin(), ansi.end(), "Hello, scanner"), ansi.end());
  EXPECT_NE(std::find(ansi.begin(), ansi.end(), "Second ansi text"), ansi.end());
  // The last string of the table block is also UTF-16 text that ends in a
  // NUL, so the Unicode pass finds it as well; the first one ends at the
  // second one's count.
  const std::vector<std::string> unicode = Results(StringKind::Unicode);
  EXPECT_EQ(unicode, (std::vector<std::string>{"Wide string here", "Resource two"}));
  EXPECT_EQ(Results(StringKind::Resource),
            (std::vector<std::string>{"Resource one", "Resource two"}));

  EXPECT_EQ(Text(kAnsiCountControl), QString("AN: %1").arg(ansi.size()));
  EXPECT_EQ(Text(kUnicodeCountControl), QStringLiteral("UN: 2"));
  EXPECT_EQ(Text(kResourceCountControl), QStringLiteral("RS: 2"));

  // One row per result, in store order, each with its kind's icon.
  const ResultListModel& model = Search().Model();
  ASSERT_EQ(model.rowCount(), static_cast<int>(engine_.store.Count()));
  for (int row = 0; row < model.rowCount(); ++row) {
    EXPECT_EQ(model.ResultIndexAt(row), static_cast<std::uint32_t>(row));
    const QVariant icon = model.data(model.index(row, 0), Qt::DecorationRole);
    EXPECT_FALSE(icon.value<QIcon>().isNull()) << row;
  }

  // The report: text size counts ANSI and Unicode strings, never resources.
  std::uint64_t textSize = 0;
  for (const auto& texts : {ansi, unicode}) {
    for (const std::string& text : texts) {
      textSize += text.size();
    }
  }
  EXPECT_GT(textSize, 0u);
  EXPECT_EQ(Search().LastReport().totalTextSize, textSize);
  const QRegularExpression report(
      QStringLiteral("^Time taken : \\d+\\.\\d{3} secs    Text size: (\\d+) bytes "
                     "\\((\\d+\\.\\d\\d)K\\)$"));
  const QRegularExpressionMatch match = report.match(Text(kReportText));
  ASSERT_TRUE(match.hasMatch()) << Text(kReportText).toStdString();
  EXPECT_EQ(match.captured(1).toULongLong(), textSize);
  EXPECT_EQ(match.captured(2), QString::number(static_cast<double>(textSize) / 1024, 'f', 2));

  // The advanced view shows the list; the normal view holds the running text
  // with its selection at the start.
  EXPECT_FALSE(Search().List()->isHidden());
  EXPECT_TRUE(Search().Normal()->isHidden());
  std::string running(engine_.store.Pool().Bytes(), engine_.store.Pool().UsedBytes());
  std::replace(running.begin(), running.end(), '\0', ' ');
  EXPECT_EQ(Search().Normal()->Text(), running);
  EXPECT_EQ(Search().Normal()->Selection(), (TextRange{0, 0}));
}

TEST_F(GoCommand, AFileThatCannotBeOpenedShowsOneBoxAndEmptyViews) {
  ScanFile(dir_.Write("first.bin", std::string("Earlier result\n", 15)));
  ASSERT_EQ(engine_.store.Count(), 1u);
  const QString counts = Text(kAnsiCountControl);
  const QString report = Text(kReportText);

  ASSERT_EQ(window_->windowTitle(), QString::fromUtf8("first.bin \u2014 Quillex"));
  const std::vector<std::pair<std::string, int>> failures{
      {(dir_.Path() / "missing.bin").string(), ENOENT}, {dir_.Path().string(), EISDIR}};
  for (const auto& [bad, error] : failures) {
    dialogs_.boxes.clear();
    ScanFile(bad);
    ASSERT_EQ(dialogs_.boxes.size(), 1u) << bad;
    // The first line as always, then which file and why.
    EXPECT_EQ(dialogs_.boxes[0].text,
              "Unable to open that file\r\n\r\n" + bad + "\r\n" + ErrorText(error));
    EXPECT_EQ(dialogs_.boxes[0].title, "Quillex " QUILLEX_VERSION);
    EXPECT_EQ(dialogs_.boxes[0].style, MB_ICONERROR);
    EXPECT_EQ(dialogs_.boxes[0].owner, static_cast<void*>(window_.get()));
    // The store keeps the earlier results, but the views stay empty.
    EXPECT_EQ(engine_.store.Count(), 1u);
    EXPECT_EQ(Search().Model().rowCount(), 0);
    EXPECT_EQ(Search().Normal()->Text(), "");
    EXPECT_EQ(Text(kAnsiCountControl), counts);
    EXPECT_EQ(Text(kReportText), report);
    EXPECT_EQ(GoButton().text(), QStringLiteral("&Go"));
    EXPECT_TRUE(Search().Control(kBrowseButton)->isEnabled());
    // No results are shown, so no file is named in the title.
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillex " QUILLEX_VERSION));
    EXPECT_EQ(Search().ShownFile(), "");
    EXPECT_EQ(Search().Control(kFileNameEdit)->toolTip(), QString());
  }
  // Someone else's file that cannot be read says so.
  if (::geteuid() != 0) {
    const std::string locked = dir_.Write("locked.bin", "secret text");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    dialogs_.boxes.clear();
    ScanFile(locked);
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].text,
              "Unable to open that file\r\n\r\n" + locked + "\r\n" + ErrorText(EACCES));
  }
}

TEST_F(GoCommand, StopDuringTheAnsiPassKeepsWhatWasFound) {
  const std::string path = dir_.Write("big.exe", PeImage() + LongLines(3 << 20));
  ScanFile(path);
  const std::uint32_t fullAnsi = Search().LastReport().ansiCount;
  ASSERT_GT(fullAnsi, 3000u);
  EXPECT_FALSE(Search().StopRequested());

  // The third pump clicks the button, which reads "S&top" by then.
  int pumps = 0;
  Search().SetPumpHook([&] {
    if (++pumps == 3) {
      GoButton().click();
    }
  });
  ScanFile(path);
  EXPECT_TRUE(Search().StopRequested());
  const ScanReport& stopped = Search().LastReport();
  EXPECT_GT(stopped.ansiCount, 0u);
  EXPECT_LT(stopped.ansiCount, fullAnsi);
  EXPECT_EQ(Results(StringKind::Ansi).size(), stopped.ansiCount);
  // No Unicode results; the resource pass, begun after the stop, runs whole.
  EXPECT_TRUE(Results(StringKind::Unicode).empty());
  EXPECT_EQ(Text(kUnicodeCountControl), QStringLiteral("UN: 0"));
  EXPECT_EQ(Text(kResourceCountControl), QStringLiteral("RS: 2"));
  EXPECT_EQ(Results(StringKind::Resource).size(), 2u);
  // The views are filled as after a whole scan; the report says the scan
  // was stopped, and its tip why there are no Unicode strings.
  EXPECT_EQ(Search().Model().rowCount(), static_cast<int>(engine_.store.Count()));
  EXPECT_TRUE(Text(kReportText).startsWith(QStringLiteral("Stopped.  Time taken : ")))
      << Text(kReportText).toStdString();
  const QString tip = Search().Control(kReportText)->toolTip();
  EXPECT_TRUE(tip.contains(QStringLiteral("stopped"))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("Unicode strings of an unfinished scan are not kept")))
      << tip.toStdString();
  // Each count is the number of rows of its kind the list keeps.
  EXPECT_EQ(Text(kAnsiCountControl),
            QStringLiteral("AN: %1").arg(Results(StringKind::Ansi).size()));
  EXPECT_EQ(Text(kUnicodeCountControl),
            QStringLiteral("UN: %1").arg(Results(StringKind::Unicode).size()));
  EXPECT_EQ(Text(kResourceCountControl),
            QStringLiteral("RS: %1").arg(Results(StringKind::Resource).size()));
  EXPECT_EQ(GoButton().text(), QStringLiteral("&Go"));

  // The next Go clears the request and scans the whole file again, and the
  // report no longer says stopped.
  Search().SetPumpHook({});
  ScanFile(path);
  EXPECT_FALSE(Search().StopRequested());
  EXPECT_EQ(Search().LastReport().ansiCount, fullAnsi);
  EXPECT_TRUE(Text(kReportText).startsWith(QStringLiteral("Time taken : ")));
  EXPECT_FALSE(Search().Control(kReportText)->toolTip().contains(QStringLiteral("stopped")));
}

// The resource pass pumps too: the window goes on painting and Stop ends
// the pass where it stands, keeping the resource rows found so far.
TEST_F(GoCommand, StopDuringTheResourcePassKeepsWhatItFound) {
  ResourceTree tree;
  for (std::uint16_t block = 1; block <= 3000; ++block) {
    tree.AddStrings(block, {u"resource text"});
  }
  PeBuilder pe;
  pe.AddSection(".text", 0x1000, Bytes(0x200, 0));
  pe.AddSection(".rsrc", 0x2000, tree.Build(0x2000).bytes);
  const Bytes image = pe.Build();
  const std::string path = dir_.Write("many.exe", std::string(image.begin(), image.end()));
  int pumps = 0;
  Search().SetPumpHook([&] { ++pumps; });
  ScanFile(path);
  ASSERT_EQ(Results(StringKind::Resource).size(), 3000u);
  // The byte passes share one read and pump once per 16 KiB block.
  const int bytePumps = static_cast<int>((image.size() + 16383) / 16384);
  const int resourcePumps = pumps - bytePumps;
  ASSERT_GE(resourcePumps, 4);

  // Stop three quarters into the resource pass: past the section's read,
  // inside its walk.
  pumps = 0;
  Search().SetPumpHook([&] {
    if (++pumps == bytePumps + resourcePumps * 3 / 4) {
      GoButton().click();
    }
  });
  ScanFile(path);
  Search().SetPumpHook({});
  EXPECT_TRUE(Search().StopRequested());
  EXPECT_EQ(pumps, bytePumps + resourcePumps * 3 / 4);
  const std::size_t kept = Results(StringKind::Resource).size();
  EXPECT_GT(kept, 0u);
  EXPECT_LT(kept, 3000u);
  EXPECT_EQ(Text(kResourceCountControl), QStringLiteral("RS: %1").arg(kept));
  EXPECT_TRUE(Text(kReportText).startsWith(QStringLiteral("Stopped.  Time taken : ")));
  EXPECT_TRUE(Search()
                  .Control(kReportText)
                  ->toolTip()
                  .contains(QStringLiteral("resource strings found before the stop")));
  EXPECT_EQ(Search().Model().rowCount(), static_cast<int>(engine_.store.Count()));
  EXPECT_EQ(GoButton().text(), QStringLiteral("&Go"));
}

TEST_F(GoCommand, ALongScanShowsItsProgress) {
  const std::string path = dir_.Write("big.exe", PeImage() + LongLines(3 << 20));
  ScanFile(path);
  const QString ansi = Text(kAnsiCountControl);
  const QString unicode = Text(kUnicodeCountControl);
  ASSERT_GT(Search().LastReport().ansiCount, 3000u);
  // A short scan shows no percent and no counts on the way.
  std::vector<QString> statuses;
  Search().SetPumpHook([&] { statuses.push_back(Text(kStatusText)); });
  ScanFile(path);
  EXPECT_TRUE(std::all_of(statuses.begin(), statuses.end(),
                          [](const QString& s) { return s == QStringLiteral("Scanning..."); }));

  // Held up past half a second at its 150th block of about 190, the scan
  // shows how far it is, on one thread and on two (whose workers have had the
  // first two reads of 1 MiB by then); the final counts are as always.
  for (const BytePassMode mode : {BytePassMode::Fused, BytePassMode::Threaded}) {
    ScanOptions options;
    options.mode = mode;
    Search().SetScanOptions(options);
    statuses.clear();
    std::vector<QString> counts;
    std::vector<QString> cutOff;  // status texts wider than their cell
    int pumps = 0;
    Search().SetPumpHook([&] {
      if (++pumps == 150) {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
      }
      statuses.push_back(Text(kStatusText));
      counts.push_back(Text(kAnsiCountControl));
      const auto* status = qobject_cast<const QLabel*>(Search().Control(kStatusText));
      if (QFontMetrics(status->font()).horizontalAdvance(status->text()) >
          status->contentsRect().width()) {
        cutOff.push_back(status->text());
      }
    });
    ScanFile(path);
    const QRegularExpression percent(QStringLiteral("^Scanning\\.\\.\\. ([0-9]+)%$"));
    const auto shown = std::find_if(statuses.begin(), statuses.end(),
                                    [&](const QString& s) { return percent.match(s).hasMatch(); });
    ASSERT_NE(shown, statuses.end());
    const int value = percent.match(*shown).captured(1).toInt();
    EXPECT_GE(value, 0);
    EXPECT_LT(value, 100);
    EXPECT_NE(
        std::find_if(counts.begin(), counts.end(),
                     [&](const QString& c) { return c != QStringLiteral("AN: 0") && c != ansi; }),
        counts.end());
    EXPECT_EQ(Text(kAnsiCountControl), ansi);
    EXPECT_EQ(Text(kUnicodeCountControl), unicode);
    EXPECT_EQ(Text(kStatusText), QStringLiteral("Ready"));
    // The percent is shown whole, in a narrower font where the cell needs
    // it; "Ready" is back in the page's own.
    EXPECT_TRUE(cutOff.empty()) << cutOff.front().toStdString();
    EXPECT_EQ(Search().Control(kStatusText)->font(), Search().font());
  }
  Search().SetScanOptions({});
}

TEST_F(GoCommand, ASecondScanReplacesTheFirst) {
  ScanFile(dir_.Write("a.bin", std::string("alpha string one\nalpha string two\n")));
  ASSERT_EQ(Results(StringKind::Ansi).size(), 2u);
  ScanFile(dir_.Write("b.bin", std::string("bravo string\n")));
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"bravo string"});
  EXPECT_EQ(Search().Model().rowCount(), 1);
  EXPECT_EQ(Search().Normal()->Text(), "bravo string ");
  EXPECT_EQ(Text(kAnsiCountControl), QStringLiteral("AN: 1"));
}

TEST_F(GoCommand, ResultsTheStoreCouldNotKeepAreReported) {
  std::string text;
  for (int i = 0; i < 10; ++i) {
    text += "result string " + std::to_string(10 + i) + "\n";
  }
  engine_.store.Pool().SetLimits(0, 3);
  ScanFile(dir_.Write("many.bin", text));
  EXPECT_EQ(engine_.store.Count(), 3u);
  EXPECT_EQ(Search().Model().rowCount(), 3);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  const FakeDialogService::Box& box = dialogs_.boxes[0];
  EXPECT_EQ(box.style, MB_ICONWARNING);
  EXPECT_EQ(box.title, "Quillex " QUILLEX_VERSION);
  EXPECT_EQ(box.owner, static_cast<void*>(window_.get()));
  EXPECT_NE(box.text.find("after 3 results"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find("7 more strings"), std::string::npos) << box.text;

  // A scan that keeps everything says nothing.
  engine_.store.Pool().SetLimits(0, 0);
  dialogs_.boxes.clear();
  ScanFile(dir_.Write("many.bin", text));
  EXPECT_EQ(engine_.store.Count(), 10u);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(GoCommand, DamagedResourcesWarnOnTopWithoutOwner) {
  ScanFile(dir_.Write("damaged.exe", PeImage(true)));
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].owner, nullptr);
  EXPECT_EQ(dialogs_.boxes[0].style, MB_ICONWARNING | MB_TOPMOST);
  EXPECT_EQ(dialogs_.boxes[0].title, "Quillex " QUILLEX_VERSION);
  EXPECT_EQ(dialogs_.boxes[0].text, kDamagedResourceText);
  // The other passes' results are all there.
  EXPECT_EQ(Results(StringKind::Unicode),
            (std::vector<std::string>{"Wide string here", "Resource two"}));
}

TEST_F(GoCommand, NormalViewScanFillsTheListToo) {
  Search().SetChecked(kAdvancedViewBox, false);
  ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  EXPECT_TRUE(Search().List()->isHidden());
  EXPECT_FALSE(Search().Normal()->isHidden());
  ScanFile(dir_.Write("n.bin", std::string("first string\nsecond string\n")));
  EXPECT_TRUE(Search().List()->isHidden());
  EXPECT_EQ(Search().Normal()->Text(), "first string second string ");
  EXPECT_EQ(Search().Model().rowCount(), 2);
  Search().SetChecked(kAdvancedViewBox, true);
  ASSERT_TRUE(Search().Command(kAdvancedViewBox));
  EXPECT_FALSE(Search().List()->isHidden());
  EXPECT_TRUE(Search().Normal()->isHidden());
}

TEST_F(GoCommand, ClosingDuringAScanEndsTheScanThenTheProgram) {
  const std::string path = dir_.Write("big.exe", PeImage() + LongLines(1 << 20));
  window_->show();
  int quitsDuringScan = -1;
  bool pendingDuringScan = false;
  Search().SetPumpHook([&] {
    if (quitsDuringScan < 0) {
      window_->close();
      quitsDuringScan = quits_;
      pendingDuringScan = window_->QuitPending();
    }
  });
  ScanFile(path);
  EXPECT_EQ(quitsDuringScan, 0);
  EXPECT_TRUE(pendingDuringScan);
  EXPECT_TRUE(Search().StopRequested());
  EXPECT_TRUE(Results(StringKind::Unicode).empty());
  EXPECT_EQ(quits_, 1);
  EXPECT_FALSE(window_->QuitPending());
  EXPECT_FALSE(window_->isVisible());

  // Closing while idle ends the program at once.
  Search().SetPumpHook({});
  window_->show();
  window_->close();
  EXPECT_EQ(quits_, 2);
}

TEST_F(GoCommand, ALongPathIsScannedWhole) {
  // A path of exactly 4000 bytes, far past the 259 characters a fixed file
  // name buffer would keep.
  std::filesystem::path deep = dir_.Path();
  while (deep.string().size() < 3700) {
    deep /= std::string(200, 'd');
  }
  std::filesystem::create_directories(deep);
  const std::size_t nameLength = 4000 - deep.string().size() - 1;
  ASSERT_LE(nameLength, 255u);
  const std::string path = (deep / std::string(nameLength, 'f')).string();
  ASSERT_EQ(path.size(), 4000u);
  {
    std::ofstream out(path, std::ios::binary);
    out << "found at the end of a long path\n";
  }
  window_->OpenPath("\"" + path + "\"");
  EXPECT_EQ(Search().FileName(), path);
  EXPECT_EQ(Text(kFileNameEdit).toStdString(), path);
  RunPostedEvents();
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(window_->windowTitle().toStdString(), std::string(nameLength, 'f') + " \u2014 Quillex");
  EXPECT_EQ(Search().Control(kFileNameEdit)->toolTip().toStdString(), path);
  EXPECT_EQ(Results(StringKind::Ansi), std::vector<std::string>{"found at the end of a long path"});
}

}  // namespace
}  // namespace quillex::testing
