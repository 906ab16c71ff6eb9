#include "settings/setting_types.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "platform/ip_address.h"
#include "settings/con_file.h"
#include "settings/setting_forms.h"

namespace varnholt {
namespace {

constexpr size_t kWelcomeFirstLineMax = 62;
constexpr size_t kWelcomeLineMax = 63;
constexpr int kWelcomeLastLine = 4;

// Integer rows whose console form is a ratio: stored as percent, sent as value / 100.
constexpr std::string_view kRatioKeys[] = {"admin.setTicketRatio", "admin.soldierFFRatio",
                                           "admin.soldierFFRatioOnSplash", "admin.vehicleFFRatio",
                                           "admin.vehicleFFRatioOnSplash"};
constexpr std::string_view kTimeLimitKey = "admin.timeLimit";
constexpr std::string_view kRoundsKey = "admin.setNrOfRounds";

bool IsRatioKey(std::string_view key) {
  for (std::string_view ratio : kRatioKeys) {
    if (EqualsNoCase(key, ratio)) return true;
  }
  return false;
}

std::string Number(long value) {
  return std::to_string(value);
}

std::string Line(std::string_view key, const std::string& value) {
  return std::string(key).append(" ").append(value).append("\r\n");
}

// The text between double quotes: leading quotes skipped, up to the next quote (or the end
// of the line when the value is not quoted).
std::string_view QuotedText(std::string_view rest) {
  size_t start = rest.find_first_not_of('"');
  if (start == std::string_view::npos) return std::string_view();
  rest.remove_prefix(start);
  return rest.substr(0, rest.find('"'));
}

// ---- shared by several types ----------------------------------------------------------

SettingValue IntDefault(const SettingDef& def) {
  SettingValue value;
  value.int_value = def.default_int;
  return value;
}

SettingValue TextDefault(const SettingDef& def) {
  SettingValue value;
  value.text = std::string(def.default_text.substr(0, kSettingTextMax));
  return value;
}

std::string AuditNumber(const SettingValue& value) {
  return Number(value.int_value);
}

std::string AuditText(const SettingValue& value) {
  return "[" + value.text + "]";
}

std::string ConsoleNumber(const SettingDef&, const SettingValue& value) {
  return Number(value.int_value);
}

std::string ConsoleText(const SettingDef&, const SettingValue& value) {
  return SingleLine(value.text);
}

bool ParseConsoleInt(const SettingDef&, std::string_view text, SettingValue* value) {
  value->int_value = ParseConInt(text);
  return true;
}

// The server's answer keeps at most highBound - 1 characters.
bool ParseConsoleText(const SettingDef& def, std::string_view text, SettingValue* value) {
  value->text = std::string(text.substr(0, static_cast<size_t>(std::max(def.high_bound - 1, 0))));
  return true;
}

bool ClampInt(const SettingDef& def, SettingValue* value) {
  value->int_value = std::clamp(value->int_value, def.low_bound, def.high_bound);
  return true;
}

bool NoBounds(const SettingDef&, SettingValue*) {
  return true;
}

// Boolean and Integer: one decimal word, valid when 0/1 or inside the bounds.
template <bool kBoolean>
void ParseIntFile(const SettingDef& def, const char* name, std::string_view rest,
                  SettingValue* value, EventLog& log) {
  std::string_view word = NextConWord(&rest);
  int32_t number = word.empty() ? value->int_value : ParseConInt(word);
  bool valid = kBoolean ? (number == 0 || number == 1)
                        : (number >= def.low_bound && number <= def.high_bound);
  if (word.empty() || !valid) {
    log.LogMessage(kSoundNone, "Invalid value of %i detected for setting %s, using default %i.",
                   number, name, def.default_int);
    number = def.default_int;
  }
  value->int_value = number;
}

// ---- Presence: 1 when the bare key line is present -------------------------------------

void ParsePresenceFile(const SettingDef&, const char*, std::string_view, SettingValue* value,
                       EventLog&) {
  value->int_value = 1;
}

void PresenceAbsent(SettingValue* value) {
  value->int_value = 0;
}

std::string FormatPresenceFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  return value.int_value == 1 ? std::string(key).append("\r\n") : std::string();
}

// ---- Boolean ---------------------------------------------------------------------------

std::string FormatNumberFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  return Line(key, Number(value.int_value));
}

// ---- Integer: under an "admin" key the file gets the console conversions ----------------

std::string FormatIntegerFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  long number = value.int_value;
  bool admin = key.size() >= 5 && EqualsNoCase(key.substr(0, 5), "admin");
  if (admin && EqualsNoCase(key, kTimeLimitKey)) {
    number *= 60;
  } else if (admin && IsRatioKey(key)) {
    return Line(key, FormatFixed(value.int_value / 100.0, 2));
  } else if (admin && EqualsNoCase(key, kRoundsKey) && number == 0) {
    number = -1;  // the server's word for "no limit"
  }
  return Line(key, Number(number));
}

// admin.timeLimit is kept in minutes and sent as seconds; the ratios are kept as percent.
std::string ConsoleInteger(const SettingDef& def, const SettingValue& value) {
  if (EqualsNoCase(def.console_key, kTimeLimitKey)) {
    return Number(static_cast<long>(value.int_value) * 60);
  }
  if (IsRatioKey(def.console_key)) {
    // One decimal as the game writes ratios (150 is 1.5); a percentage that one decimal
    // cannot hold gets two, so that 57 reaches the server as 0.57 and not as 0.6.
    return FormatFixed(value.int_value / 100.0, value.int_value % 10 == 0 ? 1 : 2);
  }
  return Number(value.int_value);
}

bool ParseConsoleInteger(const SettingDef& def, std::string_view text, SettingValue* value) {
  if (EqualsNoCase(def.console_key, kTimeLimitKey)) {
    value->int_value = ParseConInt(text) / 60;
  } else if (IsRatioKey(def.console_key)) {
    int32_t number = 0;
    if (!ScaleConNumber(ParseConNumber(text), 100, &number)) return false;
    value->int_value = number;
  } else {
    value->int_value = ParseConInt(text);
  }
  return true;
}

// ---- NegatedInteger: the magnitude is stored, the negative number written ---------------

void ParseNegatedFile(const SettingDef& def, const char* name, std::string_view rest,
                      SettingValue* value, EventLog& log) {
  std::string_view word = NextConWord(&rest);
  int64_t number = word.empty() ? value->int_value : std::llabs(ParseConInt(word));
  if (word.empty() || number < def.low_bound || number > def.high_bound) {
    log.LogMessage(kSoundNone, "Invalid value of %i detected for setting %s, using default %i.",
                   static_cast<int>(-number), name, -def.default_int);
    number = def.default_int;
  }
  value->int_value = static_cast<int32_t>(number);
}

std::string NegatedText(const SettingValue& value) {
  return Number(-static_cast<long>(value.int_value));
}

std::string FormatNegatedFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  return Line(key, NegatedText(value));
}

std::string ConsoleNegated(const SettingDef&, const SettingValue& value) {
  return NegatedText(value);
}

// The server answers with the negative number; the magnitude is what the row keeps.
bool ParseConsoleNegated(const SettingDef&, std::string_view text, SettingValue* value) {
  int64_t magnitude = std::llabs(static_cast<int64_t>(ParseConInt(text)));
  value->int_value = static_cast<int32_t>(std::min<int64_t>(magnitude, INT32_MAX));
  return true;
}

// ---- Hundredths and Tenths: the number x 10^decimals is stored --------------------------

template <int kDecimals>
constexpr int kScale = kDecimals == 2 ? 100 : 10;

template <int kDecimals>
std::string FixedText(const SettingValue& value) {
  return FormatFixed(value.int_value / static_cast<double>(kScale<kDecimals>), kDecimals);
}

template <int kDecimals>
void ParseFixedFile(const SettingDef& def, const char* name, std::string_view rest,
                    SettingValue* value, EventLog& log) {
  constexpr int scale = kScale<kDecimals>;
  std::string_view word = NextConWord(&rest);
  int32_t number = value->int_value;
  bool valid = !word.empty() && ScaleConNumber(ParseConNumber(word), scale, &number) &&
               number >= def.low_bound && number <= def.high_bound;
  if (!valid) {
    // Numbers formatted apart keep "." as the decimal point in every locale.
    log.LogMessage(kSoundNone, "Invalid value of %s detected for setting %s, using default %s.",
                   FormatFixed(static_cast<double>(number) / scale, kDecimals).c_str(), name,
                   FormatFixed(static_cast<double>(def.default_int) / scale, kDecimals).c_str());
    number = def.default_int;
  }
  value->int_value = number;
}

template <int kDecimals>
std::string FormatFixedFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  return Line(key, FixedText<kDecimals>(value));
}

template <int kDecimals>
std::string ConsoleFixed(const SettingDef&, const SettingValue& value) {
  return FixedText<kDecimals>(value);
}

template <int kDecimals>
bool ParseConsoleFixed(const SettingDef&, std::string_view text, SettingValue* value) {
  int32_t number = 0;
  if (!ScaleConNumber(ParseConNumber(text), kScale<kDecimals>, &number)) return false;
  value->int_value = number;
  return true;
}

// ---- Text: quoted, at most highBound characters; some rows require a value --------------

void ParseTextFile(const SettingDef& def, const char* name, std::string_view rest,
                   SettingValue* value, EventLog& log) {
  std::string_view text = QuotedText(rest);
  if (!text.empty()) {
    value->text = std::string(text.substr(0, static_cast<size_t>(def.high_bound)));
  } else if (def.required) {
    log.LogMessage(kSoundNone, "Invalid value detected for setting %s, using default %s.", name,
                   std::string(def.default_text).c_str());
    value->text = std::string(def.default_text);
  } else {
    value->text.clear();
  }
}

std::string FormatTextFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  return std::string(key).append(" \"").append(SingleLine(value.text)).append("\"\r\n");
}

// ---- MessageLines: numbered lines 0..4, blanks written as underscores -------------------

void AppendMessageLine(int number, std::string_view line, std::string* text) {
  if (number < 0 || number > kWelcomeLastLine) return;
  std::string words(line);
  for (char& c : words) {
    if (c == '_') c = ' ';
  }
  if (number == 0) {
    *text = words.substr(0, kWelcomeFirstLineMax);
  } else if (text->size() + words.size() < kSettingTextMax + 1) {
    text->append(words.substr(0, kWelcomeLineMax));
  }
  if (number < kWelcomeLastLine) text->append("\r\n");
  if (text->size() > kSettingTextMax) text->resize(kSettingTextMax);
}

void ParseMessageLinesFile(const SettingDef&, const char*, std::string_view rest,
                           SettingValue* value, EventLog&) {
  std::string_view word = NextConWord(&rest);
  if (word.empty()) return;
  AppendMessageLine(ParseConInt(word), QuotedText(rest), &value->text);
}

void MessageLinesAbsent(SettingValue* value) {
  value->text.clear();
}

std::string FormatMessageLinesFile(std::string_view key, const SettingDef&,
                                   const SettingValue& value) {
  std::string out;
  int number = 0;
  for (const std::string& line : WelcomeMessageFileLines(value.text)) {
    out.append(key).append(" ").append(Number(number++)).append(" \"").append(line);
    out.append("\"\r\n");
  }
  return out;
}

// ---- Choice: one code of the row's "code/label,..." list -------------------------------

SettingValue ChoiceDefault(const SettingDef& def) {
  SettingValue value;
  value.text = ChoiceCode(def.default_text, def.default_entry);
  return value;
}

void ParseChoiceFile(const SettingDef& def, const char* name, std::string_view rest,
                     SettingValue* value, EventLog& log) {
  std::string_view word = NextConWord(&rest);
  word = word.substr(0, static_cast<size_t>(def.high_bound - 1));
  if (word.empty() || !IsChoiceCode(def.default_text, word)) {
    std::string fallback = ChoiceDefault(def).text;
    log.LogMessage(kSoundNone, "Invalid value of %s detected for setting %s, using default %s.",
                   std::string(word).c_str(), name, fallback.c_str());
    value->text = fallback;
  } else {
    value->text = std::string(word);
  }
}

std::string FormatChoiceFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  return Line(key, SingleLine(value.text));
}

bool KeepChoiceCode(const SettingDef& def, SettingValue* value) {
  return IsChoiceCode(def.default_text, value->text);
}

// ---- Address: IPv4, first octet in the high byte; absent or empty is 0.0.0.0 ------------

SettingValue AddressDefault(const SettingDef&) {
  return SettingValue();
}

void ParseAddressFile(const SettingDef&, const char*, std::string_view rest, SettingValue* value,
                      EventLog&) {
  std::string_view word = NextConWord(&rest);
  value->int_value = static_cast<int32_t>(word.empty() ? 0u : ParseAddressText(word));
}

std::string AddressText(const SettingValue& value) {
  return IpToText(static_cast<uint32_t>(value.int_value));
}

std::string FormatAddressFile(std::string_view key, const SettingDef&, const SettingValue& value) {
  return Line(key, AddressText(value));
}

std::string ConsoleAddress(const SettingDef&, const SettingValue& value) {
  return AddressText(value);
}

bool ParseConsoleAddress(const SettingDef&, std::string_view text, SettingValue* value) {
  value->int_value = static_cast<int32_t>(ParseAddressText(text));
  return true;
}

// ---- the table -------------------------------------------------------------------------

using T = SettingType;
using C = SettingControl;
constexpr bool kText = true, kNumber = false, kEveryLine = true, kFirstLine = false;

// clang-format off
constexpr std::array<SettingTypeOps, kSettingTypeCount> kTypes = {{
  // type, name, control, decimals, value kind, default, file parse, lines read, when absent,
  // file form, audit form, console form, console parse, bounds
  {T::kPresence, "Presence", C::kCheckBox, 0, kNumber, IntDefault, ParsePresenceFile,
   kFirstLine, PresenceAbsent, FormatPresenceFile, AuditNumber, nullptr, nullptr, NoBounds},
  {T::kBoolean, "Boolean", C::kCheckBox, 0, kNumber, IntDefault, ParseIntFile<true>,
   kFirstLine, nullptr, FormatNumberFile, AuditNumber, ConsoleNumber, ParseConsoleInt, ClampInt},
  {T::kText, "Text", C::kLineEdit, 0, kText, TextDefault, ParseTextFile,
   kFirstLine, nullptr, FormatTextFile, AuditText, ConsoleText, ParseConsoleText, NoBounds},
  {T::kMessageLines, "MessageLines", C::kMultiLineEdit, 0, kText, TextDefault,
   ParseMessageLinesFile, kEveryLine, MessageLinesAbsent, FormatMessageLinesFile, AuditText,
   nullptr, nullptr, NoBounds},
  {T::kInteger, "Integer", C::kSpinBox, 0, kNumber, IntDefault, ParseIntFile<false>,
   kFirstLine, nullptr, FormatIntegerFile, AuditNumber, ConsoleInteger, ParseConsoleInteger,
   ClampInt},
  {T::kNegatedInteger, "NegatedInteger", C::kSpinBox, 0, kNumber, IntDefault, ParseNegatedFile,
   kFirstLine, nullptr, FormatNegatedFile, NegatedText, ConsoleNegated, ParseConsoleNegated,
   ClampInt},
  // Hundredths are audited as the stored number; Tenths with their decimal.
  {T::kHundredths, "Hundredths", C::kDecimalSpinBox, 2, kNumber, IntDefault, ParseFixedFile<2>,
   kFirstLine, nullptr, FormatFixedFile<2>, AuditNumber, ConsoleFixed<2>, ParseConsoleFixed<2>,
   ClampInt},
  {T::kTenths, "Tenths", C::kDecimalSpinBox, 1, kNumber, IntDefault, ParseFixedFile<1>,
   kFirstLine, nullptr, FormatFixedFile<1>, FixedText<1>, ConsoleFixed<1>, ParseConsoleFixed<1>,
   ClampInt},
  {T::kChoice, "Choice", C::kChoiceList, 0, kText, ChoiceDefault, ParseChoiceFile,
   kFirstLine, nullptr, FormatChoiceFile, AuditText, ConsoleText, ParseConsoleText,
   KeepChoiceCode},
  {T::kAddress, "Address", C::kAddressEdit, 0, kNumber, AddressDefault, ParseAddressFile,
   kFirstLine, nullptr, FormatAddressFile, AddressText, ConsoleAddress, ParseConsoleAddress,
   NoBounds},
}};
// clang-format on

constexpr bool TypesInPlace() {
  for (size_t i = 0; i < kTypes.size(); ++i) {
    if (static_cast<size_t>(kTypes[i].type) != i) return false;
  }
  return true;
}
static_assert(TypesInPlace(), "row n of the type table must hold SettingType n");

}  // namespace

const SettingTypeOps& TypeOps(SettingType type) {
  return kTypes[static_cast<size_t>(type)];
}

}  // namespace varnholt
