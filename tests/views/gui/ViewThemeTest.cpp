// Standard library
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

// Qt
#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/BytesAround.h"
#include "views/gui/BytesPane.h"
#include "views/gui/KindIcons.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/TagTint.h"
#include "views/gui/ViewSwitch.h"

namespace quillex {
namespace {

// The dark scheme a user gets from Fusion with a dark palette.
QPalette DarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(53, 53, 53));
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Base, QColor(35, 35, 35));
  dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::Button, QColor(53, 53, 53));
  dark.setColor(QPalette::ButtonText, Qt::white);
  dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
  dark.setColor(QPalette::HighlightedText, Qt::black);
  return dark;
}

// Switches the application to dark Fusion and back.
class DarkTheme : public ::testing::Test {
 protected:
  DarkTheme() : style_(QApplication::style()->name()), palette_(QApplication::palette()) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(DarkPalette());
  }
  ~DarkTheme() override {
    QApplication::setPalette(palette_);
    QApplication::setStyle(QStyleFactory::create(style_));
  }

  static QColor PixelAt(QWidget& widget, const QPoint& point) {
    return widget.grab().toImage().pixelColor(point);
  }

 private:
  QString style_;
  QPalette palette_;
};

TEST_F(DarkTheme, TheListTakesItsColoursFromThePalette) {
  ResultStore store;
  SectionMap map;
  for (std::uint32_t i = 0; i < 4; ++i) {
    ASSERT_TRUE(
        store.AddResult(i * 16, 0, 0, ("dark row " + std::to_string(i)).c_str(), StringKind::Ansi));
  }
  ResultListModel model(store, map);
  ResultList list(model);
  model.Fill();
  list.resize(500, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  list.SetRowSelected(1);

  const QPalette dark = DarkPalette();
  QWidget& viewport = *list.viewport();
  // Below the rows: the list's background.
  EXPECT_EQ(PixelAt(viewport, QPoint(viewport.width() / 2, viewport.height() - 3)),
            dark.color(QPalette::Base));
  // The selected row, without focus too, in the palette's highlight.
  list.clearFocus();
  const QRect selected = list.visualRect(model.index(1, 3));
  EXPECT_EQ(PixelAt(viewport, QPoint(viewport.width() - 3, selected.center().y())),
            dark.color(QPalette::Highlight));
  // The kind letters stand on the dark background.
  const QImage icon = model.index(0, 0)
                          .data(Qt::DecorationRole)
                          .value<QIcon>()
                          .pixmap(12, 12)
                          .toImage()
                          .convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(icon.pixelColor(0, 0), dark.color(QPalette::Base));
  EXPECT_EQ(icon, KindIcons::For(dark.color(QPalette::Base)).Image(0));
}

TEST_F(DarkTheme, TheRunningTextIsDarkAndKeepsItsFixedPitchFont) {
  NormalView view;
  view.SetText(std::string(200, 'W'));
  view.resize(400, 200);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QWidget& viewport = *view.viewport();
  const QPalette dark = DarkPalette();
  EXPECT_EQ(PixelAt(viewport, QPoint(viewport.width() / 2, viewport.height() - 3)),
            dark.color(QPalette::Base));
  // Some of the text's pixels are the palette's light text colour.
  const QImage image = viewport.grab().toImage();
  int textPixels = 0;
  for (int x = 0; x < viewport.width(); ++x) {
    for (int y = 0; y < 20; ++y) {
      textPixels += image.pixelColor(x, y) == dark.color(QPalette::Text) ? 1 : 0;
    }
  }
  EXPECT_GT(textPixels, 20);
  // Selected blanks, without focus too, show the palette's highlight.
  view.SetText("ab" + std::string(40, ' '));
  view.SetSelection(5, 15);
  view.clearFocus();
  const double column = QFontMetricsF(view.font()).horizontalAdvance(QLatin1Char('x'));
  EXPECT_EQ(PixelAt(viewport, QPoint(2 + static_cast<int>(10.5 * column), 6)),
            dark.color(QPalette::Highlight));

  EXPECT_TRUE(QFontInfo(view.font()).fixedPitch());
  // A new application font leaves the running text in a fixed-pitch one.
  const QFont before = QApplication::font();
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
  EXPECT_TRUE(QFontInfo(view.font()).fixedPitch());
  QApplication::setFont(before);
  EXPECT_TRUE(QFontInfo(view.font()).fixedPitch());
}

// The pane of bytes: the palette's background, and the string's bytes in the
// palette's highlight whether or not the pane has the focus.
TEST_F(DarkTheme, ThePaneOfBytesHighlightsInThePalettesColours) {
  BytesAround around;
  for (std::uint64_t offset : {0x40u, 0x50u}) {
    ByteRow row;
    row.offset = offset;
    row.offsetText = offset == 0x40 ? "000000000040" : "000000000050";
    row.count = 16;
    row.hexText = "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50";
    row.charText = u"ABCDEFGHIJKLMNOP";
    if (offset == 0x40) {
      row.highlightFirst = 4;
      row.highlightEnd = 16;
    } else {
      row.highlightEnd = 2;
    }
    around.rows.push_back(row);
  }
  BytesPane pane;
  pane.resize(700, 200);
  pane.ShowBytes(around);
  pane.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
  pane.clearFocus();
  EXPECT_TRUE(QFontInfo(pane.font()).fixedPitch());

  const QPalette dark = DarkPalette();
  QWidget& viewport = *pane.viewport();
  EXPECT_EQ(PixelAt(viewport, QPoint(viewport.width() - 5, viewport.height() - 5)),
            dark.color(QPalette::Base));
  // The blank between the hex pairs of the 5th and 6th bytes is highlighted,
  // the one between the 1st and 2nd is not.
  const auto blankAt = [&](int column) {
    QTextCursor cursor(pane.document());
    cursor.setPosition(column);
    const QRect rect = pane.cursorRect(cursor);
    const int width = QFontMetrics(pane.font()).horizontalAdvance(QLatin1Char(' '));
    return PixelAt(viewport, QPoint(rect.x() + width / 2, rect.center().y()));
  };
  EXPECT_EQ(blankAt(BytesPane::kHexColumn + 3 * 4 + 2), dark.color(QPalette::Highlight));
  EXPECT_EQ(blankAt(BytesPane::kHexColumn + 2), dark.color(QPalette::Base));
  // A highlighted run's characters are the string's bytes, the hex and the
  // characters of each line.
  QStringList runs;
  for (const QTextEdit::ExtraSelection& selection : pane.extraSelections()) {
    runs << selection.cursor.selectedText();
    EXPECT_EQ(selection.format.background().color(), dark.color(QPalette::Highlight));
    EXPECT_EQ(selection.format.foreground().color(), dark.color(QPalette::HighlightedText));
  }
  EXPECT_EQ(runs,
            (QStringList{"45 46 47 48 49 4A 4B 4C 4D 4E 4F 50", "EFGHIJKLMNOP", "41 42", "AB"}));
  // A message shows instead of bytes, with nothing highlighted.
  pane.ShowMessage(QStringLiteral("Gone."));
  EXPECT_EQ(pane.toPlainText(), "Gone.");
  EXPECT_TRUE(pane.extraSelections().isEmpty());
}

// The contrast of two colours as readers of the web's accessibility
// guidelines measure it: 1 for equal colours, 21 for black on white.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto channel = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A tint is seen (it differs from the base and from the other categories'),
// stays near the base, and keeps the text as readable, in a light palette
// and a dark one alike.
TEST(TagTint, EachCategoryIsASubtleReadableTintOfTheBase) {
  const QPalette light(Qt::black, QColor(239, 239, 239), Qt::white, Qt::darkGray, Qt::gray,
                       Qt::black, Qt::white);
  for (const QPalette& palette : {light, DarkPalette()}) {
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    EXPECT_EQ(TagTint(TagCategory::None, base), base);
    std::vector<QRgb> seen;
    for (const TagCategory category : {TagCategory::Network, TagCategory::FileSystem,
                                       TagCategory::Registry, TagCategory::EncodedData}) {
      const QColor tint = TagTint(category, base);
      const int moved = std::abs(tint.red() - base.red()) + std::abs(tint.green() - base.green()) +
                        std::abs(tint.blue() - base.blue());
      EXPECT_GE(moved, 12) << base.name().toStdString() << " " << static_cast<int>(category);
      for (const int channel :
           {tint.red() - base.red(), tint.green() - base.green(), tint.blue() - base.blue()}) {
        EXPECT_LE(std::abs(channel), 40) << tint.name().toStdString();
      }
      EXPECT_GE(Contrast(text, tint), 7.0) << tint.name().toStdString();
      EXPECT_GE(Contrast(text, tint), 0.75 * Contrast(text, base)) << tint.name().toStdString();
      EXPECT_EQ(std::count(seen.begin(), seen.end(), tint.rgb()), 0);
      seen.push_back(tint.rgb());
    }
  }
}

// A tagged row is painted in its tint; selected, in the highlight like any
// other row, so that the selection reads the same everywhere.
TEST_F(DarkTheme, TaggedRowsAreTintedUnlessSelected) {
  ResultStore store;
  SectionMap map;
  for (const char* text : {"HKLM\\Software\\Run", "plain", "HKCU\\Software\\Run"}) {
    ASSERT_TRUE(store.AddResult(0, 0, 0, text, StringKind::Ansi));
  }
  const std::vector<TagSet> tags{TagBit(TagId::Registry), 0, TagBit(TagId::Registry)};
  ResultListModel model(store, map);
  ResultList list(model);
  model.Fill();
  model.SetTags(tags);
  list.resize(500, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  list.SetRowSelected(2);
  list.clearFocus();
  const QPalette dark = DarkPalette();
  QWidget& viewport = *list.viewport();
  const auto rowPixel = [&](int row) {
    // Right of the ID's one digit.
    const QRect cell = list.visualRect(model.index(row, static_cast<int>(ResultColumn::Id)));
    return PixelAt(viewport, QPoint(cell.right() - 3, cell.center().y()));
  };
  EXPECT_EQ(rowPixel(0), TagTint(TagCategory::Registry, dark.color(QPalette::Base)));
  EXPECT_EQ(rowPixel(1), dark.color(QPalette::Base));
  EXPECT_EQ(rowPixel(2), dark.color(QPalette::Highlight));
}

}  // namespace
}  // namespace quillex
