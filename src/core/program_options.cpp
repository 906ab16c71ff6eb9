#include "core/program_options.h"

#include <cstdlib>
#include <utility>

#include "platform/ini_file.h"

namespace varnholt {
namespace {

constexpr const char* kSection = "settings";
constexpr const char* kLaunchPrefixKey = "LaunchPrefix";

// The keys in the order they are written.
constexpr std::pair<const char*, int ProgramOptions::*> kKeys[] = {
    {"AdminMessages", &ProgramOptions::AdminMessages},
    {"AutoRestart", &ProgramOptions::AutoRestart},
    {"GUISounds", &ProgramOptions::GUISounds},
    {"ToolTips", &ProgramOptions::ToolTips},
    {"AlwaysOnTop", &ProgramOptions::AlwaysOnTop},
    {"ErrorLog", &ProgramOptions::ErrorLog},
    {"LogPlayerChat", &ProgramOptions::LogPlayerChat},
    {"KickBanDelay", &ProgramOptions::KickBanDelay},
    {"ModeFilter", &ProgramOptions::ModeFilter},
    {"ModFilter", &ProgramOptions::ModFilter},
    {"HideWindow", &ProgramOptions::HideWindow},
};

}  // namespace

bool ReadProgramOptions(const std::string& ini_path, ProgramOptions* options) {
  IniFile ini(ini_path);
  const ProgramOptions defaults;
  for (const auto& [key, member] : kKeys) {
    std::string value = ini.ReadString(kSection, key, std::to_string(defaults.*member), 1024);
    options->*member = atoi(value.c_str());
  }
  options->LaunchPrefix = ini.ReadString(kSection, kLaunchPrefixKey, "", 1024);
  return true;
}

bool WriteProgramOptions(const std::string& ini_path, const ProgramOptions& options) {
  IniFile ini(ini_path);
  for (const auto& [key, member] : kKeys) {
    if (!ini.WriteString(kSection, key, std::to_string(options.*member))) return false;
  }
  return ini.WriteString(kSection, kLaunchPrefixKey, options.LaunchPrefix);
}

}  // namespace varnholt
