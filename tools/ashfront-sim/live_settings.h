// The settings the running game server can be asked for and told through its console, held
// in the server's own units (seconds, ratios). A bare console key answers the value; the key
// followed by a value changes it. Owned by the simulated server's single thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnholt::sim {

enum class LiveKind {
  kInteger,  // "%d"
  kRatio,    // decimal number shown with two decimals ("1.00", "0.60")
  kTenths,   // decimal number shown with one decimal ("0.0")
  kChoice,   // one code of a fixed list, compared ignoring case
};

struct LiveSetting {
  const char* key;
  LiveKind kind;
  double value;      // numeric kinds
  std::string text;  // kChoice
  double low;
  double high;
  const char* choices;  // kChoice: codes separated by commas
};

class LiveSettings {
 public:
  LiveSettings();

  // The setting with this console key (ignoring case), or nullptr.
  const LiveSetting* Find(std::string_view key) const;
  // Current value as the console answers it.
  std::string ValueText(std::string_view key) const;
  // Sets from a console argument; false when the key is unknown or the value is invalid
  // (the old value stays).
  bool Set(std::string_view key, std::string_view argument);
  // Numeric value, or `fallback` for an unknown key.
  double Number(std::string_view key, double fallback = 0) const;

  const std::vector<LiveSetting>& all() const { return settings_; }

 private:
  LiveSetting* FindMutable(std::string_view key);
  std::vector<LiveSetting> settings_;
};

// Maps a key of ServerSettings.con onto the console setting it stands for and converts its
// file value (minutes, percent) into the console's units; false for keys without one.
bool FileSettingToConsole(std::string_view file_key, std::string_view file_value,
                          std::string* console_key, std::string* console_value);

}  // namespace varnholt::sim
