// The options dialog: the program's own switches with their labels and help texts. OK
// applies and writes them at once; Cancel leaves everything as it was.
#pragma once

#include <QDialog>
#include <array>

#include "core/program_options.h"

class QCheckBox;

namespace varnholt {

// The switches the dialog shows, in its order.
enum class OptionBox : int {
  kAdminMessages,
  kAutoRestart,
  kGUISounds,
  kToolTips,
  kAlwaysOnTop,
  kErrorLog,
  kLogPlayerChat,
  kKickBanDelay,
};
constexpr int kOptionBoxCount = 8;

class OptionsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit OptionsDialog(QWidget* parent = nullptr);
  // Shows `options` in the boxes.
  void ShowOptions(const ProgramOptions& options);
  // `options` with the boxes' states (the other options unchanged).
  ProgramOptions ChosenOptions(ProgramOptions options) const;
  QCheckBox* Box(OptionBox box) const { return boxes_[static_cast<int>(box)]; }

 private:
  std::array<QCheckBox*, kOptionBoxCount> boxes_{};
};

}  // namespace varnholt
