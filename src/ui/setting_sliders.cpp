#include "ui/setting_sliders.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <algorithm>
#include <array>
#include <cstdio>

#include "settings/setting_def.h"
#include "settings/setting_forms.h"

namespace varnholt {
namespace {

constexpr int kTeamRatioFirst = setting_rows::Row("game.serverAlliedTeamRatio");

QSlider* MakeSlider(int row, QWidget* parent) {
  const SettingDef& def = kSettingDefs[row];
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(def.low_bound, def.high_bound);
  slider->setSingleStep(1);
  slider->setPageStep(std::max(1, (def.high_bound - def.low_bound) / 10));
  ShowSettingHelp(slider, row);
  return slider;
}

// A numeric row on a slider, with its value label beside it.
class SliderEditor final : public SettingEditor {
 public:
  SliderEditor(int row, SettingsTable& table, QWidget* frame, QSlider* slider, QLabel* label)
      : SettingEditor(table, {row}, frame), slider_(slider), label_(label) {
    QObject::connect(slider, &QSlider::valueChanged, Context(), [this, row](int value) {
      table_.SetInt(row, value);
      ShowLabel();
    });
  }
  void Show(const SettingValues& values) override {
    const int32_t value = values[Rows()[0]].int_value;
    if (slider_->value() != value) {
      QSignalBlocker block(slider_);
      slider_->setValue(value);
    }
    ShowLabel();
  }

 private:
  void ShowLabel() {
    label_->setText(QString::fromStdString(SliderValueText(Rows()[0], slider_->value())));
  }
  QSlider* slider_;
  QLabel* label_;
};

// Two rows on two sliders sharing one value label (the team ratio "1:1", the spawn times).
class SliderPairEditor final : public SettingEditor {
 public:
  SliderPairEditor(int first, SettingsTable& table, QWidget* frame, std::array<QSlider*, 2> sliders,
                   QLabel* label)
      : SettingEditor(table, {first, first + 1}, frame), sliders_(sliders), label_(label) {
    for (int i = 0; i < 2; ++i) {
      const int row = first + i;
      QObject::connect(sliders[i], &QSlider::valueChanged, Context(), [this, row](int value) {
        table_.SetInt(row, value);
        ShowLabel();
      });
    }
  }
  void Show(const SettingValues& values) override {
    for (int i = 0; i < 2; ++i) {
      const int32_t value = values[Rows()[i]].int_value;
      if (sliders_[i]->value() == value) continue;
      QSignalBlocker block(sliders_[i]);
      sliders_[i]->setValue(value);
    }
    ShowLabel();
  }

 private:
  void ShowLabel() {
    char text[32];
    if (Rows()[0] == kTeamRatioFirst) {
      snprintf(text, sizeof text, "%i:%i", sliders_[0]->value(), sliders_[1]->value());
    } else {
      snprintf(text, sizeof text, "%i s / %i s", sliders_[0]->value(), sliders_[1]->value());
    }
    label_->setText(QString::fromLatin1(text));
  }
  std::array<QSlider*, 2> sliders_;
  QLabel* label_;
};

QWidget* MakeFrame(QWidget* parent, QBoxLayout** layout) {
  auto* frame = new QWidget(parent);
  *layout = new QHBoxLayout(frame);
  (*layout)->setContentsMargins(0, 0, 0, 0);
  return frame;
}

QLabel* MakeValueLabel(QWidget* parent, int row) {
  auto* label = new QLabel(parent);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance("0000.00 s / 000 s") / 2);
  ShowSettingHelp(label, row);
  return label;
}

}  // namespace

std::unique_ptr<SettingEditor> MakeSliderEditor(int row, SettingsTable& table, QWidget* parent) {
  QBoxLayout* layout = nullptr;
  QWidget* frame = MakeFrame(parent, &layout);
  QSlider* slider = MakeSlider(row, frame);
  QLabel* label = MakeValueLabel(frame, row);
  layout->addWidget(slider, 1);
  layout->addWidget(label);
  ShowSettingHelp(frame, row);
  return std::make_unique<SliderEditor>(row, table, frame, slider, label);
}

std::unique_ptr<SettingEditor> MakeSliderPairEditor(int first, SettingsTable& table,
                                                    QWidget* parent) {
  QBoxLayout* layout = nullptr;
  QWidget* frame = MakeFrame(parent, &layout);
  std::array<QSlider*, 2> sliders = {MakeSlider(first, frame), MakeSlider(first + 1, frame)};
  QLabel* label = MakeValueLabel(frame, first);
  layout->addWidget(sliders[0], 1);
  layout->addWidget(label);
  layout->addWidget(sliders[1], 1);
  ShowSettingHelp(frame, first);
  return std::make_unique<SliderPairEditor>(first, table, frame, sliders, label);
}

std::string SliderValueText(int row, int32_t value) {
  char text[32];
  if (row == setting_rows::kAutoAnnouncePeriod) {
    snprintf(text, sizeof text, "%i:%.02i", value / 60, value % 60);
    return text;
  }
  switch (kSettingDefs[row].type) {
    case SettingType::kNegatedInteger:
      snprintf(text, sizeof text, "%i", -value);
      return text;
    case SettingType::kHundredths:
      return FormatFixed(value / 100.0, 2);
    case SettingType::kTenths:
      return FormatFixed(value / 10.0, 1);
    default:
      snprintf(text, sizeof text, "%i", value);
      return text;
  }
}

}  // namespace varnholt
