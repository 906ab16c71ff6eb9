// Helpers shared by the maps tests: LZO streams made by the real library, and archive
// building in a temporary folder.
#pragma once

#include <lzo/lzo1x.h>

#include <string>
#include <vector>

#include "maps/archive_writer.h"

namespace varnholt::testing {

inline std::string LzoCompress(const std::string& data) {
  static const int init = lzo_init();
  (void)init;
  std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS);
  std::vector<unsigned char> out(data.size() + data.size() / 16 + 64 + 3);
  lzo_uint n = 0;
  lzo1x_1_compress(reinterpret_cast<const unsigned char*>(data.data()), data.size(), out.data(), &n,
                   work.data());
  return std::string(reinterpret_cast<char*>(out.data()), n);
}

// Bytes that compress well but are not one repeated character.
inline std::string PatternText(size_t size) {
  std::string s;
  s.reserve(size);
  for (size_t i = 0; s.size() < size; ++i) s += "level " + std::to_string(i % 97) + ";";
  s.resize(size);
  return s;
}

// Bytes that do not compress (a simple generator, fixed seed).
inline std::string NoiseBytes(size_t size, uint32_t seed = 12345) {
  std::string s(size, '\0');
  for (char& c : s) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 23);
  }
  return s;
}

inline std::string BuildArchive(const ArchiveWriter& writer) {
  std::string bytes;
  writer.Build(&bytes);
  return bytes;
}

}  // namespace varnholt::testing
