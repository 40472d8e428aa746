#pragma once

// Standard library
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Qt
#include <QAbstractScrollArea>
#include <QRectF>
#include <QString>

namespace quillex {

class BackgroundTasks;

// Texts from this size on are laid out by a background task when the view
// has tasks; shorter ones take a millisecond or two where they are.
inline constexpr std::size_t kBackgroundLayoutBytes = std::size_t{1} << 20;

// Control id of the normal view on the Search page.
inline constexpr int kNormalViewControl = 1092;

// A character range of the text, in bytes: [start, end).
struct TextRange {
  std::size_t start = 0;
  std::size_t end = 0;
  friend bool operator==(const TextRange&, const TextRange&) = default;
};

// The normal view: a read-only, word-wrapped view of the running text. The
// text is kept as bytes and shown as Windows-1252 characters. Lines break at
// CR LF, LF or CR and wrap at the viewport width. Only the visible lines are
// decoded and drawn, so a text of tens of megabytes scrolls as easily as a
// short one: the wrap positions come from one pass over the bytes with a
// fixed-pitch font, where every character has the same width.
//
// With background tasks (SetTasks), a long text is laid out on a worker:
// until the new lines arrive the view keeps showing the old ones (or, for a
// new text, its start as one line), and the first visible character stays
// on the first visible line when they do.
class NormalView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit NormalView(QWidget* parent = nullptr);

  // Lays out texts of at least `fromBytes` bytes through `tasks` (null: every
  // text at once, where it is asked for).
  void SetTasks(BackgroundTasks* tasks, std::size_t fromBytes = kBackgroundLayoutBytes);

  // Shows a copy of `text`.
  void SetText(std::string text);
  // Shows `bytes` without copying them: the caller keeps them unchanged
  // until the view is given another text. NULs show as spaces.
  void SetBytes(std::string_view bytes);
  void Clear();
  // The running text as shown (NULs as spaces); a copy.
  [[nodiscard]] std::string Text() const;
  [[nodiscard]] std::size_t TextSize() const { return text_.size(); }
  // The bytes shown, NULs as they are; valid until the view gets another text.
  [[nodiscard]] std::string_view Bytes() const { return text_; }
  // Characters per display line of the layout in use.
  [[nodiscard]] int Columns() const { return columns_; }

  // The selection, start <= end. An empty selection is the caret.
  [[nodiscard]] TextRange Selection() const;
  // The end of the selection that moves: where the caret stands.
  [[nodiscard]] std::size_t Caret() const { return caret_; }
  // Selects [start, end) (clamped to the text); scrolls nothing.
  void SetSelection(std::size_t start, std::size_t end);
  // The selected text decoded from Windows-1252.
  [[nodiscard]] QString SelectedText() const;
  // Puts the selected text on the clipboard; nothing when the selection is
  // empty. With tasks, a long selection is put there by a Copy task.
  void Copy() const;

  // The display line (after wrapping) that holds the character at `pos`.
  [[nodiscard]] std::size_t LineFromChar(std::size_t pos) const;
  [[nodiscard]] std::size_t LineCount() const;
  // The first character of a display line.
  [[nodiscard]] std::size_t LineStart(std::size_t line) const;

  // The first occurrence of `pattern` at or after `from`, ignoring case:
  // A-Z match a-z and the accented Windows-1252 letters match their other
  // case. Nothing when there is none or the pattern is empty.
  [[nodiscard]] std::optional<TextRange> FindText(std::string_view pattern, std::size_t from) const;

  // Scrolls by whole display lines (up when negative), clamped to the text.
  void ScrollLines(int lines);
  [[nodiscard]] std::size_t FirstVisibleLine() const;
  // Display lines that fit completely in the viewport (at least 1).
  [[nodiscard]] int LinesPerPage() const;

 signals:
  // The caret moved: a click, a drag, a new selection or a new text.
  void caretMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void Show(std::string_view bytes);
  void UpdateMetrics();
  // The layout waits until the view is shown or asked about its lines: a
  // hidden view may have no proper width yet, and laying out megabytes at a
  // width of a few characters would only be thrown away.
  void EnsureLayout() const;
  [[nodiscard]] int ColumnsForWidth(int width) const;
  // Lays the text out for the viewport's width: at once, or by a task.
  void Relayout() const;
  // Takes new line starts made for `columns`, keeping the first visible
  // character on the first visible line.
  void TakeLayout(std::vector<std::size_t> starts, int columns) const;
  void UpdateScrollBar() const;
  // End of a display line's characters, before its line break if any.
  [[nodiscard]] std::size_t LineEnd(std::size_t line) const;
  // Start of the next display line, or the text's end for the last one.
  [[nodiscard]] std::size_t NextLineStart(std::size_t line) const;
  [[nodiscard]] std::size_t PositionAt(const QPoint& viewportPos) const;
  // Painting, a display line at a time: its characters, and the rectangle
  // of its selected part (null where nothing on it is selected).
  struct PaintedLine;
  void DecodeLine(std::size_t line, const TextRange& selection, std::size_t maxColumns,
                  PaintedLine& painted) const;
  [[nodiscard]] QRectF SelectedRect(std::size_t line, const TextRange& selection,
                                    const PaintedLine& painted, int y) const;

  BackgroundTasks* tasks_ = nullptr;
  std::size_t backgroundFrom_ = kBackgroundLayoutBytes;
  // What SetText was given; empty while the view shows borrowed bytes.
  std::string owned_;
  std::string_view text_;
  // Start of every display line; never empty (an empty text has one line).
  mutable std::vector<std::size_t> lineStarts_{0};
  mutable bool layoutDirty_ = false;
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  mutable int columns_ = 1;  // characters per display line
  // The columns of the last layout asked for, made or still being made.
  mutable int requestedColumns_ = 1;
  double charWidth_ = 1.0;  // pixels per character (fixed-pitch font)
  int lineHeight_ = 1;      // pixels per display line
  int ascent_ = 0;
  int margin_ = 2;  // left and top padding in pixels
  bool selecting_ = false;
};

}  // namespace quillex
