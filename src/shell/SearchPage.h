#pragma once

// Standard library
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// Qt
#include <QElapsedTimer>
#include <QString>

// Quillex
#include "filter/FilterCriteria.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "shell/DialogPage.h"
#include "tags/TagId.h"
#include "views/gui/BackgroundTasks.h"

namespace quillex {

class BytesPane;
class DialogService;
class FilterRow;
struct FilterOutcome;
struct OutputFormat;
class NormalView;
class ResultList;
class ResultListModel;
class RowActionMenu;
class Tagger;

// Handling pending events costs more than scanning a block, so the pump lets
// Qt run at most this often; a stop or a repaint waits no longer than this.
inline constexpr qint64 kPumpIntervalMs = 10;
// A scan shows its progress (the counts so far, the percent in the status
// cell) only once it has run this long, and then at most every interval.
inline constexpr qint64 kProgressQuietMs = 500;
inline constexpr qint64 kProgressIntervalMs = 100;

// Shown when a save could not write the whole file; the old file is kept.
inline constexpr const char* kUnableToWriteText = "Unable to write that file";

// What the pane of bytes says while no string is current.
inline constexpr const char* kNoCurrentStringText =
    "Choose a string to see the bytes of the file around it.";

// Shown instead of the Save dialog when the list holds no rows.
inline constexpr const char* kNothingToSaveText = "There is nothing to save: the list is empty.";

// Put before the time report of a scan that was stopped before its end.
inline constexpr const char* kStoppedReportPrefix = "Stopped.  ";

// Shown when the work of a background task could not get its memory.
inline constexpr const char* kNoMemoryText =
    "There is not enough memory to finish that. The list is as it was.";

// Shown after a scan whose store could not take every accepted string.
inline constexpr const char* kDroppedResultsFormat =
    "Not every string could be kept: memory ran out after %u results.\r\n"
    "%llu more strings found in this file are not shown.";

// The Search page (template 101): the file row, the view choice, the two
// result views, the status and count cells and the find row. It runs the
// scans: the Go command calls the engine synchronously and is the engine's
// host while the scan runs. What the user does with the results afterwards
// (sorts, Find, Copy, Save, the running text's layout) runs as background
// tasks, so the window never waits for them; the status cell says which one
// runs, and Escape takes them back. After each scan a task tags every result
// (the Tags column, the rows' tints, the tags of Copy as JSON and of the
// record formats Save writes).
class SearchPage : public DialogPage, public ScanHost {
  Q_OBJECT

 public:
  SearchPage(ScanEngine& engine, DialogService& dialogs, const DialogUnitScale& scale,
             QWidget* parent);
  ~SearchPage() override;

  // What the Go command runs first to normalise the criteria (the Filter
  // page's number fields).
  void SetCriteriaNormaliser(std::function<void()> normalise) {
    normaliseCriteria_ = std::move(normalise);
  }
  // The tab control, disabled while a scan runs so the page cannot change.
  void SetTabControl(QWidget* tabs) { tabs_ = tabs; }
  // Owner of the boxes that belong to the main window.
  void SetDialogOwner(QWidget* owner) { dialogOwner_ = owner; }
  // Called whenever a Go command that ran a scan has returned.
  void SetScanFinished(std::function<void()> callback) { scanFinished_ = std::move(callback); }
  // Called when the file whose results the views show changes: with its path
  // when a scan starts, with an empty path when the file could not be opened
  // and the views stay empty.
  void SetShownFileChanged(std::function<void(const std::string&)> callback) {
    shownFileChanged_ = std::move(callback);
  }
  // Called at every pump, before events are handled: lets tests act at a
  // known point of a scan.
  void SetPumpHook(std::function<void()> hook) { pumpHook_ = std::move(hook); }
  void SetScanOptions(const ScanOptions& options) { scanOptions_ = options; }

  // Routes a command through the page's command table; only while the page
  // is current. Returns true when the command was handled.
  bool Command(int controlId) override;

  // The path the file field stands for. Go takes what the user typed there
  // (with the command line's quote rule) before it scans; a path the program
  // put in the field itself is kept byte for byte, even where its name is not
  // valid text.
  [[nodiscard]] const std::string& FileName() const { return fileName_; }
  // Sets the path and shows it in the file field.
  void SetFileName(std::string fileName);
  // The file whose results the views show; empty before the first scan and
  // after one whose file could not be opened.
  [[nodiscard]] const std::string& ShownFile() const { return shownFile_; }
  [[nodiscard]] bool Scanning() const { return scanning_; }
  [[nodiscard]] bool StopRequested() const { return stopRequest_; }
  // What Stop does: the scan ends at its next pump.
  void RequestStop() { stopRequest_ = true; }

  // Sorts, finds, Copy, Save, the running text's layout and a scan's fill.
  [[nodiscard]] BackgroundTasks& Tasks() { return tasks_; }
  // What Escape does here: stops a scan; otherwise takes back the tasks that
  // wait or run and a Go that waits for them, leaving the views as they
  // were. Returns whether there was anything to stop.
  bool Escape();
  // A Go waits for a Save or Copy to finish before its scan starts.
  [[nodiscard]] bool GoWaiting() const { return goWaiting_; }
  // Before the program ends: cancels the tasks a scan would cancel and waits
  // for their workers. Returns whether a Save or Copy still runs, which the
  // program lets finish.
  bool PrepareToQuit();
  // Called whenever the last task has ended.
  void SetTasksIdle(std::function<void()> callback) { tasksIdle_ = std::move(callback); }
  [[nodiscard]] bool AdvancedView() const { return advancedView_; }
  [[nodiscard]] const ScanReport& LastReport() const { return lastReport_; }
  // Each result's indicator tags, by result number, once the tagging after
  // the last scan has finished; empty before, and from the start of a scan.
  [[nodiscard]] std::span<const TagSet> TagSets() const { return tagSets_; }

  [[nodiscard]] ResultListModel& Model() const { return *model_; }
  [[nodiscard]] ResultList* List() const { return list_; }
  [[nodiscard]] NormalView* Normal() const { return normal_; }
  [[nodiscard]] BytesPane* Bytes() const { return bytesPane_; }
  [[nodiscard]] RowActionMenu& RowActions() const { return *rowActions_; }
  // The result whose bytes the pane shows: the list's current row in the
  // advanced view, the string under the caret in the normal view; nothing
  // during a scan and when no file's results are shown.
  [[nodiscard]] std::optional<std::uint32_t> CurrentResult() const;

  // Shows the view the advanced-view flag selects and hides the other.
  void SwitchViews();

  // What the window's shortcuts do here. A command runs only while its
  // control is enabled, so no shortcut acts during a scan; returns whether it
  // ran.
  bool ShortcutCommand(int controlId);
  // Puts the focus in the Find field with its text selected.
  void FocusFind();
  // Puts the focus in the filter row's text field with its text selected.
  void FocusFilter();

  // The filter row above the views.
  [[nodiscard]] FilterRow& Filter() const { return *filterRow_; }
  // Runs the filter in force again over every result: after the results'
  // tags have been found, or whenever the rows it depends on changed.
  void ReapplyFilter();

  // The list's Copy, on the popup menu and on Ctrl+C.
  bool eventFilter(QObject* watched, QEvent* event) override;

  // ScanHost.
  void ShowCount(StringKind kind, std::uint32_t count) override;
  bool ScanPump() override;
  void ShowProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint32_t ansiSoFar,
                    std::uint32_t unicodeSoFar) override;
  void WarnDamagedResources() override;
  void ReportOpenFailure(const std::string& path, const std::string& reason) override;
  void FillViews() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void GoCommand();
  void BrowseCommand();
  void AdvancedViewCommand();
  void FindCommand();
  void SaveCommand();
  void StartSave(const std::string& path, const OutputFormat& format);
  void CopyCommand();
  // The tagging of the scan just filled in, as a background task.
  void StartTagging();
  // Takes a finished tagging's sets: the Tags column, the tints, Copy as
  // JSON, and a filter by tag applied before they came.
  void ApplyTags(std::vector<TagSet> tags);
  // Before a scan: the old results' tags go.
  void ForgetTags();
  // The one tagger, made (the suffix list opened) at the first need.
  const Tagger& SharedTagger();
  // The status cell, the busy cursor and a waiting Go, after the tasks
  // changed.
  void TasksChanged();
  void BytesCommand();
  // Gives the pane of bytes the bottom of the views' rectangle while it
  // shows, and the views the whole rectangle while it does not.
  void FitBytesPane();
  // Reads the bytes around the current result again when it has changed
  // (always after `forget`); only while the pane shows.
  void UpdateBytesPane();
  void ForgetBytesPaneResult() { bytesPaneResult_.reset(); }
  void ConnectBytesPane();
  // Sets the status text and paints it at once, before a long operation.
  void ShowStatus(const char* text);
  void RunScanOfFile();
  void ShowReport();
  // Takes the text of the file field as the file name when the user changed it.
  void TakeTypedFileName();
  void SetShownFile(const std::string& path);
  void SetUpAccessibility();
  void SetUpToolTips();
  void SetUpTabOrder();
  void SetScanControlsEnabled(bool enabled);
  void SetViewsDrawing(bool drawing);
  // Swaps in what a filter run found: the list's rows and, for the running
  // text, the shown strings.
  void ApplyFilterOutcome(FilterOutcome outcome);
  // The running text of every result again, after a filter ends.
  void ShowWholeRunningText();
  // Keeps a running text alive until no worker can still read it.
  void RetireFilteredText();

  ScanEngine& engine_;
  DialogService& dialogs_;
  // Read by the workers of the tag task and of Save, so declared before the
  // tasks: they are destroyed after the workers are joined.
  std::unique_ptr<Tagger> tagger_;
  // Each result's tags, by result number, when the tagging of the last scan
  // has finished; empty otherwise. It goes from empty to full only when a
  // tagging ends, and back to empty only when a scan starts, after every
  // task that reads it has stopped; so work given a span of it never sees
  // its memory go.
  std::vector<TagSet> tagSets_;
  // Destroyed before the views: its workers are joined while everything
  // they read still exists.
  BackgroundTasks tasks_;
  ResultListModel* model_;
  ResultList* list_;
  NormalView* normal_;
  BytesPane* bytesPane_;
  RowActionMenu* rowActions_;
  FilterRow* filterRow_;
  // The running text of the shown strings while a filter applies (each
  // followed by a NUL, as in the pool), the normal view's bytes; null while
  // the view shows the whole pool.
  std::shared_ptr<const std::string> filteredText_;
  // The result of each string of filteredText_, in text order.
  std::vector<std::uint32_t> filteredTextResults_;
  // Whether the normal view shows the strings the list shows: false when a
  // filter was applied in the advanced view, which made no running text.
  bool textFollowsFilter_ = true;
  // Old running texts that a worker (a layout, a Find) may still read.
  std::vector<std::shared_ptr<const std::string>> retiredTexts_;
  std::function<void()> normaliseCriteria_;
  QWidget* tabs_ = nullptr;
  QWidget* dialogOwner_ = nullptr;
  std::function<void()> scanFinished_;
  std::function<void(const std::string&)> shownFileChanged_;
  std::function<void()> pumpHook_;
  std::function<void()> tasksIdle_;
  ScanOptions scanOptions_;
  ScanReport lastReport_;
  std::string fileName_;
  // The text the program last put in the file field; other text was typed.
  QString fileFieldText_;
  std::string shownFile_;
  // Where a stop ended the last scan: nowhere, in the byte passes (ANSI and
  // Unicode) or in the resource pass.
  enum class StopPoint { None, BytePasses, ResourcePass };
  StopPoint stopPoint_ = StopPoint::None;
  bool resourcePassStarted_ = false;
  bool scanning_ = false;
  bool stopRequest_ = false;
  bool advancedView_ = true;
  bool goWaiting_ = false;
  // The rows whose texts fit the Text column after a scan, found by its fill.
  std::vector<std::uint32_t> fitRows_;
  bool bytesShown_ = false;
  // The result the pane shows the bytes of.
  std::optional<std::uint32_t> bytesPaneResult_;
  QElapsedTimer pumpClock_;
  QElapsedTimer progressClock_;
  qint64 lastProgressMs_ = -1;
};

}  // namespace quillex
