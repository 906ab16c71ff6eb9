// The Status page: the server status summary, one labelled line per field, with an icon
// for a running or stopped server. The worker builds the summary (monitor tick, page
// refresh); the page shows the text it kept.
#pragma once

#include <array>
#include <string>

#include "gamelink/status_summary.h"
#include "ui/page.h"

class QLabel;

namespace varnholt {

class StatusPage : public Page {
  Q_OBJECT
 public:
  explicit StatusPage(Program& program, QWidget* parent = nullptr);

  void Reload() override;

  // The label of field `index` (0: the server name) and the state icon, for tests.
  QLabel* FieldLabel(size_t index) const { return fields_[index]; }
  bool ShowsRunning() const { return shown_.running; }

 private:
  Program& program_;
  QLabel* icon_ = nullptr;
  std::array<QLabel*, kStatusFieldCount> fields_{};
  StatusPageLines shown_;
  bool shown_once_ = false;
};

}  // namespace varnholt
