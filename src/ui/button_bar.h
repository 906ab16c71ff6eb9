// The main window's row of buttons, in their fixed order with their help texts.
#pragma once

#include <QWidget>
#include <array>

class QPushButton;

namespace varnholt {

enum class BarButton : int {
  kStart,
  kPause,
  kSave,
  kRefresh,
  kSettings,
  kOptions,
  kLog,
  kAbout,
  kExit,
  kHide,
};
constexpr int kBarButtonCount = 10;

struct BarButtonText {
  const char* text;
  const char* help;
};

// Texts of the buttons in bar order.
const BarButtonText& BarButtonTextOf(BarButton button);

class ButtonBar : public QWidget {
  Q_OBJECT
 public:
  explicit ButtonBar(QWidget* parent = nullptr);
  QPushButton* Button(BarButton button) const { return buttons_[static_cast<int>(button)]; }

 private:
  std::array<QPushButton*, kBarButtonCount> buttons_{};
};

}  // namespace varnholt
