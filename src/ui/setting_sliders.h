// The slider controls of the settings pages: one slider for a numeric row, with a label that
// shows its value in the user's units, and the pairs of sliders that show two rows sharing
// one label (the team ratio "1:1", the spawn times). User-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/setting_controls.h"

namespace varnholt {

// The value label of a slider for `row` showing `value` (stored units): the announcement
// period as minutes and seconds, negated rows negated, Hundredths and Tenths as decimals.
std::string SliderValueText(int row, int32_t value);

std::unique_ptr<SettingEditor> MakeSliderEditor(int row, SettingsTable& table, QWidget* parent);
// The pair of `first` and the row after it.
std::unique_ptr<SettingEditor> MakeSliderPairEditor(int first, SettingsTable& table,
                                                    QWidget* parent);

}  // namespace varnholt
