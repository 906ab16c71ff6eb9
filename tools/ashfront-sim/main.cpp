// ashfront-sim: a substitute for the game's dedicated server, for building and testing the
// manager against the server's remote console and status query.
#include <cstdio>

#include "platform/files.h"
#include "sim_options.h"
#include "sim_server.h"
#include "varnholt_version.h"

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  using namespace varnholt;
  if (PrintVersionIfAsked("ashfront-sim", argc, argv)) return 0;
  sim::SimOptions options;
  std::string error;
  std::string folder = CurrentFolder();
  if (!sim::ParseSimArguments(argc, argv, JoinPath(folder, "ashfront-sim.options"), &options,
                              &error)) {
    fprintf(stderr, "%s\n%s", error.c_str(), sim::SimUsage());
    return 2;
  }
  if (options.help) {
    printf("%s", sim::SimUsage());
    return 0;
  }
  sim::SimServer server(options, folder);
  if (!server.Start()) return 1;
  return server.Run();
}
