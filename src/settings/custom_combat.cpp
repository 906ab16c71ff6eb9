#include "settings/custom_combat.h"

#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

// Far above any game-mode file; a larger one is not ours to copy.
constexpr size_t kCustomCombatMaxBytes = 4u * 1024u * 1024u;

}  // namespace

CustomCombatFiles::CustomCombatFiles(std::string game_folder, std::string working_folder)
    : game_folder_(std::move(game_folder)), working_folder_(std::move(working_folder)) {}

std::string CustomCombatFiles::ServerFilePath() const {
  return FindPathNoCase(game_folder_, kCustomCombatServerFile);
}

std::string CustomCombatFiles::WorkingCopyPath() const {
  return FindPathNoCase(working_folder_, kCustomCombatFile);
}

CustomCombatFiles::Time CustomCombatFiles::LastWriteTime(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return std::nullopt;
  return time;
}

bool CustomCombatFiles::CheckForChanges() {
  bool changed = false;
  for (auto [path, seen] :
       {std::pair{ServerFilePath(), &seen_server_}, std::pair{WorkingCopyPath(), &seen_working_}}) {
    Time now = LastWriteTime(path);
    if (now && now != *seen) changed = true;
    if (now) *seen = now;
  }
  return changed;
}

CustomCombatFiles::CopyResult CustomCombatFiles::CopyWorkingCopy() {
  std::string source = WorkingCopyPath();
  std::string target = ServerFilePath();
  Time source_time = LastWriteTime(source);
  if (!source_time) return CopyResult::kNoWorkingCopy;
  // The game may have written its file after the operator last edited the working copy;
  // that newer file is the one to keep.
  Time target_time = LastWriteTime(target);
  if (target_time && *target_time >= *source_time) return CopyResult::kServerFileNewer;
  std::string contents;
  if (!ReadWholeFile(source, &contents, kCustomCombatMaxBytes + 1)) return CopyResult::kFailed;
  if (contents.size() > kCustomCombatMaxBytes) {
    SetLastErrorCode(kErrorInvalidData);
    return CopyResult::kFailed;
  }
  size_t slash = target.rfind('/');
  if (slash != std::string::npos && slash > 0) CreateFolders(target.substr(0, slash));
  if (!WriteWholeFile(target, contents)) return CopyResult::kFailed;
  seen_server_ = LastWriteTime(target);
  return CopyResult::kCopied;
}

}  // namespace varnholt
