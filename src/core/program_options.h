// The program's own preferences in Varnholt.ini (section "settings"), as opposed to the
// server and manager settings. Read once at start-up, written when changed and at shutdown.
#pragma once

#include <string>

namespace varnholt {

struct ProgramOptions {
  int AdminMessages = 1;
  int AutoRestart = 1;
  int GUISounds = 1;
  int ToolTips = 1;
  int AlwaysOnTop = 0;
  int ErrorLog = 1;
  int LogPlayerChat = 1;
  int KickBanDelay = 0;
  int ModeFilter = 31;
  int ModFilter = 65535;
  int HideWindow = 0;
  // Words put before the server on every launch ("wine" for the Windows server on Linux);
  // the one option that is text, not a number.
  std::string LaunchPrefix;
};

// Reads every key (a missing key or file gives the default; a non-number reads as 0).
bool ReadProgramOptions(const std::string& ini_path, ProgramOptions* options);
// Writes every key as "%i" in the fixed order; stops at the first key that cannot be written.
bool WriteProgramOptions(const std::string& ini_path, const ProgramOptions& options);

}  // namespace varnholt
