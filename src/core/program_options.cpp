#include "core/program_options.h"

#include <cstdlib>

#include "platform/ini_file.h"

namespace varnholt {
namespace {

constexpr const char* kSection = "settings";
constexpr const char* kLaunchPrefixKey = "LaunchPrefix";

// The keys in the order they are written; each is either a switch or a number.
struct OptionKey {
  const char* name;
  bool ProgramOptions::*flag;
  int ProgramOptions::*number;
};
constexpr OptionKey kKeys[] = {
    {"AdminMessages", &ProgramOptions::AdminMessages, nullptr},
    {"AutoRestart", &ProgramOptions::AutoRestart, nullptr},
    {"GUISounds", &ProgramOptions::GUISounds, nullptr},
    {"ToolTips", &ProgramOptions::ToolTips, nullptr},
    {"AlwaysOnTop", &ProgramOptions::AlwaysOnTop, nullptr},
    {"ErrorLog", &ProgramOptions::ErrorLog, nullptr},
    {"LogPlayerChat", &ProgramOptions::LogPlayerChat, nullptr},
    {"KickBanDelay", &ProgramOptions::KickBanDelay, nullptr},
    {"ModeFilter", nullptr, &ProgramOptions::ModeFilter},
    {"ModFilter", nullptr, &ProgramOptions::ModFilter},
    {"HideWindow", &ProgramOptions::HideWindow, nullptr},
};

// The option as the file holds it: a decimal integer, 0 or 1 for a switch.
int FileValue(const ProgramOptions& options, const OptionKey& key) {
  return key.flag != nullptr ? (options.*key.flag ? 1 : 0) : options.*key.number;
}

}  // namespace

bool ReadProgramOptions(const std::string& ini_path, ProgramOptions* options) {
  IniFile ini(ini_path);
  const ProgramOptions defaults;
  for (const OptionKey& key : kKeys) {
    std::string text =
        ini.ReadString(kSection, key.name, std::to_string(FileValue(defaults, key)), 1024);
    int value = atoi(text.c_str());
    if (key.flag != nullptr) {
      options->*key.flag = value != 0;
    } else {
      options->*key.number = value;
    }
  }
  options->LaunchPrefix = ini.ReadString(kSection, kLaunchPrefixKey, "", 1024);
  return true;
}

bool WriteProgramOptions(const std::string& ini_path, const ProgramOptions& options) {
  IniFile ini(ini_path);
  for (const OptionKey& key : kKeys) {
    if (!ini.WriteString(kSection, key.name, std::to_string(FileValue(options, key)))) {
      return false;
    }
  }
  return ini.WriteString(kSection, kLaunchPrefixKey, options.LaunchPrefix);
}

}  // namespace varnholt
