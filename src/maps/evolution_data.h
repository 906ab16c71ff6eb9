// Reader of the evolution game-mode file (Evolution.wst, XML): which levels it names. Only
// the first "map_" element with attributes after each "maps" start tag is examined, and
// only its first attribute when that is "name". The file is parsed once and the names kept,
// so a catalogue build asks the set instead of parsing the file again for every level.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct XML_ParserStruct;

namespace varnholt {

inline constexpr size_t kEvolutionBlockSize = 1024;

struct EvolutionData {
  // Level names as written in the file.
  std::vector<std::string> levels;
  // Set when the XML was malformed; the names found before the error still count.
  bool parse_failed = false;
  std::string error_text;
  int error_line = 0;

  // True when the file names `level` (ignoring case).
  bool NamesLevel(std::string_view level) const;
};

// Incremental parser; feed the file block by block, the last block marked final.
class EvolutionParser {
 public:
  EvolutionParser();
  ~EvolutionParser();
  EvolutionParser(const EvolutionParser&) = delete;
  EvolutionParser& operator=(const EvolutionParser&) = delete;

  // False once the XML is malformed; later blocks are then ignored.
  bool Feed(const char* data, size_t size, bool final);
  // Moves the result out; call once, after the last Feed.
  EvolutionData Take();

 private:
  static void OnStartElement(void* self, const char* name, const char** attributes);

  ::XML_ParserStruct* parser_;
  bool inside_maps_ = false;
  EvolutionData data_;
};

// Parses text held in memory, fed in blocks of kEvolutionBlockSize bytes.
EvolutionData ParseEvolutionText(std::string_view xml);

// Reads and parses the file in blocks of kEvolutionBlockSize bytes. False (last error
// set, `data` empty) when the file cannot be opened or read.
bool ReadEvolutionFile(const std::string& path, EvolutionData* data);

}  // namespace varnholt
