#include "shell/MainWindow.h"

// Standard library
#include <string>

// Qt
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPalette>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QUrl>

// Quillex
#include "filter/page/FilterPage.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "shell/AppIcon.h"
#include "shell/ControlIds.h"
#include "shell/DialogUnits.h"
#include "shell/HelpPage.h"
#include "shell/Logo.h"
#include "shell/OpenPath.h"
#include "shell/ProgramTitle.h"
#include "shell/SearchPage.h"
#include "shell/TabContainer.h"
#include "shell/TabControl.h"

namespace quillex {

QFont BoldGroupFont() {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("Microsoft Sans Serif"),
                               QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                               QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  font.setBold(true);
  return font;
}

QString WindowTitleFor(const std::string& path) {
  if (path.empty()) {
    return QString::fromLatin1(kProgramTitle);
  }
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return QFile::decodeName(QByteArray::fromStdString(name)) + QStringLiteral(" \u2014 ") +
         QString::fromLatin1(kProgramName);
}

MainWindow::MainWindow(ScanEngine& engine, DialogService& dialogs, QWidget* parent)
    : QWidget(parent),
      tracker_(PixelSize{kInitialClientWidth, kInitialClientHeight}),
      quit_([] { QCoreApplication::quit(); }) {
  setWindowTitle(QString::fromLatin1(kProgramTitle));
  setWindowIcon(MakeAppIcon());
  // The background behind the container, white in a light theme, dark in a
  // dark one.
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);

  // The minimum applies from the start, so the first layout below cannot
  // make the window smaller than its first size either.
  setMinimumSize(kInitialClientWidth, kInitialClientHeight);
  resize(kInitialClientWidth, kInitialClientHeight);
  setAcceptDrops(true);

  const QFont dialogFont = DialogFont();
  setFont(dialogFont);
  const DialogUnitScale scale = ScaleForFont(dialogFont);

  container_ = new TabContainer(MakeLogoImage(), scale, this);
  search_ = new SearchPage(engine, dialogs, scale, container_);
  filter_ = new FilterPage(engine.table, engine.criteria, scale, container_);
  help_ = new HelpPage(scale, container_);
  container_->AddPage("Search", SearchPageLayout(), search_);
  container_->AddPage("Filter", FilterPageLayout(), filter_);
  container_->AddPage("Help", HelpPageLayout(), help_);
  search_->SetCriteriaNormaliser([this] { filter_->NormaliseNumbers(); });
  search_->SetTabControl(container_->Tabs());
  search_->SetDialogOwner(this);
  search_->SetScanFinished([this] { ScanFinished(); });
  search_->SetTasksIdle([this] { QuitIfDone(); });
  search_->SetShownFileChanged(
      [this](const std::string& path) { setWindowTitle(WindowTitleFor(path)); });
  search_->SwitchViews();

  InitialLayout();

  const QFont bold = BoldGroupFont();
  for (const PageRow& row : container_->Pages()) {
    row.page->ApplyFontFlags(row.layout, bold);
  }
  CreateShortcuts();
}

MainWindow::~MainWindow() = default;

void MainWindow::InitialLayout() {
  const PixelSize size = container_->TemplateSize();
  resize(size.width, size.height);
  // The pages are not laid out yet: this size only becomes the base of the
  // first change.
  (void)tracker_.OnSize(PixelSize{width(), height()}, false);
  container_->move(0, 0);
  container_->PlacePages();
  container_->show();
  container_->SelectPage(0, false);
  search_->setFocus();
}

void MainWindow::FitToScreen(const QRect& available) {
  const PixelSize design = container_->TemplateSize();
  const WindowFit fit = FitWindow(
      design, PixelSize{kInitialClientWidth, kInitialClientHeight},
      PixelRect{available.left(), available.top(), available.right() + 1, available.bottom() + 1},
      PixelSize{kFrameWidth, kFrameHeight});
  setMinimumSize(fit.minimum.width, fit.minimum.height);
  resize(fit.client.width, fit.client.height);
  move(fit.x, fit.y);
}

void MainWindow::FitToScreen() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    FitToScreen(screen->availableGeometry());
  }
}

void MainWindow::OpenPath(std::string_view text) {
  search_->SetFileName(FileNameFromPathText(text));
  activateWindow();
  container_->SelectPage(0, true);
  // Posted, not called: the scan starts when the event loop dispatches it,
  // and during a scan it arrives at a pump as Stop.
  SearchPage* search = search_;
  QMetaObject::invokeMethod(
      search, [search] { search->Command(kGoButton); }, Qt::QueuedConnection);
}

void MainWindow::CreateShortcuts() {
  // KDE's and GNOME's keys for these commands. None of them is Alt with a
  // letter, so the buttons' and boxes' own Alt+letter keys (Alt+G Go, Alt+T
  // Stop, Alt+B Browse, Alt+V Advanced view, Alt+F Find, Alt+S Save, Alt+L
  // Clear, Alt+D Restore defaults) keep working beside them.
  AddShortcut("Browse", {QKeySequence(Qt::CTRL | Qt::Key_O)},
              [this] { SearchShortcut(kBrowseButton); });
  AddShortcut("Save", {QKeySequence(Qt::CTRL | Qt::Key_S)},
              [this] { SearchShortcut(kSaveButton); });
  AddShortcut("Find", {QKeySequence(Qt::CTRL | Qt::Key_F)}, [this] {
    if (search_->Control(kFindEdit)->isEnabled()) {
      container_->SelectPage(0, true);
      search_->FocusFind();
    }
  });
  AddShortcut("Find again", {QKeySequence(Qt::Key_F3)}, [this] { SearchShortcut(kFindButton); });
  // The filter row's field, as Ctrl+L reaches the location or filter bar
  // of GNOME's and KDE's file managers and browsers; Ctrl+F stays Find.
  AddShortcut("Filter", {QKeySequence(Qt::CTRL | Qt::Key_L)}, [this] {
    if (search_->Control(kFilterEdit)->isEnabled()) {
      container_->SelectPage(0, true);
      search_->FocusFilter();
    }
  });
  // Escape stops a scan, or else takes back the sorts, finds, copies and
  // saves that wait or run. A field that gives Escape a meaning of its own
  // takes the key first (ShortcutOverride) while that meaning applies.
  AddShortcut("Stop", {QKeySequence(Qt::Key_Escape)}, [this] { search_->Escape(); });
  AddShortcut("Quit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] { close(); });
  AddShortcut("Next page",
              {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
              [this] { container_->SelectNeighbourPage(1); });
  // Shift+Tab arrives as Backtab.
  AddShortcut(
      "Previous page",
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
      [this] { container_->SelectNeighbourPage(-1); });
}

void MainWindow::AddShortcut(const char* command, const QList<QKeySequence>& keys,
                             std::function<void()> run) {
  auto* action = new QAction(QString::fromLatin1(command), this);
  action->setObjectName(QString::fromLatin1(command));
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
  addAction(action);
}

QList<QKeySequence> MainWindow::ShortcutKeys(const QString& command) const {
  for (const QAction* action : actions()) {
    if (action->objectName() == command) {
      return action->shortcuts();
    }
  }
  return {};
}

void MainWindow::SearchShortcut(int controlId) {
  // A disabled control (during a scan) takes no key; otherwise the command
  // runs where its button is.
  const QWidget* control = search_->Control(controlId);
  if (control == nullptr || !control->isEnabled()) {
    return;
  }
  container_->SelectPage(0, true);
  search_->ShortcutCommand(controlId);
}

void MainWindow::ScanFinished() {
  if (quitPending_) {
    search_->PrepareToQuit();
    QuitIfDone();
  }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const std::optional<PixelSize> change =
      tracker_.OnSize(PixelSize{event->size().width(), event->size().height()}, isMinimized());
  if (change) {
    RunLayoutPass(*this, change->width, change->height);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window goes at once; the program ends now, or when a running scan
  // has returned to the event loop.
  event->ignore();
  hide();
  if (search_->Scanning()) {
    search_->RequestStop();
    quitPending_ = true;
    return;
  }
  // Sorts and finds are dropped; a file being saved (or text being copied)
  // is finished first, out of sight.
  quitPending_ = true;
  search_->PrepareToQuit();
  QuitIfDone();
}

void MainWindow::QuitIfDone() {
  if (quitPending_ && !search_->Scanning() && !search_->Tasks().Busy()) {
    quitPending_ = false;
    quit_();
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  // Only the first file is taken; the others are ignored.
  if (urls.isEmpty()) {
    return;
  }
  const QString path = urls.front().toLocalFile();
  if (path.isEmpty()) {
    return;
  }
  event->acceptProposedAction();
  OpenPath(QFile::encodeName(path).toStdString());
}

PixelSize MainWindow::TabControlSize() const {
  return PixelSize{container_->Tabs()->width(), container_->Tabs()->height()};
}

void MainWindow::ResizeTabControl(PixelSize size) {
  container_->Tabs()->resize(size.width, size.height);
}

PixelSize MainWindow::ContainerSize() const {
  return PixelSize{container_->width(), container_->height()};
}

void MainWindow::ResizeContainer(PixelSize size) {
  container_->resize(size.width, size.height);
}

LayoutSurface& MainWindow::ContainerSurface() {
  return *container_;
}

int MainWindow::DesignWidth() const {
  return container_->TemplateSize().width;
}

int MainWindow::LogoColumnWidth() const {
  return container_->LogoColumnWidth();
}

bool MainWindow::LogoShown() const {
  return container_->LogoShown();
}

void MainWindow::SetLogoShown(bool shown) {
  container_->SetLogoShown(shown);
}

int MainWindow::PageCount() const {
  return static_cast<int>(container_->Pages().size());
}

LayoutSurface& MainWindow::PageSurface(int page) {
  return *container_->Pages()[static_cast<std::size_t>(page)].page;
}

std::span<const LayoutEntry> MainWindow::PageLayout(int page) const {
  return container_->Pages()[static_cast<std::size_t>(page)].layout;
}

PixelSize MainWindow::PageSize(int page) const {
  const DialogPage* window = container_->Pages()[static_cast<std::size_t>(page)].page;
  return PixelSize{window->width(), window->height()};
}

void MainWindow::ResizePage(int page, PixelSize size) {
  container_->Pages()[static_cast<std::size_t>(page)].page->resize(size.width, size.height);
}

PixelSize MainWindow::PageAreaSize(int page) const {
  const QScrollArea* area = container_->Pages()[static_cast<std::size_t>(page)].area;
  return PixelSize{area->width(), area->height()};
}

void MainWindow::ResizePageArea(int page, PixelSize size) {
  // The area stays on the tab control's display area, which moves left and
  // back when the logo's column is given up and taken again.
  container_->Pages()[static_cast<std::size_t>(page)].area->setGeometry(
      QRect(container_->PageArea().topLeft(), QSize(size.width, size.height)));
}

PixelSize MainWindow::PageMinimumSize(int page) const {
  return container_->Pages()[static_cast<std::size_t>(page)].page->SmallestSize();
}

int MainWindow::ScrollBarExtent() const {
  const QScrollArea* area = container_->Pages().front().area;
  return area->verticalScrollBar()->sizeHint().width();
}

}  // namespace quillex
