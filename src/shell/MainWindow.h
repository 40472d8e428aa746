#pragma once

// Standard library
#include <functional>
#include <string_view>

// Qt
#include <QFont>
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

// The bold font of the Filter page's group boxes.
[[nodiscard]] QFont BoldGroupFont();

// The one top-level window: the tab container with its three pages fills it.
// It keeps the pages laid out when it is resized, takes dropped files, and
// turns a close during a scan into a stop followed by the end of the program.
class MainWindow : public QWidget, public LayoutWindows {
  Q_OBJECT

 public:
  MainWindow(ScanEngine& engine, DialogService& dialogs, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Takes one path text (a command line or a dropped file): the file name
  // with the quote rule, shown on the Search page; the title set to the text
  // exactly; the Search page selected; and a Go posted, so that the scan
  // starts once the event loop runs.
  void OpenPath(std::string_view text);

  // Called just before the window is first shown: from then on size events
  // lay the pages out.
  void SetLayoutReady() { tracker_.SetLayoutReady(); }
  [[nodiscard]] const ResizeTracker& Tracker() const { return tracker_; }

  // How the program ends; tests replace it to see that it happens.
  void SetQuitFunction(std::function<void()> quit) { quit_ = std::move(quit); }
  // A close arrived during a scan; the program ends when the scan returns.
  [[nodiscard]] bool QuitPending() const { return quitPending_; }

  [[nodiscard]] TabContainer* Container() const { return container_; }
  [[nodiscard]] SearchPage* Search() const { return search_; }
  [[nodiscard]] FilterPage* Filter() const { return filter_; }
  [[nodiscard]] HelpPage* Help() const { return help_; }

  // LayoutWindows.
  [[nodiscard]] PixelSize TabControlSize() const override;
  void ResizeTabControl(PixelSize size) override;
  [[nodiscard]] PixelSize ContainerSize() const override;
  void ResizeContainer(PixelSize size) override;
  LayoutSurface& ContainerSurface() override;
  [[nodiscard]] int PageCount() const override;
  LayoutSurface& PageSurface(int page) override;
  [[nodiscard]] std::span<const LayoutEntry> PageLayout(int page) const override;
  [[nodiscard]] PixelSize PageSize(int page) const override;
  void ResizePage(int page, PixelSize size) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void InitialLayout();
  void ScanFinished();

  ResizeTracker tracker_;
  TabContainer* container_ = nullptr;
  SearchPage* search_ = nullptr;
  FilterPage* filter_ = nullptr;
  HelpPage* help_ = nullptr;
  std::function<void()> quit_;
  bool quitPending_ = false;
};

}  // namespace quillex
