#include "program/program_requests.h"

#include <vector>

#include "platform/files.h"
#include "platform/last_error.h"
#include "program/program.h"
#include "settings/setting_def.h"

namespace varnholt {

bool ProgramRequests::WriteSettingsForClient(const std::string& path, AccessRights rights) {
  return program_.Files().SaveSettingsFile(path, rights & kAllPages);
}

bool ProgramRequests::TakeSettingsFromClient(const std::string& path,
                                             const ClientIdentity& client) {
  const SettingsUser user{client.user, client.address,
                          (client.rights & kRightCriticalSettings) != 0};
  SettingsFiles& files = program_.Files();
  if (!files.LoadSettingsFile(path, client.rights & kAllPages, user, true)) return false;
  const std::string folder = program_.SettingsFolder();
  if (!files.SaveSettingsFile(JoinPath(folder, kManagerSettingsFile), kAllPages)) return false;
  if (program_.Supervision().ServerRunning()) {
    if (program_.Link().ConsoleConnected()) program_.Live().ApplySettingsToServer();
  } else {
    program_.Settings().TakeSnapshot();
  }
  (void)files.WriteServerAutoexecFile(JoinPath(folder, kServerAutoexecFile));
  program_.Store().RefreshPages();
  return true;
}

bool ProgramRequests::PunkBusterEnabled() {
  return program_.Supervision().PunkBusterEnabled();
}

bool ProgramRequests::BuildModList(const std::string& path) {
  return program_.Catalog().BuildModList(path);
}

bool ProgramRequests::BuildMapList(const std::string& path) {
  return program_.Catalog().BuildMapList(path);
}

void ProgramRequests::ReloadMapPage(bool reset_filters) {
  MapRotation& rotation = program_.Rotation();
  if (reset_filters) {
    rotation.SetModeFilter(kAllModes);
    rotation.SetModFilter(kAllMods);
  }
  rotation.LoadMapRotation(rotation.ServerMapListPath(), program_.Supervision().ServerRunning());
}

bool ProgramRequests::IsKnownLevel(const std::string& level_spec) {
  // Three words with single blanks: map, mode id, mod.
  std::vector<std::string> words;
  size_t start = 0;
  while (start <= level_spec.size()) {
    const size_t blank = level_spec.find(' ', start);
    const size_t end = blank == std::string::npos ? level_spec.size() : blank;
    words.push_back(level_spec.substr(start, end - start));
    start = end + 1;
  }
  if (words.size() != 3 || level_spec.size() > kMaxLevelSpecLength) return false;
  for (const std::string& word : words) {
    if (word.empty()) return false;
  }
  return program_.Rotation().IsValidLevel(words[0], words[1], words[2]);
}

bool ProgramRequests::LoadSchedule(const std::string& path) {
  Schedule& schedule = program_.EventSchedule();
  if (schedule.LoadSchedule(path)) return true;
  // The upload replaced the file already: put the schedule still in force back, so the next
  // start does not stumble over what was refused.
  const uint32_t err = GetLastErrorCode();
  (void)schedule.SaveSchedule(path);
  SetLastErrorCode(err);
  return false;
}

bool ProgramRequests::WritePlayerListFile(const std::string& path) {
  return program_.Stats().WritePlayerListFile(path);
}

bool ProgramRequests::GetServerStatusString(std::string* text) {
  return program_.Summary().GetServerStatusString(text);
}

bool ProgramRequests::LoadBanList(const std::string& path) {
  return program_.BanRecords().LoadBanList(path);
}

void ProgramRequests::ReloadBannedWords() {
  program_.AutoAdministration().LoadBannedWords();
}

bool ProgramRequests::ServerRunning() {
  return program_.Supervision().ServerRunning();
}

bool ProgramRequests::StartServer() {
  program_.Supervision().ResetRestartCount();
  return program_.Supervision().StartServer();
}

bool ProgramRequests::StopServer() {
  return program_.Supervision().StopServer();
}

bool ProgramRequests::ServerInternet() {
  return program_.Settings().GetBool("game.serverInternet");
}

}  // namespace varnholt
