#include "settings/setting_forms.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/ip_address.h"
#include "settings/setting_types.h"

namespace varnholt {
namespace {

constexpr size_t kWelcomeLineMax = 63;
constexpr int kWelcomeLineCount = 5;
constexpr size_t kAddressTextMax = 15;

locale_t CLocale() {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c_locale;
}

// Splits a Choice list at every "/" and ",".
std::vector<std::string_view> ChoiceTokens(std::string_view list) {
  std::vector<std::string_view> tokens;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find_first_of("/,", start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) tokens.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

}  // namespace

int32_t ParseConInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{1} << 32) value = int64_t{1} << 32;  // saturate, never overflow
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

double ParseConNumber(std::string_view text, bool* finite) {
  // strtod_l with the C locale reads "0.57" the same whatever LC_NUMERIC the process has.
  std::string copy(text.substr(0, 1023));
  double value = 0.0;
  locale_t c_locale = CLocale();
  if (c_locale != static_cast<locale_t>(0)) {
    value = strtod_l(copy.c_str(), nullptr, c_locale);
  } else {
    value = strtod(copy.c_str(), nullptr);
  }
  if (finite != nullptr) *finite = std::isfinite(value);
  return value;
}

bool ScaleConNumber(double number, int scale, int32_t* out) {
  if (std::isnan(number)) {
    *out = 0;
    return false;
  }
  double scaled = std::round(number * scale);
  if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    *out = std::numeric_limits<int32_t>::max();
  } else if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    *out = std::numeric_limits<int32_t>::min();
  } else {
    *out = static_cast<int32_t>(scaled);
  }
  return std::isfinite(number);
}

std::string FormatFixed(double value, int decimals) {
  char buf[64];
  locale_t c_locale = CLocale();
  locale_t previous = c_locale != static_cast<locale_t>(0) ? uselocale(c_locale) : nullptr;
  snprintf(buf, sizeof buf, "%.*f", decimals, value);
  if (previous != static_cast<locale_t>(0)) uselocale(previous);
  return buf;
}

int ChoiceCount(std::string_view list) {
  return static_cast<int>((ChoiceTokens(list).size() + 1) / 2);
}

std::string ChoiceCode(std::string_view list, int n) {
  std::vector<std::string_view> tokens = ChoiceTokens(list);
  if (n < 1 || static_cast<size_t>(n) > (tokens.size() + 1) / 2) return std::string();
  return std::string(tokens[2 * static_cast<size_t>(n) - 2]);
}

std::string ChoiceLabel(std::string_view list, std::string_view code) {
  std::vector<std::string_view> tokens = ChoiceTokens(list);
  for (size_t i = 0; i < tokens.size(); i += 2) {
    if (EqualsNoCase(tokens[i], code)) {
      return i + 1 < tokens.size() ? std::string(tokens[i + 1]) : std::string();
    }
  }
  return std::string();
}

bool IsChoiceCode(std::string_view list, std::string_view code) {
  std::vector<std::string_view> tokens = ChoiceTokens(list);
  for (size_t i = 0; i < tokens.size(); i += 2) {
    if (EqualsNoCase(tokens[i], code)) return true;
  }
  return false;
}

std::string SingleLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

uint32_t ParseAddressText(std::string_view text) {
  return IpFromText(text.substr(0, kAddressTextMax));
}

bool FormatConsoleForm(int row, const SettingValue& value, std::string* out) {
  out->clear();
  if (row < 0 || row >= kSettingCount) return false;
  const SettingDef& def = kSettingDefs[row];
  const SettingTypeOps& type = TypeOps(def.type);
  if (def.console_key.empty() || IsManagerKey(def.console_key) || type.console_form == nullptr) {
    return false;
  }
  out->assign(def.console_key).append(" ").append(type.console_form(def, value));
  return true;
}

bool ParseConsoleValue(int row, std::string_view text, SettingValue* value) {
  if (row < 0 || row >= kSettingCount) return false;
  const SettingDef& def = kSettingDefs[row];
  const SettingTypeOps& type = TypeOps(def.type);
  if (def.console_key.empty() || IsManagerKey(def.console_key) || type.parse_console == nullptr) {
    return false;
  }
  return type.parse_console(def, text, value);
}

std::vector<std::string> WelcomeMessageFileLines(std::string_view text) {
  text = text.substr(0, kSettingTextMax + 1);
  std::vector<std::string> lines;
  std::string current;
  auto flush = [&] {
    if (!current.empty() && static_cast<int>(lines.size()) < kWelcomeLineCount) {
      if (current.size() > kWelcomeLineMax) current.resize(kWelcomeLineMax);
      lines.push_back(current);
    }
    current.clear();
  };
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      flush();
    } else {
      current += c == ' ' ? '_' : c;
    }
  }
  flush();
  return lines;
}

std::string FormatSettingLine(std::string_view key, int row, const SettingValue& value) {
  if (row < 0 || row >= kSettingCount) return std::string();
  const SettingDef& def = kSettingDefs[row];
  return TypeOps(def.type).format_file(key, def, value);
}

}  // namespace varnholt
