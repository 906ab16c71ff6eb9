// The program information window.
#pragma once

#include <QDialog>

namespace varnholt {

class AboutWindow : public QDialog {
  Q_OBJECT
 public:
  explicit AboutWindow(QWidget* parent = nullptr);
};

}  // namespace varnholt
