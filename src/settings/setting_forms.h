// Conversions of setting values to and from text: numbers in the C locale whatever locale the
// user interface sets, Choice lists, addresses, the console form sent to the running server
// and the lines written to .con files. Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_table.h"

namespace varnholt {

// Decimal integer as the C library's atoi reads it (leading blanks, sign, digits up to the
// first other character; no digits read as 0), saturated to the 32-bit range.
int32_t ParseConInt(std::string_view text);
// Decimal number as atof reads it, always with "." as the decimal point. Sets *finite to
// false for "inf" and "nan" spellings.
double ParseConNumber(std::string_view text, bool* finite = nullptr);
// number x scale rounded to the nearest unit (so "0.57" x 100 is 57) and saturated to the
// 32-bit range; false when the number is not finite.
bool ScaleConNumber(double number, int scale, int32_t* out);
// printf("%.*f") in the C locale.
std::string FormatFixed(double value, int decimals);

// Choice lists: "code/label,code/label,...". Entries are 1-based.
int ChoiceCount(std::string_view list);
// The code of entry n, or "" when there is no such entry.
std::string ChoiceCode(std::string_view list, int n);
// The label following `code` (ignoring case), or "" when `code` is not a code of the list.
std::string ChoiceLabel(std::string_view list, std::string_view code);
bool IsChoiceCode(std::string_view list, std::string_view code);

// The text without carriage returns and line feeds. Values go between a key and a line end,
// so a line break inside one must never reach a file or the console.
std::string SingleLine(std::string_view text);

// A dotted quad read from at most the first 15 characters of `text`.
uint32_t ParseAddressText(std::string_view text);

// The console form of a row ("key value") for the running server; false for rows without
// one (no server console key, MessageLines, Presence).
bool FormatConsoleForm(int row, const SettingValue& value, std::string* out);

// Stores a value the running server reported for a row (its answer to the bare console
// key), without range checks: admin.timeLimit arrives in seconds and is kept in whole
// minutes, the friendly-fire ratios arrive as ratios and are kept as percent, Hundredths
// and Tenths are rounded to the nearest unit, Text and Choice keep at most highBound - 1
// characters. False, leaving `value` as it was, for rows that are never read back and for
// numbers that are not finite ("nan", "inf").
bool ParseConsoleValue(int row, std::string_view text, SettingValue* value);

// The .con line(s) of a row under `key`, each ending in CR LF; empty for a Presence row
// that is 0. Integer rows written under an "admin" key get the console conversions.
std::string FormatSettingLine(std::string_view key, int row, const SettingValue& value);

// The welcome message as written to a file: blanks made underscores, split at runs of line
// breaks, the first five non-empty lines each cut to 63 characters.
std::vector<std::string> WelcomeMessageFileLines(std::string_view text);

}  // namespace varnholt
