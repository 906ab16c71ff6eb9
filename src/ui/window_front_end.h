// The desktop program's front end: builds the main window during start-up, carries the
// worker's button texts and page refreshes over to the user-interface thread, and takes the
// window down at shutdown.
#pragma once

#include <QPointer>
#include <atomic>

#include "program/program.h"
#include "ui/main_window.h"

namespace varnholt {

class QtPresenter;

class WindowFrontEnd final : public FrontEnd {
 public:
  // `presenter` centres its boxes on the window once it exists (may be null).
  explicit WindowFrontEnd(QtPresenter* presenter = nullptr) : presenter_(presenter) {}
  // The program the window shows; set before its start-up runs.
  void Attach(Program* program) { program_ = program; }

  bool CreateMainWindow() override;
  void SetStartButtonText(const char* text) override;
  void SetPauseButtonText(const char* text) override;
  void RefreshPages() override;
  int ShownPage() const override { return shown_page_; }
  void DestroyWindows() override;

  // After start-up: shows the tables on the pages and the window on the desktop.
  void ShowMainWindow();
  MainWindow* Window() const { return window_; }

 private:
  Program* program_ = nullptr;
  QtPresenter* presenter_;
  QPointer<MainWindow> window_;
  // Written by the user-interface thread as tabs change, read by the worker.
  std::atomic<int> shown_page_{0};
};

}  // namespace varnholt
