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
    size_t start = text_.find_first_not_of(delimiters, pos_);
    if (start == std::string_view::npos) {
      pos_ = text_.size();
      return false;
    }
    size_t end = text_.find_first_of(delimiters, start);
    if (end == std::string_view::npos) end = text_.size();
    *piece = text_.substr(start, end - start);
    pos_ = end < text_.size() ? end + 1 : end;  // the delimiter that ended it is used up
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

std::string Cut(std::string_view text, size_t width) {
  return std::string(text.substr(0, width - 1));
}

// A field whose first character is `*` is empty.
std::string Field(std::string_view piece, size_t width) {
  if (!piece.empty() && piece[0] == '*') return std::string();
  return Cut(piece, width);
}

std::string Written(const std::string& value, size_t width, bool quoted) {
  std::string out = Cut(value, width);
  std::string clean;
  clean.reserve(out.size());
  for (char c : out) {
    if (c == '\r' || c == '\n') continue;
    if (c == '"') c = '\'';
    if (c == ',' && !quoted) c = ';';
    clean += c;
  }
  return clean.empty() ? std::string("*") : clean;
}

std::string Decimal(int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRId64, value);
  return text;
}

}  // namespace

void ForEachBanFileLine(std::string_view text, const std::function<void(std::string_view)>& line) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    size_t next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view whole =
        text.substr(pos, (end == std::string_view::npos ? text.size() : end) - pos);
    for (size_t at = 0; at < whole.size() || at == 0; at += kBanLinePiece) {
      std::string_view piece = whole.substr(at, kBanLinePiece);
      std::string clean;
      clean.reserve(piece.size());
      for (char c : piece) {
        if (c != '\r' && c != '\n') clean += c;
      }
      line(clean);
      if (whole.empty()) break;
    }
    pos = next;
  }
}

bool ParseBanIdentities(std::string_view line, BanRecord* record) {
  Pieces p(line);
  std::string_view player, address, keyhash, guid;
  if (!p.Next("\"", &player) || !p.Next(",", &address) || !p.Next(",", &keyhash) ||
      !p.Next(",", &guid)) {
    return false;
  }
  record->player = player == "*" ? std::string() : Cut(player, kBanPlayerWidth);
  record->address = Field(address, kBanAddressWidth);
  record->keyhash = Field(keyhash, kBanKeyhashWidth);
  record->guid = Field(guid, kBanGuidWidth);
  return true;
}

bool ParseBanLine(std::string_view line, BanRecord* record) {
  Pieces p(line);
  std::string_view f[8];
  static constexpr std::string_view kDelimiters[8] = {"\"", ",", ",", ",", "\"", ",", ",", ",\n"};
  for (int i = 0; i < 8; ++i) {
    if (!p.Next(kDelimiters[i], &f[i])) return false;
  }
  record->player = f[0] == "*" ? std::string() : Cut(f[0], kBanPlayerWidth);
  record->address = Field(f[1], kBanAddressWidth);
  record->keyhash = Field(f[2], kBanKeyhashWidth);
  record->guid = Field(f[3], kBanGuidWidth);
  record->admin = Field(f[4], kBanAdminWidth);
  record->bantime = ParseBanTime(f[5]);
  record->expires = ParseBanTime(f[6]);
  record->reason = Field(f[7], kBanReasonWidth);
  return true;
}

std::vector<BanRecord> ParseBanListText(std::string_view text) {
  std::vector<BanRecord> records;
  ForEachBanFileLine(text, [&records](std::string_view line) {
    BanRecord r;
    if (ParseBanLine(line, &r)) records.push_back(std::move(r));
  });
  return records;
}

std::string FormatBanLine(const BanRecord& r) {
  std::string line;
  line.reserve(160);
  line += '"';
  line += Written(r.player, kBanPlayerWidth, true);
  line += "\",";
  line += Written(r.address, kBanAddressWidth, false);
  line += ',';
  line += Written(r.keyhash, kBanKeyhashWidth, false);
  line += ',';
  line += Written(r.guid, kBanGuidWidth, false);
  line += ",\"";
  line += Written(r.admin, kBanAdminWidth, true);
  line += "\",";
  line += Decimal(r.bantime);
  line += ',';
  line += Decimal(r.expires);
  line += ',';
  line += Written(r.reason, kBanReasonWidth, false);
  line += '\n';
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
