// The controls of the settings pages, one kind per kind of setting: a check box, a slider
// (setting_sliders.h), a port box, a text box, a multi-line box, a drop-down of Choice
// labels, an address field that steps through the machine's addresses and the LAN/Internet
// pair; MakeSettingEditor picks the one for a row. Each editor writes its row into the
// SettingsTable the moment the user changes it, and shows the table's value when asked
// without touching a control that already shows it. User-interface thread only.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "settings/settings_table.h"

class QWidget;

namespace varnholt {

// The row shown together with `row` in one control (the team ratios, the spawn times), or
// -1 for a row with a control of its own.
int PairedSettingRow(int row);

// True for the rows that hold a port number; they are typed, not slid.
bool IsPortSettingRow(int row);

// Gives `widget` the help balloon of `row`.
void ShowSettingHelp(QWidget* widget, int row);

// One control bound to its row, or to the two rows of a pair.
class SettingEditor {
 public:
  virtual ~SettingEditor() = default;
  SettingEditor(const SettingEditor&) = delete;
  SettingEditor& operator=(const SettingEditor&) = delete;

  // The rows this control shows, in table order.
  const std::vector<int>& Rows() const { return rows_; }
  // The control as the page lays it out.
  QWidget* Widget() const { return widget_; }
  // True when the control carries its own caption (a check box, the "Use 0.0.0.0" box).
  bool HasOwnCaption() const { return own_caption_; }

  // Shows the values of the control's rows; a part that already shows its value is left
  // alone, so a reload never undoes what the user is typing.
  virtual void Show(const SettingValues& values) = 0;

 protected:
  SettingEditor(SettingsTable& table, std::vector<int> rows, QWidget* widget,
                bool own_caption = false)
      : table_(table), rows_(std::move(rows)), widget_(widget), own_caption_(own_caption) {}

  // The receiver of the control's signals: the connections end with the editor, so a
  // control that reports a change while its page is torn down reaches nothing.
  QObject* Context() { return &context_; }

  SettingsTable& table_;

 private:
  QObject context_;
  std::vector<int> rows_;
  QWidget* widget_;
  bool own_caption_;
};

// Where the address field finds the machine's addresses when the user steps through them.
using AddressSource = std::function<std::vector<uint32_t>()>;

// The control for `row` (for a pair, the first row of it), with its help balloons, parented
// to `parent`.
std::unique_ptr<SettingEditor> MakeSettingEditor(int row, SettingsTable& table,
                                                 AddressSource addresses, QWidget* parent);

}  // namespace varnholt
