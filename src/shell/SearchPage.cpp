#include "shell/SearchPage.h"

// Standard library
#include <array>
#include <cstdio>
#include <vector>

// Qt
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

// Quillex
#include "platform/Dialogs.h"
#include "shell/ControlIds.h"
#include "shell/OpenPath.h"
#include "shell/ProgramTitle.h"
#include "shell/ResourceIds.h"
#include "views/AdvancedWriter.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/Find.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/RunningText.h"
#include "views/gui/ViewSwitch.h"

namespace quillex {

namespace {

struct CommandRow {
  int controlId;
  void (SearchPage::*handler)();
};

// The controls a scan disables, in the order they are disabled and enabled
// again. Go stays enabled: during a scan it is the Stop button.
constexpr std::array<int, 6> kScanDisabledControls{kFileNameEdit, kBrowseButton, kAdvancedViewBox,
                                                   kFindEdit,     kFindButton,   kSaveButton};

QString PathForDisplay(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

SearchPage::SearchPage(ScanEngine& engine, DialogService& dialogs, const DialogUnitScale& scale,
                       QWidget* parent)
    : DialogPage(kSearchPageTemplate, scale, parent),
      engine_(engine),
      dialogs_(dialogs),
      model_(new ResultListModel(engine.store, engine.map, this)),
      list_(new ResultList(*model_, this)),
      normal_(new NormalView(this)) {
  PlaceControl(kResultListControl, list_);
  PlaceControl(kNormalViewControl, normal_);
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
}

bool SearchPage::Command(int controlId) {
  static constexpr std::array<CommandRow, 6> kCommands{{
      {kGoButton, &SearchPage::GoCommand},
      {kBrowseButton, &SearchPage::BrowseCommand},
      {kSaveButton, &SearchPage::SaveCommand},
      {kFindButton, &SearchPage::FindCommand},
      {kAdvancedViewBox, &SearchPage::AdvancedViewCommand},
      {kCopyCommand, &SearchPage::CopyCommand},
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
  if (fileName_.empty()) {
    return;
  }
  stopRequest_ = false;
  scanning_ = true;

  // Both views stay empty and undrawn until the scan has filled them once.
  SetViewsDrawing(false);
  model_->ClearRows();
  normal_->Clear();
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
    SetControlText(kReportText, QString::fromLatin1(FormatScanReport(lastReport_.elapsedMs,
                                                                     lastReport_.totalTextSize)));
  }
  if (advancedView_) {
    list_->FitTextColumn();
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
}

void SearchPage::BrowseCommand() {
  const std::vector<FileFilter> filters{{"All files (*.*)", "*.*"}};
  const std::optional<std::string> path =
      dialogs_.OpenFileDialog(window(), "Open file for scanning", filters, "*.*");
  if (!path) {
    return;
  }
  SetControlText(kFileNameEdit, PathForDisplay(*path));
  fileName_ = FileNameFromPathText(*path);
}

void SearchPage::AdvancedViewCommand() {
  advancedView_ = IsChecked(kAdvancedViewBox);
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
  Find(FindPatternFromText(text), advancedView_, *list_, *normal_,
       [this](const char* status) { ShowStatus(status); });
}

void SearchPage::SaveCommand() {
  const std::vector<FileFilter> filters{{"Txt files (*.txt)", "*.txt"}, {"All files (*.*)", "*.*"}};
  const std::optional<std::string> path =
      dialogs_.SaveFileDialog(window(), "Save text to file", filters, "*.txt");
  if (!path) {
    return;
  }
  ShowStatus("Saving...");
  // The layout is the one of the view shown now, whatever view the scan ran
  // in; the rows come in the order the list shows them.
  const OutputFormat* format =
      FindOutputFormat(advancedView_ ? kAdvancedLayoutName : kPlainLayoutName);
  const WriterSource source{
      .store = engine_.store, .map = engine_.map, .rows = model_->DisplayOrder()};
  const SaveResult result = SaveResults(*path, *format, source);
  if (result == SaveResult::OpenFailed) {
    dialogs_.MessageBox(dialogOwner_, kUnableToOpenText, kProgramTitle, MB_ICONERROR);
  } else if (result == SaveResult::WriteFailed) {
    dialogs_.MessageBox(dialogOwner_, kUnableToWriteText, kProgramTitle, MB_ICONERROR);
  }
  ShowStatus("Ready");
}

void SearchPage::CopyCommand() {
  const std::vector<std::uint32_t> rows = list_->SelectedRowsInDisplayOrder();
  if (rows.empty()) {
    return;  // the clipboard keeps what it holds
  }
  const std::string text = AdvancedWriter::CopyText(rows, engine_.store, engine_.map);
  QGuiApplication::clipboard()->setText(BytesToQString(text));
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

void SearchPage::ReportOpenFailure(const std::string& /*path*/, const std::string& /*reason*/) {
  dialogs_.MessageBox(dialogOwner_, kUnableToOpenText, kProgramTitle, MB_ICONERROR);
}

void SearchPage::FillViews() {
  model_->Fill();
  ShowRunningText(*normal_, engine_.store.Pool());
}

}  // namespace quillex
