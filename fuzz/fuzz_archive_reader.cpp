// Feeds arbitrary bytes to the level archive reader as an archive held in memory: the
// directory walk, the game-type scan, and the extraction of the first few entries found.
#include <lzo/lzoconf.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "maps/archive_reader.h"

namespace {

// Counts bytes and refuses more than a few megabytes, so inputs whose chunk tables point
// at the same bytes over and over cannot make one run slow.
class CountingSink final : public varnholt::ByteSink {
 public:
  bool Write(const void*, size_t size) override {
    written_ += size;
    return written_ <= 4u * 1024u * 1024u;
  }

 private:
  size_t written_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  lzo_init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  varnholt::MemoryArchiveSource source(bytes);
  varnholt::GameTypesInDirectory(source);

  std::vector<std::string> names;
  varnholt::WalkArchiveDirectory(source, [&names](const varnholt::ArchiveEntry& e) {
    if (!e.name_too_long) names.push_back(e.name);
    return names.size() < 8;
  });
  for (const std::string& name : names) {
    varnholt::ArchiveEntry entry;
    if (!varnholt::FindArchiveEntry(source, name, &entry)) __builtin_trap();
    CountingSink sink;
    const int result = varnholt::ExtractEntry(source, entry, sink);
    if (result > varnholt::kExtractWritten) __builtin_trap();
  }
  return 0;
}
