// Switches every help balloon of the program on and off at once: while off, tool-tip events
// are swallowed before any widget sees them, so the texts stay set on the controls.
#pragma once

#include <QObject>

namespace varnholt {

class ToolTipSwitch : public QObject {
  Q_OBJECT
 public:
  explicit ToolTipSwitch(QObject* parent = nullptr);
  ~ToolTipSwitch() override;
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool enabled_ = true;
};

}  // namespace varnholt
