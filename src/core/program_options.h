// The program's own preferences in Varnholt.ini (section "settings"), as opposed to the
// server and manager settings. Read once at start-up, written when changed and at shutdown.
#pragma once

#include <string>

namespace varnholt {

// The switches are stored as 0 or 1; the two filters are bit sets of the maps page.
struct ProgramOptions {
  bool AdminMessages = true;
  bool AutoRestart = true;
  bool GUISounds = true;
  bool ToolTips = true;
  bool AlwaysOnTop = false;
  bool ErrorLog = true;
  bool LogPlayerChat = true;
  bool KickBanDelay = false;
  int ModeFilter = 31;
  int ModFilter = 65535;
  bool HideWindow = false;
  // Words put before the server on every launch ("wine" for the Windows server on Linux);
  // the one option that is text, not a number.
  std::string LaunchPrefix;
};

// Reads every key (a missing key or file gives the default; a non-number reads as 0, and a
// switch is on for any number but 0).
bool ReadProgramOptions(const std::string& ini_path, ProgramOptions* options);
// Writes every key as "%i" in the fixed order; stops at the first key that cannot be written.
bool WriteProgramOptions(const std::string& ini_path, const ProgramOptions& options);

}  // namespace varnholt
