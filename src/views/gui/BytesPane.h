#pragma once

// Standard library
#include <vector>

// Qt
#include <QPlainTextEdit>
#include <QString>

namespace quillex {

struct BytesAround;

// Control id of the pane of bytes on the Search page.
inline constexpr int kBytesPaneControl = 1096;

// The bytes of the file around the current string, a line per 16 bytes:
//
//   000000001230  48 00 65 00 6C 00 6C 00 6F 00 00 00 41 42 43 44  H.e.l.l.o...ABCD
//
// the offset as the File pos column shows it, the bytes in hex and as
// Windows-1252 characters, the string's bytes highlighted in both. Read-only
// text in the fixed-pitch font, so that the columns line up and the text can
// be selected and copied; the highlight takes the palette's selection
// colours, which suit a light or a dark theme.
class BytesPane : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit BytesPane(QWidget* parent = nullptr);

  // Shows the rows of `around`, or its message when it holds none.
  void ShowBytes(const BytesAround& around);
  // Shows a sentence instead of bytes.
  void ShowMessage(const QString& text);

  // The height that shows the rows around a short string whole, in the
  // pane's font: the rows before it, two for the string, the rows after it,
  // and the scroll bar when the lines are wider than the pane.
  [[nodiscard]] int PreferredHeight() const;

  // Where a byte's hex digits and its character stand on its line.
  static constexpr int kHexColumn = 14;
  static constexpr int kCharColumn = kHexColumn + 16 * 3 + 1;
  static constexpr int kLineLength = kCharColumn + 16;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // A highlighted run of characters of the text: [start, end).
  struct Span {
    int start;
    int end;
  };
  void ApplyHighlight();
  // Scrolls so that the string's first line shows, after up to `before` lines.
  void ShowLine(int line, int before);

  std::vector<Span> spans_;
};

}  // namespace quillex
