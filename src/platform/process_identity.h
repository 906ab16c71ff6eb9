// Which processes run a given program file. A process runs the file when its executable is
// that file, when it is the file's "#!" interpreter with the file as its script, or when it
// is Wine's loader with the file as its Windows program. A process that merely has the file
// among its arguments (a pager, an editor, "tail -f") never does.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace varnholt {

class ProgramIdentity {
 public:
  // Examines the file once (its identity and its "#!" line), so many processes can be
  // checked against it cheaply.
  explicit ProgramIdentity(std::string file);

  // True when the process runs the file.
  bool RunBy(pid_t pid) const;

 private:
  // True when `word` (relative to the process's working folder) is the file; a Windows name
  // also counts when it differs only in case.
  bool NamesFile(const std::string& word, const std::string& proc, bool windows_name) const;

  std::string file_;
  bool exists_ = false;
  struct stat file_stat_ {};
  // The "#!" interpreters that may run the file (none for a binary).
  std::vector<struct stat> interpreters_;
};

}  // namespace varnholt
