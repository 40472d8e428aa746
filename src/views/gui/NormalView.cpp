#include "views/gui/NormalView.h"

// Standard library
#include <algorithm>
#include <array>
#include <climits>
#include <optional>

// Qt
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

// Ours
#include "platform/Cp1252.h"
#include "views/TextSearch.h"
#include "views/TextWrap.h"
#include "views/gui/BackgroundTasks.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/ViewPalette.h"

namespace quillex {

namespace {

constexpr int kMinColumns = 8;

// Characters as drawn: Windows-1252, with control characters shown as spaces
// so that every byte takes exactly one column of the fixed-pitch font.
std::array<char16_t, 256> BuildGlyphs() {
  std::array<char16_t, 256> glyphs{};
  for (unsigned b = 0; b < 256; ++b) {
    const char16_t unicode = Cp1252ToUnicode(static_cast<std::uint8_t>(b));
    glyphs[b] = (unicode < 0x20 || (unicode >= 0x7F && unicode < 0xA0)) ? u' ' : unicode;
  }
  return glyphs;
}

// Words for a double click: runs of bytes other than spaces, tabs, line
// breaks and the NULs that end the pool's texts.
inline bool IsWordByte(char c) {
  return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0';
}

// The shown text of a range: NULs (the ends of the pool's texts) as spaces.
std::string ShownBytes(std::string_view bytes) {
  std::string shown(bytes);
  std::replace(shown.begin(), shown.end(), '\0', ' ');
  return shown;
}

}  // namespace

NormalView::NormalView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("normalView"));
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);

  // The colours are ViewPalette's, taken as the view paints. The font is
  // always the system's fixed-pitch one: the wrapping counts characters.
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  UpdateMetrics();
  Relayout();
}

void NormalView::SetTasks(BackgroundTasks* tasks, std::size_t fromBytes) {
  tasks_ = tasks;
  backgroundFrom_ = fromBytes;
}

void NormalView::SetText(std::string text) {
  owned_ = std::move(text);
  Show(owned_);
}

void NormalView::SetBytes(std::string_view bytes) {
  owned_ = {};
  Show(bytes);
}

std::string NormalView::Text() const {
  return ShownBytes(text_);
}

void NormalView::Show(std::string_view bytes) {
  text_ = bytes;
  anchor_ = 0;
  caret_ = 0;
  selecting_ = false;
  // The old lines belong to the old text: until the new text's layout is
  // made, it is one line from the top.
  lineStarts_ = {0};
  UpdateScrollBar();
  verticalScrollBar()->setValue(0);
  if (isVisible()) {
    Relayout();
  } else {
    layoutDirty_ = true;
  }
  viewport()->update();
  emit caretMoved();
}

void NormalView::Clear() {
  SetText({});
}

TextRange NormalView::Selection() const {
  return {std::min(anchor_, caret_), std::max(anchor_, caret_)};
}

void NormalView::SetSelection(std::size_t start, std::size_t end) {
  anchor_ = std::min(start, text_.size());
  caret_ = std::min(end, text_.size());
  viewport()->update();
  emit caretMoved();
}

QString NormalView::SelectedText() const {
  const TextRange range = Selection();
  return BytesToQString(ShownBytes(text_.substr(range.start, range.end - range.start)));
}

void NormalView::Copy() const {
  const TextRange range = Selection();
  if (range.start == range.end) {
    return;
  }
  if (tasks_ == nullptr || range.end - range.start < backgroundFrom_) {
    QGuiApplication::clipboard()->setText(SelectedText());
    return;
  }
  // A long selection is decoded beside the window, a megabyte at a time;
  // the bytes stay until the next scan, which waits for a Copy.
  tasks_->Run(
      TaskKind::Copy,
      [bytes = text_.substr(range.start, range.end - range.start)](
          const CancelFlag& cancel) -> std::optional<QString> {
        QString text;
        for (std::size_t first = 0; first < bytes.size(); first += kBytesBetweenCancelChecks) {
          if (IsCancelled(&cancel)) {
            return std::nullopt;
          }
          text += BytesToQString(ShownBytes(bytes.substr(first, kBytesBetweenCancelChecks)));
        }
        return text;
      },
      [](const std::optional<QString>& text) {
        if (text) {
          QGuiApplication::clipboard()->setText(*text);
        }
      });
}

std::size_t NormalView::LineFromChar(std::size_t pos) const {
  EnsureLayout();
  const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos);
  return static_cast<std::size_t>(after - lineStarts_.begin()) - 1;
}

std::size_t NormalView::LineCount() const {
  EnsureLayout();
  return lineStarts_.size();
}

std::size_t NormalView::LineStart(std::size_t line) const {
  EnsureLayout();
  return line < lineStarts_.size() ? lineStarts_[line] : text_.size();
}

std::size_t NormalView::NextLineStart(std::size_t line) const {
  return LineStart(line + 1);
}

std::size_t NormalView::LineEnd(std::size_t line) const {
  const std::size_t start = LineStart(line);
  std::size_t end = NextLineStart(line);
  // A display line holds at most one break, at its end: CR LF, LF or CR.
  if (end > start && text_[end - 1] == '\n') {
    --end;
  }
  if (end > start && text_[end - 1] == '\r') {
    --end;
  }
  return end;
}

std::optional<TextRange> NormalView::FindText(std::string_view pattern, std::size_t from) const {
  const std::optional<std::size_t> found = FindIgnoringCase(text_, pattern, from);
  if (!found) {
    return std::nullopt;
  }
  return TextRange{*found, *found + pattern.size()};
}

void NormalView::ScrollLines(int lines) {
  EnsureLayout();
  QScrollBar* bar = verticalScrollBar();
  const long long target = static_cast<long long>(bar->value()) + lines;
  bar->setValue(static_cast<int>(std::clamp<long long>(target, bar->minimum(), bar->maximum())));
}

std::size_t NormalView::FirstVisibleLine() const {
  EnsureLayout();
  return static_cast<std::size_t>(std::max(verticalScrollBar()->value(), 0));
}

int NormalView::LinesPerPage() const {
  return std::max(1, (viewport()->height() - margin_) / lineHeight_);
}

void NormalView::UpdateMetrics() {
  const QFontMetrics metrics(font());
  // The fractional advance: text is drawn at it, and a whole-pixel width
  // would let the selection drift off its characters along a long line.
  charWidth_ = std::max(1.0, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('x')));
  lineHeight_ = std::max(1, metrics.lineSpacing());
  ascent_ = metrics.ascent();
}

int NormalView::ColumnsForWidth(int width) const {
  // A floor on the line length: a view squeezed to a sliver would otherwise
  // hold one line start per byte, hundreds of megabytes for a large text.
  return std::max(kMinColumns, static_cast<int>((width - 2 * margin_) / charWidth_));
}

void NormalView::EnsureLayout() const {
  if (layoutDirty_) {
    Relayout();
  }
}

void NormalView::Relayout() const {
  layoutDirty_ = false;
  const int columns = ColumnsForWidth(viewport()->width());
  requestedColumns_ = columns;
  if (tasks_ == nullptr || text_.size() < backgroundFrom_) {
    TakeLayout(WrapLines(text_, static_cast<std::size_t>(columns)), columns);
    return;
  }
  auto* view = const_cast<NormalView*>(this);
  tasks_->Run(
      TaskKind::Layout,
      [text = text_, columns](const CancelFlag& cancel) {
        return WrapLines(text, static_cast<std::size_t>(columns), &cancel);
      },
      [view, text = text_, columns](std::vector<std::size_t> starts) {
        // A layout made for a text the view no longer shows is dropped.
        if (view->text_.data() == text.data() && view->text_.size() == text.size()) {
          view->TakeLayout(std::move(starts), columns);
        }
      });
}

void NormalView::TakeLayout(std::vector<std::size_t> starts, int columns) const {
  const std::size_t topChar = LineStart(FirstVisibleLine());
  lineStarts_ = std::move(starts);
  columns_ = columns;
  UpdateScrollBar();
  verticalScrollBar()->setValue(
      static_cast<int>(std::min<std::size_t>(LineFromChar(topChar), INT_MAX)));
  viewport()->update();
}

void NormalView::UpdateScrollBar() const {
  const std::size_t lines = lineStarts_.size();
  const std::size_t page = static_cast<std::size_t>(LinesPerPage());
  const std::size_t maximum = lines > page ? lines - page : 0;
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, static_cast<int>(std::min<std::size_t>(maximum, INT_MAX)));
  bar->setPageStep(static_cast<int>(page));
  bar->setSingleStep(1);
  bar->setEnabled(maximum > 0);
}

std::size_t NormalView::PositionAt(const QPoint& viewportPos) const {
  const long long row = (viewportPos.y() - margin_) >= 0
                            ? (viewportPos.y() - margin_) / lineHeight_
                            : -1 - (margin_ - viewportPos.y() - 1) / lineHeight_;
  const long long lineValue = static_cast<long long>(FirstVisibleLine()) + row;
  if (lineValue < 0) {
    return 0;
  }
  const std::size_t line = static_cast<std::size_t>(lineValue);
  if (line >= lineStarts_.size()) {
    return text_.size();
  }
  // A click in the right half of a character puts the boundary after it.
  const double wanted = static_cast<double>(viewportPos.x() - margin_) / charWidth_;
  std::size_t column = 0;
  const std::size_t end = LineEnd(line);
  for (std::size_t pos = LineStart(line); pos < end; ++pos) {
    const std::size_t width = CharColumns(text_[pos], column);
    if (wanted < static_cast<double>(column) + static_cast<double>(width) / 2.0) {
      return pos;
    }
    column += width;
  }
  return end;
}

// One display line as it is painted: its characters (tabs as spaces) and the
// columns where the selection starts and ends on it.
struct NormalView::PaintedLine {
  QString text;
  std::size_t selStartColumn = 0;
  std::size_t selEndColumn = 0;
};

void NormalView::DecodeLine(std::size_t l, const TextRange& selection, std::size_t maxColumns,
                            PaintedLine& painted) const {
  static const std::array<char16_t, 256> glyphs = BuildGlyphs();
  const std::size_t end = LineEnd(l);
  painted.text.resize(0);  // keeps its capacity
  painted.selStartColumn = 0;
  painted.selEndColumn = 0;
  std::size_t column = 0;
  std::size_t pos = LineStart(l);
  for (; pos < end && column < maxColumns; ++pos) {
    if (pos == selection.start) {
      painted.selStartColumn = column;
    }
    if (pos == selection.end) {
      painted.selEndColumn = column;
    }
    const char c = text_[pos];
    if (c == '\t') {
      const std::size_t width = CharColumns(c, column);
      painted.text.resize(painted.text.size() + static_cast<qsizetype>(width), QLatin1Char(' '));
      column += width;
    } else {
      painted.text.append(QChar(glyphs[static_cast<unsigned char>(c)]));
      ++column;
    }
  }
  if (selection.start >= pos) {
    painted.selStartColumn = column;
  }
  if (selection.end >= pos) {
    painted.selEndColumn = column;
  }
}

QRectF NormalView::SelectedRect(std::size_t l, const TextRange& selection,
                                const PaintedLine& painted, int y) const {
  const std::size_t start = LineStart(l);
  const std::size_t end = LineEnd(l);
  const std::size_t next = NextLineStart(l);
  if (selection.start == selection.end || selection.start >= next || selection.end <= start) {
    return {};
  }
  const std::size_t selStartColumn = selection.start < start ? 0 : painted.selStartColumn;
  const std::size_t selEndColumn = painted.selEndColumn;
  // A selected line break shows as one selected column after the text.
  const std::size_t breakColumn = (selection.end > end && next > end) ? 1 : 0;
  const std::size_t width = selEndColumn - std::min(selStartColumn, selEndColumn) + breakColumn;
  return {margin_ + static_cast<double>(selStartColumn) * charWidth_, static_cast<double>(y),
          static_cast<double>(width) * charWidth_, static_cast<double>(lineHeight_)};
}

void NormalView::paintEvent(QPaintEvent* event) {
  EnsureLayout();
  QPainter painter(viewport());
  const QPalette colours = ViewPalette(palette());
  painter.fillRect(event->rect(), colours.color(QPalette::Base));
  painter.setFont(font());

  const TextRange selection = Selection();
  const std::size_t first = FirstVisibleLine();
  const std::size_t rows = static_cast<std::size_t>(viewport()->height() / lineHeight_ + 2);
  const std::size_t last = std::min(lineStarts_.size(), first + rows);
  // Characters past the right edge are never seen; whitespace that hangs
  // there is not decoded.
  const std::size_t maxColumns = static_cast<std::size_t>(columns_) + 2;
  const QColor textColour = colours.color(QPalette::Text);
  const QColor selectedColour = colours.color(QPalette::HighlightedText);
  const QColor highlight = colours.color(QPalette::Highlight);

  // One buffer for every line of the page.
  PaintedLine painted;
  painted.text.reserve(static_cast<qsizetype>(maxColumns + kTabColumns));
  for (std::size_t l = first; l < last; ++l) {
    const int y = margin_ + static_cast<int>(l - first) * lineHeight_;
    DecodeLine(l, selection, maxColumns, painted);
    const QRectF selected = SelectedRect(l, selection, painted, y);
    if (!selected.isNull()) {
      painter.fillRect(selected, highlight);
    }
    painter.setPen(textColour);
    painter.drawText(margin_, y + ascent_, painted.text);
    if (!selected.isEmpty()) {
      painter.save();
      painter.setClipRect(selected);
      painter.setPen(selectedColour);
      painter.drawText(margin_, y + ascent_, painted.text);
      painter.restore();
    }
  }
}

void NormalView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (!isVisible()) {
    layoutDirty_ = true;
    return;
  }
  if (layoutDirty_) {
    Relayout();
    return;
  }
  if (ColumnsForWidth(viewport()->width()) != requestedColumns_) {
    Relayout();
  } else {
    UpdateScrollBar();
  }
}

void NormalView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  // A new theme or application font brings its own fixed-pitch font; any
  // other font would break the wrapping.
  if (event->type() == QEvent::ApplicationFontChange || event->type() == QEvent::ThemeChange) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  }
  if (event->type() == QEvent::FontChange) {
    UpdateMetrics();
    layoutDirty_ = true;
    viewport()->update();
  }
}

void NormalView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  EnsureLayout();
}

void NormalView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const std::size_t pos = PositionAt(event->position().toPoint());
  if (!(event->modifiers() & Qt::ShiftModifier)) {
    anchor_ = pos;
  }
  caret_ = pos;
  selecting_ = true;
  viewport()->update();
  emit caretMoved();
}

void NormalView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_ || !(event->buttons() & Qt::LeftButton)) {
    return;
  }
  const QPoint point = event->position().toPoint();
  // Dragging past the top or bottom edge scrolls the text along.
  if (point.y() < 0) {
    ScrollLines(-1);
  } else if (point.y() >= viewport()->height()) {
    ScrollLines(1);
  }
  caret_ = PositionAt(point);
  viewport()->update();
  emit caretMoved();
}

void NormalView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    selecting_ = false;
  }
}

void NormalView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    return;
  }
  // Selects the word under the pointer: the run of bytes that are not
  // spaces, tabs or line breaks.
  std::size_t pos = PositionAt(event->position().toPoint());
  if (pos < text_.size() && !IsWordByte(text_[pos]) && pos > 0 && IsWordByte(text_[pos - 1])) {
    --pos;
  }
  std::size_t start = pos;
  std::size_t end = pos;
  while (start > 0 && IsWordByte(text_[start - 1])) {
    --start;
  }
  while (end < text_.size() && IsWordByte(text_[end])) {
    ++end;
  }
  SetSelection(start, end);
  selecting_ = false;
}

void NormalView::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) {
    Copy();
    return;
  }
  if (event == QKeySequence::SelectAll) {
    SetSelection(0, text_.size());
    return;
  }
  switch (event->key()) {
    case Qt::Key_Up:
      ScrollLines(-1);
      return;
    case Qt::Key_Down:
      ScrollLines(1);
      return;
    case Qt::Key_PageUp:
      ScrollLines(-LinesPerPage());
      return;
    case Qt::Key_PageDown:
      ScrollLines(LinesPerPage());
      return;
    case Qt::Key_Home:
      verticalScrollBar()->setValue(0);
      return;
    case Qt::Key_End:
      verticalScrollBar()->setValue(verticalScrollBar()->maximum());
      return;
    default:
      QAbstractScrollArea::keyPressEvent(event);
  }
}

void NormalView::scrollContentsBy(int /*dx*/, int /*dy*/) {
  viewport()->update();
}

}  // namespace quillex
