#include "shell/HelpPage.h"

// Qt
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextCursor>

// Quillex
#include "shell/ControlIds.h"
#include "shell/ResourceIds.h"

namespace quillex {

namespace {

QString WithLineFeeds(const char* text) {
  QString result = QString::fromLatin1(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return result;
}

}  // namespace

const char* HelpIntroductionText() {
  return "Quillex:  A file text scanner.\r\n"
         "\r\n"
         "To choose a file, type its name in the \"File to scan\" box, or click \"Browse\" "
         "and pick it in the file dialog, then click \"Go\". You can also drag a file from "
         "your file manager and drop it on this window: its scan starts at once.\r\n"
         "\r\n"
         "Only text admitted by the settings on the Filter page is shown. That page decides "
         "which characters may make up a string, how short and how long a string may be, how "
         "many repeated characters rule a string out, and which characters every string must "
         "contain.\r\n"
         "\r\n"
         "There are two ways of viewing the results. With \"Advanced view\" ticked, the "
         "strings are listed with their file positions and extra details. With it unticked, "
         "the normal view shows all the strings as one running text, separated by a "
         "space.\r\n"
         "\r\n"
         "\"Find\" searches the results for the text in the box beside it, ignoring case, and "
         "highlights the items it finds. Click it again to find the next occurrence.\r\n"
         "\r\n"
         "\"Save\" writes the whole list to a text file: in advanced view as a list like the "
         "one on display, otherwise one string per line. The dialog's type list also offers "
         "the other layout, CSV and JSON Lines.\r\n"
         "\r\n"
         "Sorting, finding, copying and saving a long list go on beside the window, which "
         "stays free meanwhile; the box at the bottom left says what runs. Esc takes it "
         "back.\r\n"
         "\r\n"
         "Keys: Enter in the \"File to scan\" box scans the file, Esc stops a scan (or what "
         "runs beside the window), Ctrl+O "
         "browses, Ctrl+S saves, Ctrl+F goes to the Find box and F3 finds again, Ctrl+L goes to "
         "the Filter box. Ctrl+Tab and "
         "Ctrl+PgDn show the next page, Ctrl+Shift+Tab and Ctrl+PgUp the previous one, and "
         "Ctrl+Q quits.\r\n"
         "\r\n"
         "Tick \"Bytes\" to see, under the results, the bytes of the file around the current "
         "string: its offset, its bytes in hexadecimal and as characters, the string's own "
         "bytes highlighted. In the normal view it shows the string at the caret.\r\n"
         "\r\n"
         "The row above the results filters them as you type. The \"Filter\" box shows only "
         "the strings that contain its text, in either case unless \"Aa\" (match case) is "
         "down; with \".*\" down its text is a regular expression. The A, U and R buttons "
         "show or hide the ANSI, Unicode and resource strings, the two number boxes set the "
         "shortest and longest length shown (empty for no bound), and the last box shows "
         "only strings with an indicator tag. \"Showing N of M\" tells how many strings are "
         "left. Sorting, Find, selecting, Copy, Save and the normal view then work on the "
         "strings shown only; the counts at the bottom stay those of the scan. Esc in the "
         "Filter box empties it, and a new scan keeps the filter. A regular expression "
         "that is not valid turns the box red, its tooltip says why, and the strings of the "
         "last good filter stay shown.\r\n"
         "\r\n";
}

const char* HelpAdvancedViewText() {
  return "ADVANCED VIEW DETAILS\r\n"
         "\r\n"
         "Each string in the list starts with a coloured letter telling its kind: a green "
         "\"A\" for ANSI strings, a red \"U\" for Unicode (i.e. double-byte) strings and a "
         "blue \"R\" for resource strings.\r\n"
         "\r\n"
         "After a scan, click a column header to sort the list by that column. Clicking the "
         "same header again alternates between ascending and descending order.\r\n"
         "\r\n"
         "File pos:  the hexadecimal position of the text in the file.\r\n"
         "\r\n"
         "Mem pos:  for a 32-bit PE file, the hexadecimal address at which the text lies in "
         "memory at run time, as determined by the file's section table.\r\n"
         "\r\n"
         "ID:  the decimal string-resource ID, or 0 for other strings.\r\n"
         "\r\n"
         "Tags:  the indicators the string holds, such as url, domain, ipv4, email, "
         "registry, windows-path or hash, joined by commas. The column fills in shortly "
         "after a scan. Tagged rows are tinted by kind: blue for the network, green for "
         "files and paths, violet for the registry and amber for encoded data such as "
         "base64, hashes and GUIDs.\r\n"
         "\r\n"
         "Right-click the column headers to show or hide columns. Two more wait there:\r\n"
         "\r\n"
         "Length:  the number of characters of the string.\r\n"
         "\r\n"
         "Section:  the name of the PE section that holds the string in the file; empty for "
         "other files and outside every section.\r\n"
         "\r\n"
         "Right-click a row to copy the selected rows: as the saved list shows them "
         "(Ctrl+C), or only their texts (Ctrl+Shift+C), file offsets (Ctrl+Shift+O), memory "
         "addresses (Ctrl+Shift+M) or JSON records (Ctrl+Shift+J), one line a row.\r\n";
}

HelpPage::HelpPage(const DialogUnitScale& scale, QWidget* parent)
    : DialogPage(kHelpPageTemplate, scale, parent) {
  auto* edit = ControlAs<QPlainTextEdit>(kHelpText);
  QPalette palette = edit->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Base, QColor(kHelpBackgroundColour));
    palette.setColor(group, QPalette::Text, QColor(kHelpTextColour));
  }
  edit->setPalette(palette);
  edit->appendPlainText(WithLineFeeds(HelpIntroductionText()));
  edit->moveCursor(QTextCursor::End);
  edit->insertPlainText(WithLineFeeds(HelpAdvancedViewText()));
  edit->moveCursor(QTextCursor::Start);
  // Selecting with the mouse stays possible; without keyboard interaction the
  // control never shows a caret, even when it has the focus.
  edit->setTextInteractionFlags(Qt::TextSelectableByMouse);
  edit->setCursorWidth(0);
  edit->setAccessibleName(QStringLiteral("Help"));
  // The text stretches both ways and scrolls itself.
  SetShrinkLimit(245, 149);
}

}  // namespace quillex
