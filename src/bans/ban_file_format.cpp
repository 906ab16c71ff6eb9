#include "bans/ban_file_format.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

namespace varnholt {
namespace {

// Splits like the classic tokenizer: each piece starts after the delimiters that directly
// follow the previous piece and runs to the next delimiter; empty pieces are skipped.
class Pieces {
 public:
  explicit Pieces(std::string_view text) : text_(text) {}
  bool Next(std::string_view delimiters, std::string_view* piece) {
    // Delimiter sets hold one or two characters; a direct test beats find_first_of's
    // per-character search of the set.
    auto is_delimiter = [delimiters](char c) {
      for (char d : delimiters) {
        if (c == d) return true;
      }
      return false;
    };
    size_t start = pos_;
    while (start < text_.size() && is_delimiter(text_[start])) ++start;
    if (start == text_.size()) {
      pos_ = start;
      return false;
    }
    size_t end = start;
    while (end < text_.size() && !is_delimiter(text_[end])) ++end;
    *piece = text_.substr(start, end - start);
    pos_ = end < text_.size() ? end + 1 : end;  // the delimiter that ended it is used up
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

std::string_view CutView(std::string_view text, size_t width) {
  return text.substr(0, width - 1);
}

std::string Cut(std::string_view text, size_t width) {
  return std::string(CutView(text, width));
}

// A field whose first character is `*` is empty.
std::string_view FieldView(std::string_view piece, size_t width) {
  if (!piece.empty() && piece[0] == '*') return {};
  return CutView(piece, width);
}

void AppendWritten(const std::string& value, size_t width, bool quoted, std::string* out) {
  std::string_view cut = CutView(value, width);
  const size_t before = out->size();
  for (char c : cut) {
    if (c == '\r' || c == '\n') continue;
    if (c == '"') c = '\'';
    if (c == ',' && !quoted) c = ';';
    out->push_back(c);
  }
  if (out->size() == before) out->push_back('*');
}

void AppendDecimal(int64_t value, std::string* out) {
  char text[24];
  int n = std::snprintf(text, sizeof text, "%" PRId64, value);
  out->append(text, static_cast<size_t>(n));
}

constexpr size_t kWidths[8] = {
    kBanPlayerWidth, kBanAddressWidth, kBanKeyhashWidth, kBanGuidWidth, kBanAdminWidth, 0, 0,
    kBanReasonWidth};

}  // namespace

void ForEachBanFileLine(std::string_view text, const std::function<void(std::string_view)>& line) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view whole = text.substr(pos, end - pos);
    if (whole.empty()) line(whole);
    for (size_t at = 0; at < whole.size(); at += kBanLinePiece) {
      line(whole.substr(at, kBanLinePiece));
    }
    pos = end + 1;
  }
}

std::string_view WithoutCarriageReturns(std::string_view text, std::string* storage) {
  if (text.find('\r') == std::string_view::npos) return text;
  storage->clear();
  storage->reserve(text.size());
  for (char c : text) {
    if (c != '\r') storage->push_back(c);
  }
  return *storage;
}

bool SplitBanLine(std::string_view line, std::string_view f[8]) {
  static constexpr std::string_view kDelimiters[8] = {"\"", ",", ",", ",", "\"", ",", ",", ",\n"};
  Pieces p(line);
  for (int i = 0; i < 8; ++i) {
    if (!p.Next(kDelimiters[i], &f[i])) return false;
  }
  f[0] = f[0] == "*" ? std::string_view() : CutView(f[0], kBanPlayerWidth);
  for (int i : {1, 2, 3, 4, 7}) f[i] = FieldView(f[i], kWidths[i]);
  return true;
}

bool ParseBanIdentities(std::string_view line, BanRecord* record) {
  Pieces p(line);
  std::string_view player, address, keyhash, guid;
  if (!p.Next("\"", &player) || !p.Next(",", &address) || !p.Next(",", &keyhash) ||
      !p.Next(",", &guid)) {
    return false;
  }
  record->player = player == "*" ? std::string() : Cut(player, kBanPlayerWidth);
  record->address = FieldView(address, kBanAddressWidth);
  record->keyhash = FieldView(keyhash, kBanKeyhashWidth);
  record->guid = FieldView(guid, kBanGuidWidth);
  return true;
}

bool ParseBanLine(std::string_view line, BanRecord* record) {
  std::string_view f[8];
  if (!SplitBanLine(line, f)) return false;
  record->player.assign(f[0]);
  record->address.assign(f[1]);
  record->keyhash.assign(f[2]);
  record->guid.assign(f[3]);
  record->admin.assign(f[4]);
  record->bantime = ParseBanTime(f[5]);
  record->expires = ParseBanTime(f[6]);
  record->reason.assign(f[7]);
  return true;
}

std::vector<BanRecord> ParseBanListText(std::string_view text) {
  std::vector<BanRecord> records;
  std::string storage;
  ForEachBanFileLine(WithoutCarriageReturns(text, &storage), [&records](std::string_view line) {
    BanRecord r;
    if (ParseBanLine(line, &r)) records.push_back(std::move(r));
  });
  return records;
}

void AppendBanLine(const BanRecord& r, std::string* out) {
  out->push_back('"');
  AppendWritten(r.player, kBanPlayerWidth, true, out);
  out->append("\",");
  AppendWritten(r.address, kBanAddressWidth, false, out);
  out->push_back(',');
  AppendWritten(r.keyhash, kBanKeyhashWidth, false, out);
  out->push_back(',');
  AppendWritten(r.guid, kBanGuidWidth, false, out);
  out->append(",\"");
  AppendWritten(r.admin, kBanAdminWidth, true, out);
  out->append("\",");
  AppendDecimal(r.bantime, out);
  out->push_back(',');
  AppendDecimal(r.expires, out);
  out->push_back(',');
  AppendWritten(r.reason, kBanReasonWidth, false, out);
  out->push_back('\n');
}

std::string FormatBanLine(const BanRecord& r) {
  std::string line;
  line.reserve(160);
  AppendBanLine(r, &line);
  return line;
}

std::vector<std::string_view> SplitCollapsing(std::string_view text, std::string_view delimiters) {
  std::vector<std::string_view> pieces;
  Pieces p(text);
  std::string_view piece;
  while (p.Next(delimiters, &piece)) pieces.push_back(piece);
  return pieces;
}

int64_t ParseBanTime(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    int digit = text[i] - '0';
    if (value > (kMax - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

}  // namespace varnholt
