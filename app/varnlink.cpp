// varnlink: administer a Varnholt-managed server from a shell, a script or a cron job.
#include <clocale>
#include <csignal>
#include <string>
#include <vector>

#include "varnholt_version.h"
#include "varnlink/client.h"

int main(int argc, char** argv) {
  using namespace varnholt;
  if (PrintVersionIfAsked("varnlink", argc, argv)) return 0;
  // Times for people follow the user's locale; numbers stay in the C locale.
  setlocale(LC_TIME, "");
  // A server that goes away mid-send is an error to report, not a reason to die.
  signal(SIGPIPE, SIG_IGN);
  varnlink::Output out;
  return varnlink::RunClient(std::vector<std::string>(argv + 1, argv + argc), out);
}
