#include "ui/tool_tip_switch.h"

#include <QApplication>
#include <QEvent>
#include <QToolTip>

namespace varnholt {

ToolTipSwitch::ToolTipSwitch(QObject* parent) : QObject(parent) {
  qApp->installEventFilter(this);
}

ToolTipSwitch::~ToolTipSwitch() {
  qApp->removeEventFilter(this);
}

void ToolTipSwitch::SetEnabled(bool on) {
  enabled_ = on;
  if (!on) QToolTip::hideText();
}

bool ToolTipSwitch::eventFilter(QObject* watched, QEvent* event) {
  if (!enabled_ && event->type() == QEvent::ToolTip) return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace varnholt
