#include "platform/process_identity.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/process_command_line.h"

namespace varnholt {
namespace {

// The kernel reads no more of a "#!" line than this.
constexpr size_t kInterpreterLineMax = 256;
// Enough of a command line for the few words that are looked at.
constexpr size_t kCommandLineMax = 16384;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Up to `max` bytes from the start of a file; "" when it cannot be read.
std::string ReadHead(const std::string& path, size_t max) {
  std::string text;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  text.resize(max);
  size_t got = 0;
  while (got < max) {
    ssize_t n = read(fd, text.data() + got, max - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  text.resize(got);
  return text;
}

std::string ReadLink(const std::string& path) {
  char buf[4096];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// A program named without a folder, looked up in PATH the way "env" does.
bool StatOnPath(const std::string& name, struct stat* st) {
  if (name.find('/') != std::string::npos) return stat(name.c_str(), st) == 0;
  const char* path = getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string candidate = JoinPath(folders.substr(start, end - start), name);
    if (end > start && stat(candidate.c_str(), st) == 0 && S_ISREG(st->st_mode)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

ProgramIdentity::ProgramIdentity(std::string file) : file_(std::move(file)) {
  exists_ = stat(file_.c_str(), &file_stat_) == 0;
  if (!exists_) return;
  std::vector<std::string> words = InterpreterLineWords(ReadHead(file_, kInterpreterLineMax));
  if (words.empty()) return;
  struct stat st {};
  if (stat(words[0].c_str(), &st) == 0) interpreters_.push_back(st);
  // "#!/usr/bin/env NAME": the process that runs the script is NAME, found on PATH.
  if (BaseName(words[0]) == "env") {
    for (size_t i = 1; i < words.size(); ++i) {
      if (words[i][0] == '-' || words[i].find('=') != std::string::npos) continue;
      if (StatOnPath(words[i], &st)) interpreters_.push_back(st);
      break;
    }
  }
}

bool ProgramIdentity::RunBy(pid_t pid) const {
  if (!exists_ || pid <= 0) return false;
  std::string proc = "/proc/" + std::to_string(pid);
  struct stat exe {};
  if (stat((proc + "/exe").c_str(), &exe) != 0) return false;
  if (SameFile(exe, file_stat_)) return true;
  // The command line is read only for the few processes that could run the file.
  for (const struct stat& interpreter : interpreters_) {
    if (!SameFile(exe, interpreter)) continue;
    std::string script = ScriptWord(CommandLineWords(ReadHead(proc + "/cmdline", kCommandLineMax)));
    return !script.empty() && NamesFile(script, proc, false);
  }
  if (IsWineLoaderName(BaseName(ReadLink(proc + "/exe")))) {
    std::string program =
        WineProgramPath(CommandLineWords(ReadHead(proc + "/cmdline", kCommandLineMax)));
    return !program.empty() && NamesFile(program, proc, true);
  }
  return false;
}

bool ProgramIdentity::NamesFile(const std::string& word, const std::string& proc,
                                bool windows_name) const {
  std::string path = word[0] == '/' ? word : JoinPath(ReadLink(proc + "/cwd"), word);
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return SameFile(st, file_stat_);
  // Windows programs are named ignoring case; Wine finds "ASHFRONT_W32DED.EXE" as well.
  return windows_name && EqualsNoCase(NormalPath(path), NormalPath(file_));
}

}  // namespace varnholt
