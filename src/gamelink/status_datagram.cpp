#include "gamelink/status_datagram.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/ascii_text.h"

namespace varnholt {
namespace {

// Walks a datagram; every read stays within it.
class DatagramReader {
 public:
  explicit DatagramReader(std::string_view data, size_t start) : data_(data), pos_(start) {}

  bool AtEnd() const { return pos_ >= data_.size(); }
  uint8_t Peek() const { return static_cast<uint8_t>(data_[pos_]); }
  void Skip(size_t n) { pos_ = std::min(data_.size(), pos_ + n); }

  // A zero-terminated word; one cut short by the end of the datagram is taken as it is.
  bool Word(std::string_view* word) {
    if (AtEnd()) return false;
    size_t zero = data_.find('\0', pos_);
    if (zero == std::string_view::npos) zero = data_.size();
    *word = data_.substr(pos_, zero - pos_);
    pos_ = std::min(data_.size(), zero + 1);
    return true;
  }

 private:
  std::string_view data_;
  size_t pos_;
};

// Appends one entry, sharing the backslash that ends the previous one.
class ReplyText {
 public:
  explicit ReplyText(std::string* text) : text_(text) { text_->clear(); }

  bool Add(std::string_view key, const char* index, std::string_view value) {
    size_t index_length = index == nullptr ? 0 : strlen(index);
    size_t needed = (text_->empty() ? 1 : 0) + key.size() + index_length + value.size() + 2;
    // The text and its terminating zero must fit in kMaxMsgSize.
    if (text_->size() + needed + 1 > kMaxMsgSize) return false;
    if (text_->empty()) text_->push_back('\\');
    AppendClean(key);
    if (index != nullptr) text_->append(index);
    text_->push_back('\\');
    AppendClean(value);
    text_->push_back('\\');
    return true;
  }

 private:
  void AppendClean(std::string_view s) {
    size_t start = text_->size();
    text_->append(s);
    std::replace(text_->begin() + static_cast<long>(start), text_->end(), '\\', '/');
  }

  std::string* text_;
};

// One players or teams section: a count, field names ended by an empty name, count rows.
bool ConvertSection(DatagramReader& reader, ReplyText& text) {
  if (reader.AtEnd()) return true;
  // The count is a signed byte in the game's reply: above 127 means no rows.
  int count = static_cast<int8_t>(reader.Peek());
  reader.Skip(1);
  if (count < 0) count = 0;
  std::string_view fields[256];
  size_t field_count = 0;
  std::string_view name;
  while (reader.Word(&name) && !name.empty()) {
    // More names than any reply has: the extra ones are read past and not used.
    if (field_count < std::size(fields)) fields[field_count++] = name;
  }
  for (int row = 0; row < count; ++row) {
    char index[12];
    snprintf(index, sizeof index, "%d", row);
    for (size_t f = 0; f < field_count; ++f) {
      std::string_view value;
      if (!reader.Word(&value)) return true;
      if (!text.Add(fields[f], index, value)) return false;
    }
  }
  return true;
}

}  // namespace

QuerySections QuerySectionsOf(std::string_view query_text) {
  QuerySections s;
  if (EqualsNoCase(query_text, "\\info\\")) {
    s.rules = true;
  } else if (EqualsNoCase(query_text, "\\players\\")) {
    s.players = s.teams = true;
  } else if (EqualsNoCase(query_text, "\\status\\")) {
    s.rules = s.players = s.teams = true;
  }
  return s;
}

StatusRequest BuildStatusRequest(const RequestId& id, const QuerySections& sections) {
  return {0xFE,
          0xFD,
          0x00,
          id[0],
          id[1],
          id[2],
          id[3],
          static_cast<uint8_t>(sections.rules ? 0xFF : 0),
          static_cast<uint8_t>(sections.players ? 0xFF : 0),
          static_cast<uint8_t>(sections.teams ? 0xFF : 0)};
}

bool ReplyMatches(std::string_view datagram, const RequestId& id) {
  if (datagram.size() < 5) return false;
  for (size_t i = 0; i < id.size(); ++i) {
    if (static_cast<uint8_t>(datagram[1 + i]) != id[i]) return false;
  }
  return true;
}

ConvertResult ConvertStatusDatagram(std::string_view datagram, const QuerySections& sections,
                                    std::string* text) {
  ReplyText reply(text);
  DatagramReader reader(datagram, 5);
  if (sections.rules) {
    // Pairs until the empty key; the next section starts two bytes after the last value
    // (the empty key and one pad byte).
    while (!reader.AtEnd() && reader.Peek() != 0) {
      std::string_view key, value;
      if (!reader.Word(&key) || !reader.Word(&value)) break;
      if (!reply.Add(key, nullptr, value)) return ConvertResult::kTooLong;
    }
  }
  if (sections.players) {
    reader.Skip(2);
    if (!ConvertSection(reader, reply)) return ConvertResult::kTooLong;
  }
  if (sections.teams) {
    reader.Skip(sections.players ? 1 : 2);
    if (!ConvertSection(reader, reply)) return ConvertResult::kTooLong;
  }
  return ConvertResult::kOk;
}

bool FindQueryValue(std::string_view reply, std::string_view key, std::string* value) {
  std::string pattern;
  pattern.reserve(key.size() + 2);
  pattern.append("\\").append(key).append("\\");
  size_t at = reply.find(pattern);
  if (at == std::string_view::npos) return false;
  std::string_view rest = reply.substr(at + pattern.size());
  size_t end = rest.find('\\');
  if (end != std::string_view::npos) rest = rest.substr(0, end);
  value->assign(rest.substr(0, kMaxQueryValue));
  return true;
}

}  // namespace varnholt
