#include "shell/SearchPage.h"

// Standard library
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

// Qt
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>

// Quillex
#include "platform/Dialogs.h"
#include "platform/InputFile.h"
#include "shell/BytesPaneSplit.h"
#include "shell/ControlIds.h"
#include "shell/FileErrorMessage.h"
#include "shell/FilterRow.h"
#include "shell/OpenPath.h"
#include "shell/ProgramTitle.h"
#include "shell/ResourceIds.h"
#include "tags/TagResults.h"
#include "tags/Tagger.h"
#include "views/AdvancedWriter.h"
#include "views/BytesAround.h"
#include "views/CopyText.h"
#include "views/OutputFormats.h"
#include "views/RowFilter.h"
#include "views/RowSelection.h"
#include "views/RunningTextPlace.h"
#include "views/SaveResults.h"
#include "views/gui/BytesPane.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/Find.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/ResultSelectionModel.h"
#include "views/gui/RowActionMenu.h"
#include "views/gui/RunningText.h"
#include "views/gui/ViewSwitch.h"

namespace quillex {

namespace {

struct CommandRow {
  int controlId;
  void (SearchPage::*handler)();
};

// The controls a scan disables, in the order they are disabled and enabled
// again. Go stays enabled: during a scan it is the Stop button. The filter
// row waits too: a filter reads the store, which the scan is filling.
constexpr std::array<int, 16> kScanDisabledControls{
    kFileNameEdit,     kBrowseButton,     kAdvancedViewBox,     kFindEdit,
    kFindButton,       kSaveButton,       kFilterEdit,          kFilterRegexToggle,
    kFilterCaseToggle, kFilterAnsiToggle, kFilterUnicodeToggle, kFilterResourceToggle,
    kFilterMinLength,  kFilterMaxLength,  kFilterTagChoice,     kFilterShownText};

QString PathForDisplay(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// The last part of a path: what a title or a suggested file name shows.
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct ControlString {
  int controlId;
  const char* text;
};

// Names a screen reader speaks for the controls whose own text does not say
// what they are: the fields, the frames without a title and the views.
constexpr std::array<ControlString, 9> kAccessibleNames{{
    {kFileNameEdit, "File to scan"},
    {kFindEdit, "Find"},
    {kFileFrame, "File"},
    {kStatusFrame, "Status"},
    {kAnsiCountFrame, "ANSI strings"},
    {kUnicodeCountFrame, "Unicode strings"},
    {kResourceCountFrame, "Resource strings"},
    {kResultListControl, "Results"},
    {kNormalViewControl, "Results as running text"},
}};

// The cells whose text changes are read by their text; what they are is
// their description.
constexpr std::array<ControlString, 5> kAccessibleDescriptions{{
    {kStatusText, "Status"},
    {kAnsiCountControl, "ANSI strings found"},
    {kUnicodeCountControl, "Unicode strings found"},
    {kResourceCountControl, "Resource strings found"},
    {kReportText, "Time taken and text size of the last scan"},
}};

constexpr const char* kReportTip =
    "How long the last scan took and the size of its ANSI and Unicode strings";

constexpr std::array<ControlString, 14> kToolTips{{
    {kBrowseButton, "Choose the file to scan (Ctrl+O)"},
    {kGoButton, "Scan the file named in the field (Enter); while a scan runs, stop it (Esc)"},
    {kAdvancedViewBox,
     "Ticked: a list of the strings with their file and memory positions and resource IDs.\n"
     "Unticked: all the strings as one running text, separated by spaces."},
    {kBytesBox,
     "Show the bytes of the file around the current string, under the results.\n"
     "In the running text, the string is the one at the caret."},
    {kAnsiCountControl, "ANSI strings found: runs of single-byte characters"},
    {kAnsiCountFrame, "ANSI strings found: runs of single-byte characters"},
    {kUnicodeCountControl,
     "Unicode strings found: UTF-16LE text whose characters all fit in one byte"},
    {kUnicodeCountFrame,
     "Unicode strings found: UTF-16LE text whose characters all fit in one byte"},
    {kResourceCountControl,
     "Resource strings found: the entries of the string tables of a Windows program"},
    {kResourceCountFrame,
     "Resource strings found: the entries of the string tables of a Windows program"},
    {kFindEdit, "Text to find, ignoring case (Ctrl+F)"},
    {kFindButton, "Select the results that contain the text; again for the next ones (F3)"},
    {kSaveButton, "Save the results to a text file (Ctrl+S)"},
    {kReportText, kReportTip},
}};

// Dialog units between the views and the pane of bytes under them.
constexpr int kBytesPaneGap = 2;

// Why a stopped scan's counts are what they are, shown on its report.
constexpr const char* kStoppedInBytePassesTip =
    "The scan was stopped before its end. The list keeps the ANSI strings found before the "
    "stop and every resource string; the Unicode strings of an unfinished scan are not kept.";
constexpr const char* kStoppedInResourcePassTip =
    "The scan was stopped before its end. The list keeps every ANSI and Unicode string and the "
    "resource strings found before the stop.";

// One entry of Save's type list and the format it writes.
struct SaveType {
  const OutputFormat* format;
  FileFilter filter;
};

// Save's type list: the text layout of the view shown first, as "Txt files
// (*.txt)" and the default; the other text layout; the table's record
// formats; and every file, written in the view's layout.
std::vector<SaveType> SaveTypes(bool advancedView) {
  const OutputFormat* shown =
      FindOutputFormat(advancedView ? kAdvancedLayoutName : kPlainLayoutName);
  const OutputFormat* other =
      FindOutputFormat(advancedView ? kPlainLayoutName : kAdvancedLayoutName);
  const char* otherLayout = advancedView ? ", one string a line" : ", a table like the list";
  std::vector<SaveType> types{
      {shown, {"Txt files (*.txt)", "*.txt"}},
      {other, {std::string(other->fileType) + otherLayout + " (*.txt)", "*.txt"}},
  };
  for (const OutputFormat& format : OutputFormats()) {
    if (&format != shown && &format != other) {
      const std::string pattern = "*." + std::string(format.extension);
      types.push_back({&format, {std::string(format.fileType) + " (" + pattern + ")", pattern}});
    }
  }
  types.push_back({shown, {"All files (*.*)", "*.*"}});
  return types;
}

// What a Find in the running text found, and where it searched from.
struct TextMatch {
  std::string_view text;
  TextRange selection;
  std::optional<TextRange> found;
};

struct SaveOutcome {
  SaveResult result = SaveResult::Ok;
  int error = 0;
};

// The tags a Save writes: those the window has, or else none yet and the
// tagger to make them with, in the Save's own work.
struct SaveTags {
  std::span<const TagSet> made;
  const Tagger* tagger = nullptr;
};

// Tags every result of the store, as the window's tagging and the command
// line do; the work of a task. Memory that cannot be had ends the task as
// every task's does (BackgroundTasks' out-of-memory report).
std::vector<TagSet> TagEveryResult(const Tagger& tagger, const ResultStore& store,
                                   const CancelFlag& cancel) {
  std::vector<TagSet> tags(store.Count());
  if (TagResults(tagger, store, tags, cancel) == TagRunStatus::NoMemory) {
    throw std::bad_alloc();
  }
  return tags;
}

// What a scan's fill makes off the GUI thread: the list's rows in store
// order and the rows whose texts the Text column is fitted to.
struct FilledRows {
  RowOrderPtr rows;
  std::vector<std::uint32_t> widthRows;
};

// What a filter run reads, taken on the GUI thread when its turn comes.
struct FilterInputs {
  const ResultStore* store = nullptr;
  const SectionMap* map = nullptr;
  // Null: the filter ends and every row comes back.
  std::shared_ptr<const RowFilter> filter;
  RowOrderPtr basis;
  PendingSorts pending;
  // The page's tag sets, empty before the tagging has finished: a filter by
  // tag reads them, and so does a pending sort by the Tags column. The array
  // stays put while any task runs (see SearchPage::tagSets_).
  std::span<const TagSet> tags;
  // The normal view shows: make its running text of the shown strings.
  bool wantText = false;
};

// The running text of the shown rows: their strings in store order, each
// followed by a NUL as in the pool, and the result of each.
bool MakeFilteredText(const ResultStore& store, std::span<const std::uint32_t> rows,
                      FilterOutcome& out, const CancelFlag& cancel);

FilterOutcome FilterRows(const FilterInputs& in, const CancelFlag& cancel);

}  // namespace

// What a filter run found; `done` is false when it was cancelled.
struct FilterOutcome {
  bool done = false;
  // The filter ended: `rows` is the whole order, sorted.
  bool all = false;
  RowOrderPtr basis;
  RowOrderPtr rows;
  std::shared_ptr<const std::string> text;
  std::vector<std::uint32_t> textResults;
  // The filter wanted tags that the results did not have yet.
  bool tagsMissing = false;
};

namespace {

bool MakeFilteredText(const ResultStore& store, std::span<const std::uint32_t> rows,
                      FilterOutcome& out, const CancelFlag& cancel) {
  // A bit per result puts the rows back in store order without a sort.
  const std::uint32_t count = store.Count();
  std::vector<std::uint64_t> bits((static_cast<std::size_t>(count) + 63) / 64);
  std::size_t bytes = 0;
  for (const std::uint32_t result : rows) {
    if (result < count) {
      bits[result >> 6] |= std::uint64_t{1} << (result & 63);
      bytes += store.TextLength(result) + 1;
    }
  }
  auto text = std::make_shared<std::string>();
  text->reserve(bytes);
  out.textResults.reserve(rows.size());
  for (std::uint32_t result = 0; result < count; ++result) {
    if ((result & 0xFFFF) == 0 && IsCancelled(&cancel)) {
      return false;
    }
    if (((bits[result >> 6] >> (result & 63)) & 1) != 0) {
      text->append(store.Text(result), store.TextLength(result));
      text->push_back('\0');
      out.textResults.push_back(result);
    }
  }
  out.text = std::move(text);
  return true;
}

FilterOutcome FilterRows(const FilterInputs& in, const CancelFlag& cancel) {
  FilterOutcome out;
  out.basis = in.basis;
  out.tagsMissing =
      in.filter && in.filter->Terms().wantedTags != 0 && in.tags.size() < in.store->Count();
  std::vector<std::uint32_t> rows;
  if (in.filter) {
    FilterRun run;
    run.cancel = &cancel;
    run.tagSets = in.tags;
    FilteredRows shown = in.filter->Apply(*in.store, *in.basis, run);
    if (shown.status != FilterStatus::Done) {
      return out;
    }
    rows = std::move(shown.shown);
  } else if (in.pending.empty()) {
    out.all = true;
    out.rows = in.basis;
    out.done = true;
    return out;
  } else {
    out.all = true;
    rows = *in.basis;
  }
  // The filter kept the rows in the whole order's order; the sorts made
  // since the whole order was last sorted put them in the list's.
  std::optional<std::vector<std::uint32_t>> sorted =
      ReplaySorts(*in.store, *in.map, std::move(rows), in.pending, &cancel, in.tags);
  if (!sorted) {
    return out;
  }
  if (in.filter && in.wantText && !MakeFilteredText(*in.store, *sorted, out, cancel)) {
    return out;
  }
  out.rows = std::make_shared<const std::vector<std::uint32_t>>(std::move(*sorted));
  out.done = true;
  return out;
}

}  // namespace

SearchPage::SearchPage(ScanEngine& engine, DialogService& dialogs, const DialogUnitScale& scale,
                       QWidget* parent)
    : DialogPage(kSearchPageTemplate, scale, parent),
      engine_(engine),
      dialogs_(dialogs),
      model_(new ResultListModel(engine.store, engine.map, this)),
      list_(new ResultList(*model_, this)),
      normal_(new NormalView(this)),
      bytesPane_(new BytesPane(this)),
      rowActions_(new RowActionMenu(*list_, engine.store, engine.map)),
      filterRow_(new FilterRow(*this)) {
  connect(filterRow_, &FilterRow::changed, this, &SearchPage::ReapplyFilter);
  PlaceControl(kResultListControl, list_);
  PlaceControl(kNormalViewControl, normal_);
  list_->SetTasks(&tasks_);
  normal_->SetTasks(&tasks_);
  connect(&tasks_, &BackgroundTasks::changed, this, &SearchPage::TasksChanged);
  connect(&tasks_, &BackgroundTasks::outOfMemory, this, [this] {
    dialogs_.MessageBox(dialogOwner_, kNoMemoryText, kProgramTitle, MB_ICONWARNING);
  });
  PlaceControl(kBytesPaneControl, bytesPane_);
  ConnectBytesPane();
  list_->SetStatusCallback(
      [this](const char* status) { SetControlText(kStatusText, QString::fromLatin1(status)); });
  connect(list_, &ResultList::copyRequested, this, [this] { Command(kCopyCommand); });
  list_->installEventFilter(this);
  SetChecked(kAdvancedViewBox, true);
  advancedView_ = true;
  if (auto* fileEdit = ControlAs<QLineEdit>(kFileNameEdit)) {
    // Enter in the file field presses the default button, Go.
    connect(fileEdit, &QLineEdit::returnPressed, this, [this] { Command(kGoButton); });
    setFocusProxy(fileEdit);
  }
  if (auto* findEdit = ControlAs<QLineEdit>(kFindEdit)) {
    connect(findEdit, &QLineEdit::returnPressed, this, [this] { Command(kFindButton); });
  }
  // The report may reach over the view box when the window is narrow; the
  // box stays on top, so that clicks there still reach it.
  if (QWidget* report = Control(kReportText)) {
    report->stackUnder(Control(kAdvancedViewBox));
    report->stackUnder(Control(kBytesBox));
  }
  SetUpAccessibility();
  SetUpToolTips();
  SetUpTabOrder();
  // The list gives up height down to a few rows and the Find field width
  // down to a few characters; a smaller page scrolls.
  SetShrinkLimit(33, 95);
}

// Here, where the tagger's type is complete.
SearchPage::~SearchPage() = default;

void SearchPage::SetUpAccessibility() {
  for (const ControlString& row : kAccessibleNames) {
    if (QWidget* control = Control(row.controlId)) {
      control->setAccessibleName(QString::fromLatin1(row.text));
    }
  }
  for (const ControlString& row : kAccessibleDescriptions) {
    if (QWidget* control = Control(row.controlId)) {
      control->setAccessibleDescription(QString::fromLatin1(row.text));
    }
  }
  if (auto* label = ControlAs<QLabel>(kFileLabel)) {
    label->setBuddy(Control(kFileNameEdit));
  }
}

void SearchPage::SetUpToolTips() {
  for (const ControlString& row : kToolTips) {
    if (QWidget* control = Control(row.controlId)) {
      control->setToolTip(QString::fromLatin1(row.text));
    }
  }
}

void SearchPage::SetUpTabOrder() {
  // The results come before Find and Save, in the order a reader meets them;
  // the filter row comes before the results it filters.
  constexpr std::array<int, 20> kOrder{kFileNameEdit,
                                       kBrowseButton,
                                       kGoButton,
                                       kAdvancedViewBox,
                                       kBytesBox,
                                       kFilterEdit,
                                       kFilterRegexToggle,
                                       kFilterCaseToggle,
                                       kFilterAnsiToggle,
                                       kFilterUnicodeToggle,
                                       kFilterResourceToggle,
                                       kFilterMinLength,
                                       kFilterMaxLength,
                                       kFilterTagChoice,
                                       kResultListControl,
                                       kNormalViewControl,
                                       kBytesPaneControl,
                                       kFindEdit,
                                       kFindButton,
                                       kSaveButton};
  for (std::size_t i = 1; i < kOrder.size(); ++i) {
    QWidget::setTabOrder(Control(kOrder[i - 1]), Control(kOrder[i]));
  }
}

void SearchPage::SetFileName(std::string fileName) {
  fileName_ = std::move(fileName);
  fileFieldText_ = PathForDisplay(fileName_);
  SetControlText(kFileNameEdit, fileFieldText_);
}

void SearchPage::TakeTypedFileName() {
  const QString typed = ControlText(kFileNameEdit);
  if (typed == fileFieldText_) {
    return;
  }
  fileName_ = FileNameFromPathText(QFile::encodeName(typed).toStdString());
  fileFieldText_ = typed;
}

void SearchPage::SetShownFile(const std::string& path) {
  shownFile_ = path;
  QString tip;
  if (!path.empty()) {
    tip = QFileInfo(PathForDisplay(path)).absoluteFilePath();
  }
  if (QWidget* field = Control(kFileNameEdit)) {
    field->setToolTip(tip);
  }
  rowActions_->SetFileName(path);
  if (shownFileChanged_) {
    shownFileChanged_(path);
  }
}

bool SearchPage::ShortcutCommand(int controlId) {
  const QWidget* control = Control(controlId);
  if (control == nullptr || !control->isEnabled()) {
    return false;
  }
  return Command(controlId);
}

void SearchPage::FocusFind() {
  if (auto* findEdit = ControlAs<QLineEdit>(kFindEdit);
      findEdit != nullptr && findEdit->isEnabled()) {
    findEdit->setFocus(Qt::ShortcutFocusReason);
    findEdit->selectAll();
  }
}

void SearchPage::FocusFilter() {
  if (filterRow_->Field()->isEnabled()) {
    filterRow_->FocusField();
  }
}

bool SearchPage::Command(int controlId) {
  static constexpr std::array<CommandRow, 7> kCommands{{
      {kGoButton, &SearchPage::GoCommand},
      {kBrowseButton, &SearchPage::BrowseCommand},
      {kSaveButton, &SearchPage::SaveCommand},
      {kFindButton, &SearchPage::FindCommand},
      {kAdvancedViewBox, &SearchPage::AdvancedViewCommand},
      {kCopyCommand, &SearchPage::CopyCommand},
      {kBytesBox, &SearchPage::BytesCommand},
  }};
  if (!IsCurrentPage()) {
    return false;
  }
  for (const CommandRow& row : kCommands) {
    if (row.controlId == controlId) {
      (this->*row.handler)();
      return true;
    }
  }
  return false;
}

void SearchPage::GoCommand() {
  if (scanning_) {
    stopRequest_ = true;
    return;
  }
  // The criteria are normalised even when no file is named, so that Go
  // always shows the numbers the next scan will use.
  if (normaliseCriteria_) {
    normaliseCriteria_();
  }
  TakeTypedFileName();
  if (fileName_.empty()) {
    return;
  }
  // Work on the old results stops here, before the scan clears them; a file
  // being saved or text being copied is finished first, and the scan starts
  // once it is.
  if (tasks_.ClearForScan()) {
    goWaiting_ = true;
    return;
  }
  goWaiting_ = false;
  ForgetTags();
  fitRows_.clear();
  stopRequest_ = false;
  scanning_ = true;
  stopPoint_ = StopPoint::None;
  resourcePassStarted_ = false;

  // Both views stay empty and undrawn until the scan has filled them once.
  SetViewsDrawing(false);
  model_->ClearRows();
  normal_->Clear();
  // The old results' running text goes with them (no worker runs now; the
  // tags went above); the filter itself stays and is applied to the new
  // results.
  RetireFilteredText();
  retiredTexts_.clear();
  textFollowsFilter_ = true;
  filterRow_->HideCounts();
  // From here on the views show this file's results, or none when it cannot
  // be opened.
  SetShownFile(fileName_);
  SetControlText(kGoButton, QStringLiteral("S&top"));
  SetControlText(kStatusText, QStringLiteral("Scanning..."));
  SetScanControlsEnabled(false);

  RunScanOfFile();

  SetScanControlsEnabled(true);
  scanning_ = false;
  SetControlText(kGoButton, QStringLiteral("&Go"));
  SetControlText(kStatusText, QStringLiteral("Ready"));
  SetViewsDrawing(true);
  SwitchViews();
  // The text search starts from the empty selection at the text's start.
  normal_->SetSelection(0, 0);
  ReapplyFilter();

  if (lastReport_.opened && lastReport_.droppedResults > 0) {
    std::array<char, 512> text{};
    std::snprintf(text.data(), text.size(), kDroppedResultsFormat, engine_.store.Count(),
                  static_cast<unsigned long long>(lastReport_.droppedResults));
    dialogs_.MessageBox(dialogOwner_, text.data(), kProgramTitle, MB_ICONWARNING);
  }
  if (scanFinished_) {
    scanFinished_();
  }
}

void SearchPage::RunScanOfFile() {
  // The first pump of a scan handles events at once.
  pumpClock_.invalidate();
  progressClock_.start();
  lastProgressMs_ = -1;
  // A copy: a file dropped during the scan replaces the name for the next Go
  // only.
  const std::string path = fileName_;
  lastReport_ = RunScan(path, engine_, *this, scanOptions_);
  if (lastReport_.opened) {
    ShowReport();
  }
  if (advancedView_) {
    list_->FitTextColumn(fitRows_);
  }
}

void SearchPage::ShowReport() {
  std::string report = FormatScanReport(lastReport_.elapsedMs, lastReport_.totalTextSize);
  const char* tip = kReportTip;
  // A stopped scan says so beside its time, and its tip says which strings
  // the counts leave out.
  if (stopPoint_ != StopPoint::None) {
    report.insert(0, kStoppedReportPrefix);
    tip =
        stopPoint_ == StopPoint::ResourcePass ? kStoppedInResourcePassTip : kStoppedInBytePassesTip;
  }
  SetControlText(kReportText, QString::fromLatin1(report));
  if (QWidget* control = Control(kReportText)) {
    control->setToolTip(QString::fromLatin1(tip));
  }
}

void SearchPage::SetScanControlsEnabled(bool enabled) {
  if (enabled && tabs_ != nullptr) {
    tabs_->setEnabled(true);
  }
  for (const int id : kScanDisabledControls) {
    EnableControl(id, enabled);
  }
  window()->update();
  if (!enabled && tabs_ != nullptr) {
    tabs_->setEnabled(false);
  }
}

void SearchPage::SetViewsDrawing(bool drawing) {
  for (QWidget* view : {static_cast<QWidget*>(list_), static_cast<QWidget*>(normal_)}) {
    view->setUpdatesEnabled(drawing);
    view->update();
  }
}

void SearchPage::SwitchViews() {
  SwitchView(advancedView_, list_, normal_);
  UpdateBytesPane();
}

void SearchPage::BrowseCommand() {
  const std::vector<FileFilter> filters{{"All files (*.*)", "*.*"}};
  // The dialog starts where the current file is: the one named in the field,
  // or else the one whose results are shown.
  TakeTypedFileName();
  const std::string current = fileName_.empty() ? shownFile_ : fileName_;
  const std::optional<std::string> path =
      dialogs_.OpenFileDialog(window(), "Open file for scanning", filters, "*.*", current);
  if (!path) {
    return;
  }
  fileFieldText_ = PathForDisplay(*path);
  SetControlText(kFileNameEdit, fileFieldText_);
  fileName_ = FileNameFromPathText(*path);
}

void SearchPage::AdvancedViewCommand() {
  advancedView_ = IsChecked(kAdvancedViewBox);
  // A filter applied in the advanced view made no running text.
  if (!advancedView_ && !textFollowsFilter_) {
    ReapplyFilter();
  }
  SwitchViews();
}

void SearchPage::ShowStatus(const char* text) {
  SetControlText(kStatusText, QString::fromLatin1(text));
  if (QWidget* status = Control(kStatusText)) {
    status->repaint();
  }
}

void SearchPage::FindCommand() {
  const QString text = ControlText(kFindEdit);
  if (text.isEmpty()) {
    return;
  }
  const std::optional<std::string> pattern = FindPatternFromText(text);
  if (!pattern || pattern->empty()) {
    // Nothing can hold such a pattern: no search to run in the background.
    Find(pattern, advancedView_, *list_, *normal_,
         [this](const char* status) { ShowStatus(status); });
    return;
  }
  if (advancedView_) {
    tasks_.RunPrepared(
        TaskKind::ListFind,
        [this, pattern = *pattern] {
          return
              [&store = engine_.store, rows = model_->Order(), pattern](const CancelFlag& cancel) {
                return SearchRows(pattern, store, rows, &cancel);
              };
        },
        [this](const ListMatches& found) { ShowListMatches(found, *list_); });
    return;
  }
  tasks_.RunPrepared(
      TaskKind::TextFind,
      [this, pattern = *pattern] {
        return [text = normal_->Bytes(), selection = normal_->Selection(),
                pattern](const CancelFlag& cancel) {
          return TextMatch{text, selection, SearchText(text, pattern, selection, &cancel)};
        };
      },
      [this](const TextMatch& match) {
        // Only in the text that was searched.
        if (match.found && match.text.data() == normal_->Bytes().data() &&
            match.text.size() == normal_->Bytes().size()) {
          ShowTextMatch(*match.found, match.selection, *normal_);
        }
      });
}

void SearchPage::SaveCommand() {
  // An empty file helps no one; the user learns why nothing was written.
  if (model_->rowCount() == 0) {
    dialogs_.MessageBox(dialogOwner_, kNothingToSaveText, kProgramTitle, MB_ICONINFORMATION);
    return;
  }
  // The layouts are those of the view shown now, whatever view the scan ran
  // in; the rows come in the order the list shows them.
  const std::vector<SaveType> types = SaveTypes(advancedView_);
  std::vector<FileFilter> filters;
  for (const SaveType& type : types) {
    filters.push_back(type.filter);
  }
  // The scanned file's name with ".txt" added, so that the strings of
  // "setup.exe" and "setup.dll" do not end up in the same file; the dialog
  // changes the extension with the type.
  const std::string suggested = shownFile_.empty() ? std::string() : BaseName(shownFile_) + ".txt";
  const std::optional<SaveChoice> choice =
      dialogs_.SaveFileDialog(window(), "Save text to file", filters, "*.txt", suggested);
  if (!choice) {
    return;
  }
  StartSave(choice->path, *types[std::min(choice->filter, types.size() - 1)].format);
}

void SearchPage::StartSave(const std::string& path, const OutputFormat& format) {
  tasks_.RunPrepared(
      TaskKind::Save,
      [this, path, &format] {
        // The record formats carry the tags. When the tagging after the scan
        // has not finished yet, the Save makes them itself rather than wait
        // for it: the file is then never written without them.
        SaveTags tags;
        if (format.writesTags) {
          tags.made = tagSets_;
          if (tagSets_.size() != engine_.store.Count()) {
            tags.tagger = &SharedTagger();
          }
        }
        return [&store = engine_.store, &map = engine_.map, rows = model_->Order(),
                file = shownFile_, path, &format, tags](const CancelFlag& cancel) {
          SaveOutcome outcome;
          std::vector<TagSet> own;
          if (tags.tagger != nullptr) {
            own = TagEveryResult(*tags.tagger, store, cancel);
            if (IsCancelled(&cancel)) {
              outcome.error = ECANCELED;  // nothing written, the old file kept
              return outcome;
            }
          }
          const WriterSource source{.store = store,
                                    .map = map,
                                    .rows = *rows,
                                    .fileName = file,
                                    .tags = tags.tagger != nullptr ? own : tags.made};
          outcome.result = SaveResults(path, format, source, &outcome.error, &cancel);
          return outcome;
        };
      },
      [this, path](SaveOutcome outcome) {
        if (outcome.result == SaveResult::Ok || outcome.error == ECANCELED) {
          return;
        }
        const char* firstLine =
            outcome.result == SaveResult::OpenFailed ? kUnableToOpenText : kUnableToWriteText;
        const std::string reason = outcome.error != 0 ? ErrorText(outcome.error) : std::string();
        dialogs_.MessageBox(dialogOwner_, FileErrorMessage(firstLine, path, reason), kProgramTitle,
                            MB_ICONERROR);
      });
}

void SearchPage::CopyCommand() {
  if (list_->Selection().Empty()) {
    return;  // the clipboard keeps what it holds
  }
  tasks_.RunPrepared(
      TaskKind::Copy,
      [this] {
        return [&store = engine_.store, &map = engine_.map, rows = model_->Order(),
                selection = list_->Selection().Snapshot()](
                   const CancelFlag& cancel) -> std::optional<QString> {
          const std::vector<std::uint32_t> results = selection.SelectedResults(*rows);
          QString text;
          const bool copied =
              CopyTextInPieces(results, store, map, &cancel,
                               [&text](std::string_view piece) { text += BytesToQString(piece); });
          if (!copied || results.empty()) {
            return std::nullopt;  // nothing selected: the clipboard keeps what it holds
          }
          return text;
        };
      },
      [](const std::optional<QString>& text) {
        if (text) {
          QGuiApplication::clipboard()->setText(*text);
        }
      });
}

bool SearchPage::Escape() {
  if (scanning_) {
    stopRequest_ = true;
    return true;
  }
  const bool goWaited = std::exchange(goWaiting_, false);
  const bool cancelled = tasks_.CancelOnEscape();
  return goWaited || cancelled;
}

bool SearchPage::PrepareToQuit() {
  goWaiting_ = false;
  return tasks_.ClearForScan();
}

void SearchPage::TasksChanged() {
  if (!scanning_) {
    const char* status = tasks_.Status();
    SetControlText(kStatusText, QString::fromLatin1(status != nullptr ? status : "Ready"));
  }
  if (tasks_.WantsBusyCursor()) {
    list_->viewport()->setCursor(Qt::BusyCursor);
    normal_->viewport()->setCursor(Qt::BusyCursor);
  } else {
    list_->viewport()->unsetCursor();
    normal_->viewport()->setCursor(Qt::IBeamCursor);
  }
  if (goWaiting_ && !tasks_.HoldsScan()) {
    // Not from here: this runs inside the tasks' own bookkeeping.
    goWaiting_ = false;
    QMetaObject::invokeMethod(this, &SearchPage::GoCommand, Qt::QueuedConnection);
  }
  // No worker left that could read an old running text.
  if (tasks_.WorkerCount() == 0) {
    retiredTexts_.clear();
  }
  if (!tasks_.Busy() && tasksIdle_) {
    tasksIdle_();
  }
}

bool SearchPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event) == QKeySequence::Copy) {
    Command(kCopyCommand);
    return true;
  }
  return DialogPage::eventFilter(watched, event);
}

void SearchPage::ShowCount(StringKind kind, std::uint32_t count) {
  int control = kAnsiCountControl;
  if (kind == StringKind::Unicode) {
    control = kUnicodeCountControl;
  } else if (kind == StringKind::Resource) {
    control = kResourceCountControl;
    resourcePassStarted_ = true;
  }
  SetControlText(control, QString::fromLatin1(CountText(kind, count)));
}

bool SearchPage::ScanPump() {
  if (pumpHook_) {
    pumpHook_();
  }
  if (!pumpClock_.isValid() || pumpClock_.elapsed() >= kPumpIntervalMs) {
    QCoreApplication::processEvents();
    pumpClock_.start();
  }
  if (stopRequest_ && stopPoint_ == StopPoint::None) {
    stopPoint_ = resourcePassStarted_ ? StopPoint::ResourcePass : StopPoint::BytePasses;
  }
  return !stopRequest_;
}

void SearchPage::ShowProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                              std::uint32_t ansiSoFar, std::uint32_t unicodeSoFar) {
  // A short scan looks as it always did: the counts go from 0 to their final
  // values, and the status cell just says "Scanning...".
  const qint64 elapsed = progressClock_.elapsed();
  if (elapsed < kProgressQuietMs ||
      (lastProgressMs_ >= 0 && elapsed - lastProgressMs_ < kProgressIntervalMs)) {
    return;
  }
  lastProgressMs_ = elapsed;
  SetControlText(kAnsiCountControl, QString::fromLatin1(CountText(StringKind::Ansi, ansiSoFar)));
  SetControlText(kUnicodeCountControl,
                 QString::fromLatin1(CountText(StringKind::Unicode, unicodeSoFar)));
  SetControlText(kStatusText,
                 QStringLiteral("Scanning... %1%").arg(ProgressPercent(bytesDone, bytesTotal)));
}

void SearchPage::WarnDamagedResources() {
  // Free-standing and on top: the warning must be seen even when the main
  // window is covered.
  dialogs_.MessageBox(nullptr, kDamagedResourceText, kProgramTitle, MB_ICONWARNING | MB_TOPMOST);
}

void SearchPage::ReportOpenFailure(const std::string& path, const std::string& reason) {
  // The views stay empty, so no file's name stays in the title either.
  SetShownFile({});
  dialogs_.MessageBox(dialogOwner_, FileErrorMessage(kUnableToOpenText, path, reason),
                      kProgramTitle, MB_ICONERROR);
}

void SearchPage::FillViews() {
  const ResultStore& store = engine_.store;
  tasks_.Run(
      TaskKind::Fill,
      [&store](const CancelFlag& cancel) {
        FilledRows filled;
        filled.rows = ResultListModel::StoreOrder(store.Count(), &cancel);
        filled.widthRows = ResultList::TextWidthRows(store, *filled.rows, &cancel);
        return filled;
      },
      [this](FilledRows filled) {
        model_->AppendRows(std::move(filled.rows));
        fitRows_ = std::move(filled.widthRows);
      });
  ShowRunningText(*normal_, store.Pool());
  // The scan ends once both views hold its results, as it always has; the
  // window goes on painting meanwhile, and Go goes on meaning Stop (which
  // has nothing left to stop).
  while (tasks_.Busy(TaskKind::Fill) || tasks_.Busy(TaskKind::Layout)) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  // The list shows now; its Tags column fills in when the tagging is done.
  StartTagging();
}

void SearchPage::StartTagging() {
  const ResultStore& store = engine_.store;
  if (store.Count() == 0) {
    return;
  }
  tasks_.Run(
      TaskKind::Tag,
      [&tagger = SharedTagger(), &store](const CancelFlag& cancel) {
        return TagEveryResult(tagger, store, cancel);
      },
      [this](std::vector<TagSet> tags) { ApplyTags(std::move(tags)); });
}

void SearchPage::ApplyTags(std::vector<TagSet> tags) {
  // Only into an empty array: work given a span of the old one may still run
  // otherwise. A scan empties it; nothing else does.
  if (!tagSets_.empty() || tags.size() != engine_.store.Count()) {
    return;
  }
  tagSets_ = std::move(tags);
  model_->SetTags(tagSets_);
  rowActions_->SetTags(tagSets_);
  // Rows sorted by Tags before the tags were known are in no order of tags.
  list_->SortAgainIfBy(ResultColumn::Tags);
  // A filter by tag applied before the tags were known kept no rows for its
  // tag part; it is applied again now that they are.
  const std::shared_ptr<const RowFilter> filter = filterRow_->Applied();
  if (filter && filter->Terms().wantedTags != 0) {
    ReapplyFilter();
  }
}

void SearchPage::ForgetTags() {
  model_->SetTags({});
  rowActions_->SetTags({});
  // Its memory goes too (two bytes a result).
  std::vector<TagSet>().swap(tagSets_);
}

const Tagger& SearchPage::SharedTagger() {
  if (!tagger_) {
    tagger_ = std::make_unique<Tagger>();
  }
  return *tagger_;
}

void SearchPage::ConnectBytesPane() {
  bytesPane_->ShowMessage(QString::fromLatin1(kNoCurrentStringText));
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { UpdateBytesPane(); });
  // A new scan's rows: whatever the pane showed belongs to the old ones.
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    ForgetBytesPaneResult();
    UpdateBytesPane();
  });
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { UpdateBytesPane(); });
  connect(normal_, &NormalView::caretMoved, this, [this] {
    if (!advancedView_) {
      UpdateBytesPane();
    }
  });
}

void SearchPage::BytesCommand() {
  bytesShown_ = IsChecked(kBytesBox);
  FitBytesPane();
  bytesPane_->setVisible(bytesShown_);
  // The list gives up height to the pane: its current row stays in view.
  if (list_->currentIndex().isValid()) {
    list_->scrollTo(list_->currentIndex());
  }
  // Shown again, the pane reads the file again: it may have changed.
  ForgetBytesPaneResult();
  UpdateBytesPane();
}

void SearchPage::FitBytesPane() {
  const QRect views = list_->geometry();
  const QRect pane = bytesPane_->geometry();
  // The views' whole rectangle reaches from their top to the pane's bottom,
  // whether the pane shows or not: the layout table moves both edges.
  PixelRect area{views.left(), views.top(), views.left() + views.width(),
                 pane.top() + pane.height()};
  if (bytesShown_) {
    const int gap = DialogRectToPixels(Scale(), 0, 0, 0, kBytesPaneGap).Height();
    const ViewsAndPane split = SplitForBytesPane(area, bytesPane_->PreferredHeight(), gap);
    area = split.views;
    bytesPane_->setGeometry(pane.left(), split.pane.top, pane.width(), split.pane.Height());
  }
  for (QWidget* view : {static_cast<QWidget*>(list_), static_cast<QWidget*>(normal_)}) {
    view->setGeometry(area.left, area.top, area.Width(), area.Height());
  }
}

std::optional<std::uint32_t> SearchPage::CurrentResult() const {
  if (scanning_ || shownFile_.empty()) {
    return std::nullopt;
  }
  if (!advancedView_ && filteredText_) {
    // The shown strings only: the caret's string is the one whose NUL
    // comes next.
    if (filteredTextResults_.empty()) {
      return std::nullopt;
    }
    const std::string_view text = *filteredText_;
    const std::size_t caret = std::min(normal_->Caret(), text.size());
    const auto before = static_cast<std::size_t>(
        std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(caret), '\0'));
    return filteredTextResults_[std::min(before, filteredTextResults_.size() - 1)];
  }
  if (!advancedView_) {
    return ResultAtRunningTextPosition(engine_.store.Pool(), normal_->Caret());
  }
  const QModelIndex current = list_->currentIndex();
  if (!current.isValid() || current.row() >= model_->rowCount()) {
    return std::nullopt;
  }
  return model_->ResultIndexAt(current.row());
}

void SearchPage::UpdateBytesPane() {
  if (!bytesShown_) {
    return;
  }
  const std::optional<std::uint32_t> result = CurrentResult();
  if (!result) {
    bytesPaneResult_.reset();
    bytesPane_->ShowMessage(QString::fromLatin1(kNoCurrentStringText));
    return;
  }
  if (result == bytesPaneResult_) {
    return;
  }
  bytesPaneResult_ = result;
  // A few hundred bytes, read when the string is chosen; the scan's record
  // of the file tells whether they are still the bytes it scanned.
  const BytesAround around = ReadBytesAround(shownFile_, lastReport_.fileIdentity,
                                             PlaceOfResult(engine_.store, engine_.map, *result));
  bytesPane_->ShowBytes(around);
}

void SearchPage::ReapplyFilter() {
  if (scanning_) {
    return;  // the scan's end applies it to the new results
  }
  std::shared_ptr<const RowFilter> filter = filterRow_->Applied();
  if (!filter && !model_->Filtered()) {
    filterRow_->HideCounts();
    return;
  }
  tasks_.RunPrepared(
      TaskKind::Filter,
      [this, filter] {
        FilterInputs in{.store = &engine_.store,
                        .map = &engine_.map,
                        .filter = filter,
                        .basis = model_->AllOrder(),
                        .pending = model_->Pending(),
                        .tags = tagSets_,
                        .wantText = !advancedView_};
        return [in = std::move(in)](const CancelFlag& cancel) { return FilterRows(in, cancel); };
      },
      [this](FilterOutcome outcome) { ApplyFilterOutcome(std::move(outcome)); });
}

void SearchPage::ApplyFilterOutcome(FilterOutcome outcome) {
  if (!outcome.done) {
    return;
  }
  const std::uint32_t total = engine_.store.Count();
  if (outcome.all) {
    if (model_->ShowAll(std::move(outcome.rows), outcome.basis)) {
      ShowWholeRunningText();
      filterRow_->HideCounts();
    }
    return;
  }
  const std::uint32_t shown = static_cast<std::uint32_t>(outcome.rows->size());
  if (!model_->ShowFiltered(std::move(outcome.rows), outcome.basis)) {
    return;
  }
  filterRow_->ShowCounts(shown, total, outcome.tagsMissing);
  textFollowsFilter_ = outcome.text != nullptr;
  if (outcome.text) {
    RetireFilteredText();
    filteredText_ = std::move(outcome.text);
    filteredTextResults_ = std::move(outcome.textResults);
    normal_->SetBytes(*filteredText_);
  }
  ForgetBytesPaneResult();
  UpdateBytesPane();
}

void SearchPage::ShowWholeRunningText() {
  textFollowsFilter_ = true;
  if (!filteredText_) {
    return;
  }
  RetireFilteredText();
  ShowRunningText(*normal_, engine_.store.Pool());
}

void SearchPage::RetireFilteredText() {
  if (filteredText_) {
    retiredTexts_.push_back(std::move(filteredText_));
  }
  filteredText_.reset();
  filteredTextResults_.clear();
  filteredTextResults_.shrink_to_fit();
}

void SearchPage::resizeEvent(QResizeEvent* event) {
  DialogPage::resizeEvent(event);
  FitBytesPane();
}

}  // namespace quillex
