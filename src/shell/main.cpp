// The desktop program: sets up the engine's process-wide objects, the main
// window and its pages, hands a file named on the command line to the scan,
// runs the event loop and releases everything at the end.

// Standard library
#include <cstdio>
#include <memory>
#include <string>

// Qt
#include <QApplication>

// Quillex
#include "platform/qt/QtDialogService.h"
#include "scan/ScanDriver.h"
#include "shell/MainWindow.h"
#include "shell/OpenPath.h"
#include "store/PoolSteps.h"

namespace {

constexpr const char* kUsage =
    "usage: quillex [FILE]\n"
    "Opens the Quillex window and scans FILE for its ANSI, Unicode and resource\n"
    "strings; without FILE the window opens empty.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Everything after the program's name is one path: the arguments are joined\n"
    "by single blanks, and a path that begins with a double quote loses it and\n"
    "its last character. These options count only as the first argument; a file\n"
    "whose name begins with \"-\" is named with its folder, as in: quillex ./-name\n"
    "The options of Qt (-style, -platform and others) are accepted too.\n"
    "quillex-scan prints the same strings on the command line.\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts, so that they need no display.
  switch (quillex::StartRequestFor(argc, argv)) {
    case quillex::StartRequest::Help:
      std::fputs(kUsage, stdout);
      // A full disk or a closed pipe is a failure, not a printed help.
      return std::fflush(stdout) == 0 ? 0 : 1;
    case quillex::StartRequest::Version:
      std::printf("quillex %s\n", QUILLEX_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case quillex::StartRequest::Open:
      break;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationVersion(QStringLiteral(QUILLEX_VERSION));
  // The desktop file's name, so the window is matched to its launcher and
  // shown with the installed icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(QUILLEX_APP_ID));
  // The main window decides when the program ends: a close during a scan
  // waits until the scan has returned.
  QApplication::setQuitOnLastWindowClosed(false);

  auto engine = std::make_unique<quillex::ScanEngine>();
  // The Filter page shows the table as it is when the page is made.
  engine->table.RestoreDefaults();

  quillex::QtDialogService dialogs;
  {
    quillex::MainWindow window(*engine, dialogs);
    quillex::UseScanPoolSteps(engine->store.Pool());

    // QApplication has taken its own options out of argv by now.
    const std::string path = quillex::JoinArguments(argc, argv);
    if (!path.empty()) {
      window.OpenPath(path);
    }
    window.SetLayoutReady();
    window.FitToScreen();
    window.show();
    QApplication::exec();

    engine->store.Clear();
    engine->map.Release();
  }
  return 0;
}
