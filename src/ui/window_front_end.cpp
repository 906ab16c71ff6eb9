#include "ui/window_front_end.h"

#include <QApplication>
#include <QMetaObject>
#include <QPushButton>
#include <QTabWidget>

#include "ui/qt_presenter.h"

namespace varnholt {

bool WindowFrontEnd::CreateMainWindow() {
  if (program_ == nullptr) return false;
  window_ = new MainWindow(*program_);
  if (presenter_ != nullptr) presenter_->SetParentWindow(window_);
  // The worker refreshes the status around every Command; the window shows it on its own
  // thread, and not at all once it is gone.
  QObject::connect(window_->Tabs(), &QTabWidget::currentChanged,
                   [this](int index) { shown_page_ = index; });
  QPointer<MainWindow> window = window_;
  program_->Status().SetObserver([window](const StatusTexts& texts) {
    QMetaObject::invokeMethod(
        qApp,
        [window, texts] {
          if (window) window->ShowStatus(texts);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void WindowFrontEnd::SetStartButtonText(const char* text) {
  if (window_) window_->PostStartButtonText(text);
}

void WindowFrontEnd::SetPauseButtonText(const char* text) {
  if (window_) window_->PostPauseButtonText(text);
}

void WindowFrontEnd::RefreshPages() {
  if (window_) window_->PostRefreshPages();
}

void WindowFrontEnd::ShowMainWindow() {
  if (!window_) return;
  window_->ShowStatus(program_->Status().Texts());
  window_->Button(BarButton::kStart)
      ->setText(program_->Supervision().ServerRunning() ? "Stop" : "Start");
  window_->ReloadAllPages();
  window_->show();
}

void WindowFrontEnd::DestroyWindows() {
  if (program_ != nullptr) program_->Status().SetObserver(nullptr);
  if (presenter_ != nullptr) presenter_->SetParentWindow(nullptr);
  if (!window_) return;
  window_->Detach();
  window_->hide();
  // Shutdown may run inside one of the window's own handlers (Exit, close).
  window_->deleteLater();
  window_ = nullptr;
}

}  // namespace varnholt
