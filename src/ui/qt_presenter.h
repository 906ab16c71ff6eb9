// Message boxes and sounds of the desktop program. A box asked for on the user-interface
// thread is modal and returns the button pressed; one asked for by the worker (a failed
// automatic restart, a schedule failure) is shown without waiting, so supervision never
// hangs on an operator who is away, and counts as answered with OK.
#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <thread>

#include "log/event_log.h"

class QWidget;

namespace varnholt {

class QtPresenter final : public QObject, public MessagePresenter {
  Q_OBJECT
 public:
  QtPresenter();
  // Boxes are centred on this window once it exists.
  void SetParentWindow(QWidget* window) { parent_ = window; }
  int ShowBox(int kind, const char* title, const std::string& text) override;
  bool PlaySound(int sound) override;

 private:
  int ShowModal(int kind, const QString& title, const QString& text);
  void ShowWithoutWaiting(int kind, const QString& title, const QString& text);

  std::thread::id ui_thread_;
  QPointer<QWidget> parent_;
};

}  // namespace varnholt
