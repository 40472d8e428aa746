#include "views/gui/BytesPane.h"

// Standard library
#include <algorithm>

// Qt
#include <QEvent>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>

// Ours
#include "views/BytesAround.h"

namespace quillex {

namespace {

// The hex text of a short last row is padded so that its characters still
// start in their column.
QString RowLine(const ByteRow& row) {
  QString line = QString::fromLatin1(row.offsetText);
  line += QLatin1String("  ");
  line += QString::fromLatin1(row.hexText)
              .leftJustified(BytesPane::kCharColumn - BytesPane::kHexColumn);
  line += QString::fromStdU16String(row.charText);
  return line;
}

}  // namespace

BytesPane::BytesPane(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("bytesPane"));
  setAccessibleName(QStringLiteral("Bytes around the string"));
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void BytesPane::ShowMessage(const QString& text) {
  spans_.clear();
  setPlainText(text);
  ApplyHighlight();
}

void BytesPane::ShowBytes(const BytesAround& around) {
  if (around.rows.empty()) {
    ShowMessage(QString::fromStdString(around.message));
    return;
  }
  spans_.clear();
  QString text;
  int firstStringLine = -1;
  int lineStart = 0;
  for (std::size_t k = 0; k < around.rows.size(); ++k) {
    const ByteRow& row = around.rows[k];
    const QString line = RowLine(row);
    if (k != 0) {
      text += QLatin1Char('\n');
      ++lineStart;
    }
    if (row.highlightFirst < row.highlightEnd) {
      const int first = static_cast<int>(row.highlightFirst);
      const int end = static_cast<int>(row.highlightEnd);
      // The hex digits from the first byte's to the last byte's, and the
      // characters of the same bytes.
      spans_.push_back({lineStart + kHexColumn + 3 * first, lineStart + kHexColumn + 3 * end - 1});
      spans_.push_back({lineStart + kCharColumn + first, lineStart + kCharColumn + end});
      if (firstStringLine < 0) {
        firstStringLine = static_cast<int>(k);
      }
    }
    text += line;
    lineStart += static_cast<int>(line.size());
  }
  setPlainText(text);
  ApplyHighlight();
  ShowLine(std::max(firstStringLine, 0), static_cast<int>(BytesAroundOptions{}.rowsBefore));
}

int BytesPane::PreferredHeight() const {
  const BytesAroundOptions rows;
  const auto lines = static_cast<int>(rows.rowsBefore + 2 + rows.rowsAfter);
  const int margins = 2 * (frameWidth() + static_cast<int>(document()->documentMargin()));
  int height = lines * fontMetrics().lineSpacing() + margins;
  const int lineWidth = fontMetrics().horizontalAdvance(QString(kLineLength, QLatin1Char('0')));
  if (lineWidth + margins > width()) {
    height += horizontalScrollBar()->sizeHint().height();
  }
  return height;
}

void BytesPane::ShowLine(int line, int before) {
  const int shown = std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
  verticalScrollBar()->setValue(std::max(0, line - std::min(before, (shown - 1) / 2)));
}

void BytesPane::ApplyHighlight() {
  // The active group's colours: the highlight stays the same whether or not
  // the pane has the focus.
  const QColor background = palette().color(QPalette::Active, QPalette::Highlight);
  const QColor foreground = palette().color(QPalette::Active, QPalette::HighlightedText);
  QList<QTextEdit::ExtraSelection> selections;
  for (const Span& span : spans_) {
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(document());
    selection.cursor.setPosition(span.start);
    selection.cursor.setPosition(span.end, QTextCursor::KeepAnchor);
    selection.format.setBackground(background);
    selection.format.setForeground(foreground);
    selections.append(selection);
  }
  setExtraSelections(selections);
}

void BytesPane::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
    ApplyHighlight();
  }
  // A new theme brings its own fixed-pitch font; any other would break the
  // columns.
  if (event->type() == QEvent::ApplicationFontChange || event->type() == QEvent::ThemeChange) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  }
}

}  // namespace quillex
