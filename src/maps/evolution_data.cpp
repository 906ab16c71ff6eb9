#include "maps/evolution_data.h"

#include <expat.h>

#include <algorithm>
#include <cstring>

#include "platform/ascii_text.h"
#include "platform/file_io.h"

namespace varnholt {

bool EvolutionData::NamesLevel(std::string_view level) const {
  for (const std::string& name : levels) {
    if (EqualsNoCase(name, level)) {
      return true;
    }
  }
  return false;
}

EvolutionParser::EvolutionParser() : parser_(XML_ParserCreate(nullptr)) {
  if (parser_ != nullptr) {
    XML_SetUserData(parser_, this);
    XML_SetStartElementHandler(parser_, &EvolutionParser::OnStartElement);
  }
}

EvolutionParser::~EvolutionParser() {
  if (parser_ != nullptr) XML_ParserFree(parser_);
}

void EvolutionParser::OnStartElement(void* self, const char* name, const char** attributes) {
  auto* p = static_cast<EvolutionParser*>(self);
  if (strcmp(name, "maps") == 0) {
    p->inside_maps_ = true;
    return;
  }
  if (!p->inside_maps_ || !EqualsNoCase(name, "map_") || attributes[0] == nullptr) return;
  p->inside_maps_ = false;
  if (strcmp(attributes[0], "name") == 0) p->data_.levels.emplace_back(attributes[1]);
}

bool EvolutionParser::Feed(const char* data, size_t size, bool final) {
  if (data_.parse_failed) return false;
  if (parser_ == nullptr) {
    data_.parse_failed = true;
    data_.error_text = XML_ErrorString(XML_ERROR_NO_MEMORY);
    return false;
  }
  if (XML_Parse(parser_, data, static_cast<int>(size), final ? 1 : 0) != XML_STATUS_ERROR) {
    return true;
  }
  data_.parse_failed = true;
  const char* text = XML_ErrorString(XML_GetErrorCode(parser_));
  data_.error_text = text != nullptr ? text : "";
  data_.error_line = static_cast<int>(XML_GetCurrentLineNumber(parser_));
  return false;
}

EvolutionData EvolutionParser::Take() {
  return std::move(data_);
}

EvolutionData ParseEvolutionText(std::string_view xml) {
  EvolutionParser parser;
  size_t at = 0;
  for (;;) {
    const size_t n = std::min(kEvolutionBlockSize, xml.size() - at);
    const bool final = n < kEvolutionBlockSize;
    if (!parser.Feed(xml.data() + at, n, final) || final) break;
    at += n;
  }
  return parser.Take();
}

bool ReadEvolutionFile(const std::string& path, EvolutionData* data) {
  *data = EvolutionData();
  ReadOnlyFile file;
  if (!file.Open(path)) return false;
  EvolutionParser parser;
  char block[kEvolutionBlockSize];
  for (;;) {
    // Each block is filled completely unless the file ends, so only the last one is short.
    size_t n = 0;
    if (!file.Read(block, sizeof block, &n)) return false;
    const bool final = n < sizeof block;
    if (!parser.Feed(block, n, final) || final) break;
  }
  *data = parser.Take();
  return true;
}

}  // namespace varnholt
