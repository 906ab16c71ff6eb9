// rfa-pack: builds level archives from files and folders, lists their directories and
// extracts single entries. Used to make demo and test installations.
//
//   rfa-pack create [--header] [--store] [--chunk-size N] ARCHIVE ENTRY...
//     Entries are LZO-chunked unless that would not make them smaller, or --store is given.
//     ENTRY is NAME=PATH (a file stored under NAME; a folder's files under NAME/relative)
//     or PATH (a file under its own path; a folder's files under their relative paths).
//   rfa-pack list ARCHIVE
//   rfa-pack extract ARCHIVE ENTRY OUTPUT
#include <lzo/lzoconf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "log/error_text.h"
#include "maps/archive_reader.h"
#include "maps/archive_writer.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "varnholt_version.h"

namespace fs = std::filesystem;
using namespace varnholt;

namespace {

constexpr const char* kUsage =
    "usage: rfa-pack create [--header] [--store] [--chunk-size N] ARCHIVE ENTRY...\n"
    "         ENTRY: NAME=PATH or PATH; a folder adds every file below it\n"
    "       rfa-pack list ARCHIVE\n"
    "       rfa-pack extract ARCHIVE ENTRY OUTPUT\n";

struct Input {
  std::string name;
  std::string path;
};

std::string JoinName(const std::string& prefix, const std::string& relative) {
  if (prefix.empty()) return relative;
  if (prefix.back() == '/') return prefix + relative;
  return prefix + "/" + relative;
}

// Expands one ENTRY into files; folders are walked in name order so archives are stable.
bool ExpandEntry(const std::string& entry, std::vector<Input>* inputs) {
  std::string name;
  std::string path = entry;
  const size_t eq = entry.find('=');
  const bool named = eq != std::string::npos;
  if (named) {
    name = entry.substr(0, eq);
    path = entry.substr(eq + 1);
  }
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    std::vector<std::string> relatives;
    for (auto it = fs::recursive_directory_iterator(path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file())
        relatives.push_back(fs::relative(it->path(), path).generic_string());
    }
    if (ec) {
      fprintf(stderr, "rfa-pack: cannot read folder %s: %s\n", path.c_str(), ec.message().c_str());
      return false;
    }
    std::sort(relatives.begin(), relatives.end());
    for (const std::string& r : relatives)
      inputs->push_back({JoinName(name, r), JoinPath(path, r)});
    return true;
  }
  if (!fs::is_regular_file(path, ec)) {
    fprintf(stderr, "rfa-pack: no such file or folder: %s\n", path.c_str());
    return false;
  }
  inputs->push_back({named ? name : fs::path(path).generic_string(), path});
  return true;
}

int Create(int argc, char** argv) {
  bool header = false;
  bool store = false;
  unsigned long chunk_size = kDefaultArchiveChunkSize;
  int i = 0;
  for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
    if (strcmp(argv[i], "--header") == 0) {
      header = true;
    } else if (strcmp(argv[i], "--store") == 0) {
      store = true;
    } else if (strcmp(argv[i], "--chunk-size") == 0 && i + 1 < argc) {
      chunk_size = strtoul(argv[++i], nullptr, 10);
    } else {
      fputs(kUsage, stderr);
      return 2;
    }
  }
  if (argc - i < 2) {
    fputs(kUsage, stderr);
    return 2;
  }
  const std::string archive = argv[i++];
  std::vector<Input> inputs;
  for (; i < argc; ++i) {
    if (!ExpandEntry(argv[i], &inputs)) return 1;
  }
  ArchiveWriter writer(header);
  for (const Input& in : inputs) {
    std::string content;
    if (!ReadWholeFile(in.path, &content, 1024u * 1024u * 1024u)) {
      fprintf(stderr, "rfa-pack: cannot read %s: %s\n", in.path.c_str(),
              ErrorText(GetLastErrorCode()));
      return 1;
    }
    if (in.name.size() > kMaxArchiveNameLength) {
      fprintf(stderr, "rfa-pack: entry name too long: %s\n", in.name.c_str());
      return 1;
    }
    if (store) {
      writer.AddStored(in.name, content);
    } else if (!writer.AddCompressed(in.name, content, static_cast<uint32_t>(chunk_size), true)) {
      fprintf(stderr, "rfa-pack: cannot compress %s (chunk size 1 to %u)\n", in.path.c_str(),
              kMaxChunkDecompressedLength);
      return 1;
    }
  }
  if (!writer.WriteTo(archive)) {
    fprintf(stderr, "rfa-pack: cannot write %s: %s\n", archive.c_str(),
            ErrorText(GetLastErrorCode()));
    return 1;
  }
  return 0;
}

int List(const std::string& archive) {
  FileArchiveSource source;
  if (!source.Open(archive)) {
    fprintf(stderr, "rfa-pack: cannot open %s: %s\n", archive.c_str(),
            ErrorText(GetLastErrorCode()));
    return 1;
  }
  const bool ok = WalkArchiveDirectory(source, [](const ArchiveEntry& e) {
    printf("%10u %10u %s %s\n", e.first_size, e.second_size, e.IsStored() ? "stored " : "chunked",
           e.name_too_long ? "(name too long)" : e.name.c_str());
    return true;
  });
  if (!ok) fprintf(stderr, "rfa-pack: %s has no readable directory\n", archive.c_str());
  return ok ? 0 : 1;
}

int Extract(const std::string& archive, const std::string& entry, const std::string& output) {
  const int result = ExtractArchiveEntry(archive, entry, output);
  if (result == kExtractWritten) return 0;
  if (result < 0) {
    fprintf(stderr, "rfa-pack: %s: chunk failed to decompress (%d)\n", entry.c_str(), result);
  } else {
    fprintf(stderr, "rfa-pack: cannot extract %s: %s\n", entry.c_str(),
            ErrorText(GetLastErrorCode()));
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (PrintVersionIfAsked("rfa-pack", argc, argv)) return 0;
  // Asked-for help goes to stdout and succeeds; a wrong command line is an error.
  if (argc == 2 && (strcmp(argv[1], "-?") == 0 || strcmp(argv[1], "-h") == 0 ||
                    strcmp(argv[1], "--help") == 0)) {
    fputs(kUsage, stdout);
    return 0;
  }
  if (lzo_init() != LZO_E_OK) {
    fputs("rfa-pack: compression library failed to initialise\n", stderr);
    return 1;
  }
  if (argc >= 2 && strcmp(argv[1], "create") == 0) return Create(argc - 2, argv + 2);
  if (argc == 3 && strcmp(argv[1], "list") == 0) return List(argv[2]);
  if (argc == 5 && strcmp(argv[1], "extract") == 0) return Extract(argv[2], argv[3], argv[4]);
  fputs(kUsage, stderr);
  return 2;
}
