// A stand-in for Wine, so tests need no Wine: `wine PROGRAM ARGS` runs a loader program
// named "wine64-preloader" whose command line shows PROGRAM's Windows path ("Z:\...") first,
// as Wine's loader does. What the loader runs is any real program copied under that name
// (the sim for a server, tail for a decoy).
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace varnholt::testing {

// Installs `folder`/wine and `folder`/wine64-preloader (a copy of `loader_program`).
inline void InstallWineStandIn(const std::string& folder, const std::string& loader_program) {
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(loader_program, folder + "/wine64-preloader",
                             std::filesystem::copy_options::overwrite_existing);
  std::string script = folder + "/wine";
  std::ofstream(script, std::ios::binary)
      << "#!/bin/bash\n"
         "# Runs the loader with the program's Windows path in its place, as Wine shows it.\n"
         "program=$1\n"
         "shift\n"
         "case $program in /*) ;; *) program=$PWD/$program ;; esac\n"
         "exec -a \"Z:${program//\\//\\\\}\" \"$(dirname \"$0\")/wine64-preloader\" \"$@\"\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
}

// Starts the stand-in loader of `folder` directly, showing `shown_program` as the program it
// runs, with `args` for the loader program itself.
inline bool StartWineLoader(ChildProcess* child, const std::string& folder,
                            const std::string& shown_program, const std::vector<std::string>& args,
                            const std::string& working_folder) {
  std::string command = "exec -a \"$0\" \"$1\"/wine64-preloader \"${@:2}\"";
  std::vector<std::string> bash_args = {"-c", command, shown_program, folder};
  bash_args.insert(bash_args.end(), args.begin(), args.end());
  return child->Start("/bin/bash", bash_args, working_folder);
}

}  // namespace varnholt::testing
