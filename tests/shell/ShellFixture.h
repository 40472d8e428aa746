#pragma once

// A main window over a fresh engine, with recorded dialogs and a counted quit,
// for the tests that drive the real widgets.

// Standard library
#include <memory>
#include <string>
#include <vector>

// Qt
#include <QCoreApplication>
#include <QPushButton>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

// Quillex
#include "scan/ScanDriver.h"
#include "shell/ControlIds.h"
#include "shell/MainWindow.h"
#include "shell/SearchPage.h"
#include "shell/ShellTestSupport.h"
#include "store/PoolSteps.h"
#include "store/StringKind.h"

namespace quillex::testing {

class ShellFixture : public ::testing::Test {
 protected:
  ShellFixture() {
    engine_.table.RestoreDefaults();
    window_ = std::make_unique<MainWindow>(engine_, dialogs_);
    UseScanPoolSteps(engine_.store.Pool());
    window_->SetQuitFunction([this] { ++quits_; });
  }

  SearchPage& Search() const { return *window_->Search(); }
  QString Text(int controlId) const { return Search().ControlText(controlId); }
  QPushButton& GoButton() const { return *Search().ControlAs<QPushButton>(kGoButton); }

  // Runs a Go command as a click of the button would.
  void Go() { ASSERT_TRUE(Search().Command(kGoButton)); }
  void ScanFile(const std::string& path) {
    Search().SetFileName(path);
    Go();
  }
  // Lets the page's background tasks (sorts, Find, Copy, Save, layouts)
  // finish and their results be applied.
  void WaitForTasks() const {
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Search().Tasks().Busy(); }, 60000));
  }
  // Lets posted events (the Go that Open path posts) run.
  static void RunPostedEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }

  // The texts of the stored results of one kind, in store order.
  std::vector<std::string> Results(StringKind kind) const {
    std::vector<std::string> texts;
    for (std::uint32_t i = 0; i < engine_.store.Count(); ++i) {
      if (engine_.store.Kind(i) == kind) {
        texts.emplace_back(engine_.store.Text(i));
      }
    }
    return texts;
  }

  ScanEngine engine_;
  FakeDialogService dialogs_;
  std::unique_ptr<MainWindow> window_;
  TempDir dir_;
  int quits_ = 0;
};

}  // namespace quillex::testing
