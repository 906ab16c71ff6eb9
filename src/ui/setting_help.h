// The texts the settings pages show for each setting: the caption beside its control and the
// help balloon that tells a server owner what the setting does, in which unit, and what a
// special value such as 0 means. Constant data; safe from any thread.
#pragma once

namespace varnholt {

// The help balloon of a row that has a settings page; "" for any other row.
const char* SettingHelpText(int row);

// The caption shown beside (or, for a check box, on) the row's control; "" for a row
// without a page.
const char* SettingLabelText(int row);

}  // namespace varnholt
