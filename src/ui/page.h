// One page of the main window's tabs. A page shows the in-memory tables and edits them on the
// user-interface thread; anything slow or anything that talks to the server is queued as a
// Command for the worker. Reload() is called when the page is shown and after the worker has
// finished Commands, so it must be cheap when nothing changed.
#pragma once

#include <QWidget>

namespace varnholt {

class Program;

class Page : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  // Shows the tables' current content.
  virtual void Reload() = 0;
};

}  // namespace varnholt
