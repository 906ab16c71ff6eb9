// Text that compresses like a server's logs and lists do (repeated words, dates, addresses),
// reproducible from a fixed seed, for the transfer benchmarks.
#pragma once

#include <cstdio>
#include <random>
#include <string>

namespace varnholt::testing {

inline std::string MakeLogLikeText(size_t size) {
  std::mt19937 engine(42);
  auto gen = [&engine] { return static_cast<unsigned>(engine()); };
  static const char* const kWords[] = {"kicked", "banned", "joined", "left",   "scored", "chat",
                                       "ping",   "harbor", "ridge",  "GPM_CQ", "squad",  "medic"};
  std::string out;
  out.reserve(size + 200);
  char line[200];
  while (out.size() < size) {
    const unsigned r = gen();
    snprintf(line, sizeof line, "2026-12-%02u %02u:%02u:%02u Player%05u (10.%u.%u.%u) %s %s %u\n",
             1 + r % 28, r % 24, (r >> 5) % 60, (r >> 11) % 60, gen() % 40000u, gen() % 256u,
             gen() % 256u, gen() % 256u, kWords[gen() % 12], kWords[gen() % 12], gen() % 1000u);
    out += line;
  }
  out.resize(size);
  return out;
}

}  // namespace varnholt::testing
