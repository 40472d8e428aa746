#pragma once

// Standard library
#include <functional>
#include <string>
#include <string_view>

// Qt
#include <QFont>
#include <QKeySequence>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

// Quillex
#include "shell/LayoutPass.h"
#include "shell/ResizeTracker.h"

namespace quillex {

class DialogService;
class FilterPage;
class HelpPage;
class SearchPage;
class TabContainer;
struct ScanEngine;

// The window's first rectangle, frame included, as the program has always
// opened it; it is centred on the screen.
inline constexpr int kInitialWindowWidth = 587;
inline constexpr int kInitialWindowHeight = 402;
// The frame of that window around its client area: 4-pixel sizing borders and
// a 19-pixel caption. Qt sizes the client area and the window system adds its
// own frame outside it, so the client area starts at 579 x 375 pixels, which
// is also the smallest the user may make it: exactly the container at the
// dialog font's usual scale.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 27;
inline constexpr int kInitialClientWidth = kInitialWindowWidth - kFrameWidth;
inline constexpr int kInitialClientHeight = kInitialWindowHeight - kFrameHeight;

// The program's name in the title of a window that shows a file's results.
inline constexpr const char* kProgramName = "Quillex";

// The bold font of the Filter page's group boxes.
[[nodiscard]] QFont BoldGroupFont();

// The window's title while it shows the results of `path`: the file's name,
// then the program's ("setup.exe — Quillex"); the program's title with its
// version when it shows none.
[[nodiscard]] QString WindowTitleFor(const std::string& path);

// The one top-level window: the tab container with its three pages fills it.
// It keeps the pages laid out when it is resized, takes dropped files, and
// turns a close during a scan into a stop followed by the end of the program,
// and a close during a Save into the end of the program once it is written.
class MainWindow : public QWidget, public LayoutWindows {
  Q_OBJECT

 public:
  MainWindow(ScanEngine& engine, DialogService& dialogs, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Takes one path text (a command line or a dropped file): the file name
  // with the quote rule, shown on the Search page; the Search page selected;
  // and a Go posted, so that the scan starts once the event loop runs. The
  // title names the file once its scan starts.
  void OpenPath(std::string_view text);

  // Called just before the window is first shown: from then on size events
  // lay the pages out.
  void SetLayoutReady() { tracker_.SetLayoutReady(); }
  // Sizes and places the window within `available` (the screen's area less
  // its panels), in the screen's logical pixels; needs the layout ready.
  // FitToScreen() uses the primary screen.
  void FitToScreen(const QRect& available);
  void FitToScreen();
  [[nodiscard]] const ResizeTracker& Tracker() const { return tracker_; }

  // How the program ends; tests replace it to see that it happens.
  void SetQuitFunction(std::function<void()> quit) { quit_ = std::move(quit); }
  // A close arrived during a scan or a Save; the program ends when it is over.
  [[nodiscard]] bool QuitPending() const { return quitPending_; }

  [[nodiscard]] TabContainer* Container() const { return container_; }
  [[nodiscard]] SearchPage* Search() const { return search_; }
  [[nodiscard]] FilterPage* Filter() const { return filter_; }
  [[nodiscard]] HelpPage* Help() const { return help_; }

  // The keys of the window's commands, by the command's name ("Browse",
  // "Find again", "Next page"...); empty for an unknown name.
  [[nodiscard]] QList<QKeySequence> ShortcutKeys(const QString& command) const;

  // LayoutWindows.
  [[nodiscard]] PixelSize TabControlSize() const override;
  void ResizeTabControl(PixelSize size) override;
  [[nodiscard]] PixelSize ContainerSize() const override;
  void ResizeContainer(PixelSize size) override;
  LayoutSurface& ContainerSurface() override;
  [[nodiscard]] int DesignWidth() const override;
  [[nodiscard]] int LogoColumnWidth() const override;
  [[nodiscard]] bool LogoShown() const override;
  void SetLogoShown(bool shown) override;
  [[nodiscard]] int PageCount() const override;
  LayoutSurface& PageSurface(int page) override;
  [[nodiscard]] std::span<const LayoutEntry> PageLayout(int page) const override;
  [[nodiscard]] PixelSize PageSize(int page) const override;
  void ResizePage(int page, PixelSize size) override;
  [[nodiscard]] PixelSize PageAreaSize(int page) const override;
  void ResizePageArea(int page, PixelSize size) override;
  [[nodiscard]] PixelSize PageMinimumSize(int page) const override;
  [[nodiscard]] int ScrollBarExtent() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void InitialLayout();
  void ScanFinished();
  // Ends the program when a close is pending and neither a scan nor a task
  // runs any more.
  void QuitIfDone();
  void CreateShortcuts();
  void AddShortcut(const char* command, const QList<QKeySequence>& keys, std::function<void()> run);
  // Runs a Search page command from the keyboard, on the Search page.
  void SearchShortcut(int controlId);

  ResizeTracker tracker_;
  TabContainer* container_ = nullptr;
  SearchPage* search_ = nullptr;
  FilterPage* filter_ = nullptr;
  HelpPage* help_ = nullptr;
  std::function<void()> quit_;
  bool quitPending_ = false;
};

}  // namespace quillex
