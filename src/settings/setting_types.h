// What each kind of setting value does, one row of operations per SettingType: its default,
// how a .con file line is read and written, how an audit line shows it, its console form
// for the running server and back, how it is kept in bounds and which control a settings
// page shows for it. A new type is one new row here; no other code switches on the type.
// Pure functions over the row's definition; safe from any thread.
#pragma once

#include <string>
#include <string_view>

#include "log/event_log.h"
#include "settings/setting_def.h"
#include "settings/settings_table.h"

namespace varnholt {

// The control a settings page shows for a row; the front end maps each to a widget.
enum class SettingControl {
  kCheckBox,        // Presence, Boolean
  kLineEdit,        // Text, at most highBound characters
  kMultiLineEdit,   // MessageLines
  kSpinBox,         // Integer, NegatedInteger (the magnitude)
  kDecimalSpinBox,  // Hundredths, Tenths, with `decimals` places
  kChoiceList,      // the labels of a Choice list
  kAddressEdit,     // a dotted quad
};

struct SettingTypeOps {
  SettingType type;
  const char* name;
  SettingControl control;
  int decimals;     // places shown for the stored number (it is the number x 10^decimals)
  bool text_value;  // the value is `text` (compared and audited as text), else `int_value`

  // The value InitSettings gives the row.
  SettingValue (*default_value)(const SettingDef& def);

  // Reads the value part of a file line (after the key and its blank) into `value`; an
  // invalid value is logged under `name` and replaced by the default.
  void (*parse_file)(const SettingDef& def, const char* name, std::string_view rest,
                     SettingValue* value, EventLog& log);
  // True when every line of the key adds to the value, rather than the first one setting it.
  bool every_file_line;
  // What a file without the key does to the value; nullptr leaves it as it was.
  void (*absent_from_file)(SettingValue* value);
  // The file line(s) under `key`, each ending in CR LF; empty when the value writes none.
  std::string (*format_file)(std::string_view key, const SettingDef& def,
                             const SettingValue& value);

  // The value as an audit line shows it ("User %s at %s changed %s from %s to %s.").
  std::string (*audit_text)(const SettingValue& value);

  // The value part of the console form sent to the running server, and the reading of the
  // server's answer to the bare console key (without range checks; false leaves `value` as
  // it was). Both nullptr for types the console never carries.
  std::string (*console_form)(const SettingDef& def, const SettingValue& value);
  bool (*parse_console)(const SettingDef& def, std::string_view text, SettingValue* value);

  // Brings a value the server reported inside the row's bounds; false when it cannot be
  // used at all (a code that is not in the Choice list).
  bool (*keep_in_bounds)(const SettingDef& def, SettingValue* value);
};

// The operations of a type, and of the type of a table row (0..kSettingCount-1).
const SettingTypeOps& TypeOps(SettingType type);
inline const SettingTypeOps& RowTypeOps(int row) {
  return TypeOps(kSettingDefs[row].type);
}

}  // namespace varnholt
