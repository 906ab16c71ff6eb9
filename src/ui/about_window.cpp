#include "ui/about_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "log/event_log.h"
#include "varnholt_version.h"

namespace varnholt {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Varnholt");
  auto* layout = new QVBoxLayout(this);
  auto* banner = new QLabel(QString::fromUtf8(kProgramBanner), this);
  QFont font = banner->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.3);
  banner->setFont(font);
  layout->addWidget(banner);
  layout->addWidget(
      new QLabel(QString("Version %1\n\nManager for the Ashfront dedicated server: supervision, "
                         "settings, maps, bans, auto-admin, schedule and remote administration.")
                     .arg(QString::fromUtf8(kVersionText)),
                 this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  layout->addWidget(buttons);
}

}  // namespace varnholt
