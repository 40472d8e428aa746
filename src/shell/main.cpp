// The desktop program: sets up the engine's process-wide objects, the main
// window and its pages, hands a file named on the command line to the scan,
// runs the event loop and releases everything at the end.

// Standard library
#include <memory>
#include <string>

// Qt
#include <QApplication>

// Quillex
#include "platform/qt/QtDialogService.h"
#include "scan/ScanDriver.h"
#include "shell/MainWindow.h"
#include "shell/OpenPath.h"
#include "shell/PoolSteps.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The main window decides when the program ends: a close during a scan
  // waits until the scan has returned.
  QApplication::setQuitOnLastWindowClosed(false);

  auto engine = std::make_unique<quillex::ScanEngine>();
  // The Filter page shows the table as it is when the page is made.
  engine->table.RestoreDefaults();

  quillex::QtDialogService dialogs;
  {
    quillex::MainWindow window(*engine, dialogs);
    engine->store.Pool().SetByteStep(quillex::kPoolByteStep);
    engine->store.Pool().SetIndexStep(quillex::kPoolIndexStep);

    // QApplication has taken its own options out of argv by now.
    const std::string path = quillex::JoinArguments(argc, argv);
    if (!path.empty()) {
      window.OpenPath(path);
    }
    window.SetLayoutReady();
    window.show();
    QApplication::exec();

    engine->store.Clear();
    engine->map.Release();
  }
  return 0;
}
