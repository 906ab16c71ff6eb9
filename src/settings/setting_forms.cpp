#include "settings/setting_forms.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/ip_address.h"

namespace varnholt {
namespace {

constexpr size_t kWelcomeLineMax = 63;
constexpr int kWelcomeLineCount = 5;
constexpr size_t kAddressTextMax = 15;

// Integer rows whose console form is a ratio: stored as percent, sent as value / 100.
constexpr std::string_view kRatioKeys[] = {"admin.setTicketRatio", "admin.soldierFFRatio",
                                           "admin.soldierFFRatioOnSplash", "admin.vehicleFFRatio",
                                           "admin.vehicleFFRatioOnSplash"};
constexpr std::string_view kTimeLimitKey = "admin.timeLimit";
constexpr std::string_view kRoundsKey = "admin.setNrOfRounds";

bool IsRatioKey(std::string_view key) {
  for (std::string_view ratio : kRatioKeys) {
    if (KeyEqualsNoCase(key, ratio)) return true;
  }
  return false;
}

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

std::string Number(long value) {
  return std::to_string(value);
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
    if (KeyEqualsNoCase(tokens[i], code)) {
      return i + 1 < tokens.size() ? std::string(tokens[i + 1]) : std::string();
    }
  }
  return std::string();
}

bool IsChoiceCode(std::string_view list, std::string_view code) {
  std::vector<std::string_view> tokens = ChoiceTokens(list);
  for (size_t i = 0; i < tokens.size(); i += 2) {
    if (KeyEqualsNoCase(tokens[i], code)) return true;
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
  std::string_view key = def.console_key;
  if (key.empty() || IsManagerKey(key)) return false;
  std::string text;
  switch (def.type) {
    case SettingType::kBoolean:
      text = Number(value.int_value);
      break;
    case SettingType::kText:
    case SettingType::kChoice:
      text = SingleLine(value.text);
      break;
    case SettingType::kInteger:
      if (KeyEqualsNoCase(key, kTimeLimitKey)) {
        text = Number(static_cast<long>(value.int_value) * 60);
      } else if (IsRatioKey(key)) {
        // One decimal as the game writes ratios (150 is 1.5); a percentage that one decimal
        // cannot hold gets two, so that 57 reaches the server as 0.57 and not as 0.6.
        text = FormatFixed(value.int_value / 100.0, value.int_value % 10 == 0 ? 1 : 2);
      } else {
        text = Number(value.int_value);
      }
      break;
    case SettingType::kNegatedInteger:
      text = Number(-static_cast<long>(value.int_value));
      break;
    case SettingType::kHundredths:
      text = FormatFixed(value.int_value / 100.0, 2);
      break;
    case SettingType::kTenths:
      text = FormatFixed(value.int_value / 10.0, 1);
      break;
    case SettingType::kAddress:
      text = IpToText(static_cast<uint32_t>(value.int_value));
      break;
    case SettingType::kPresence:
    case SettingType::kMessageLines:
      return false;
  }
  out->assign(key).append(" ").append(text);
  return true;
}

bool ParseConsoleValue(int row, std::string_view text, SettingValue* value) {
  if (row < 0 || row >= kSettingCount) return false;
  const SettingDef& def = kSettingDefs[row];
  std::string_view key = def.console_key;
  if (key.empty() || IsManagerKey(key)) return false;
  int32_t number = 0;
  switch (def.type) {
    case SettingType::kBoolean:
      value->int_value = ParseConInt(text);
      return true;
    case SettingType::kInteger:
      if (KeyEqualsNoCase(key, kTimeLimitKey)) {
        value->int_value = ParseConInt(text) / 60;
      } else if (IsRatioKey(key)) {
        if (!ScaleConNumber(ParseConNumber(text), 100, &number)) return false;
        value->int_value = number;
      } else {
        value->int_value = ParseConInt(text);
      }
      return true;
    case SettingType::kNegatedInteger:
      value->int_value = ParseConInt(text);
      return true;
    case SettingType::kHundredths:
    case SettingType::kTenths:
      if (!ScaleConNumber(ParseConNumber(text), def.type == SettingType::kHundredths ? 100 : 10,
                          &number)) {
        return false;
      }
      value->int_value = number;
      return true;
    case SettingType::kText:
    case SettingType::kChoice:
      value->text =
          std::string(text.substr(0, static_cast<size_t>(std::max(def.high_bound - 1, 0))));
      return true;
    case SettingType::kAddress:
      value->int_value = static_cast<int32_t>(ParseAddressText(text));
      return true;
    case SettingType::kPresence:
    case SettingType::kMessageLines:
      return false;
  }
  return false;
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
  std::string head(key);
  std::string line;
  switch (def.type) {
    case SettingType::kPresence:
      if (value.int_value == 1) line = head;
      break;
    case SettingType::kBoolean:
      line = head + " " + Number(value.int_value);
      break;
    case SettingType::kNegatedInteger:
      line = head + " " + Number(-static_cast<long>(value.int_value));
      break;
    case SettingType::kHundredths:
      line = head + " " + FormatFixed(value.int_value / 100.0, 2);
      break;
    case SettingType::kTenths:
      line = head + " " + FormatFixed(value.int_value / 10.0, 1);
      break;
    case SettingType::kChoice:
      line = head + " " + SingleLine(value.text);
      break;
    case SettingType::kAddress:
      line = head + " " + IpToText(static_cast<uint32_t>(value.int_value));
      break;
    case SettingType::kText:
      line = head + " \"" + SingleLine(value.text) + "\"";
      break;
    case SettingType::kMessageLines: {
      std::string out;
      int number = 0;
      for (const std::string& text : WelcomeMessageFileLines(value.text)) {
        out += head + " " + Number(number++) + " \"" + text + "\"\r\n";
      }
      return out;
    }
    case SettingType::kInteger: {
      long number = value.int_value;
      bool admin = key.size() >= 5 && KeyEqualsNoCase(key.substr(0, 5), "admin");
      if (admin && KeyEqualsNoCase(key, kTimeLimitKey)) {
        number *= 60;
      } else if (admin && IsRatioKey(key)) {
        line = head + " " + FormatFixed(value.int_value / 100.0, 2);
        break;
      } else if (admin && KeyEqualsNoCase(key, kRoundsKey) && number == 0) {
        number = -1;  // the server's word for "no limit"
      }
      line = head + " " + Number(number);
      break;
    }
  }
  if (line.empty()) return line;
  return line + "\r\n";
}

}  // namespace varnholt
