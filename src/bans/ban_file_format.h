// The text form of ServerBanList.con: one record per line,
//   "player",address,keyhash,guid,"admin",bantime,expires,reason
// with `*` for an empty field. Reading splits each line the way the file has always been
// read (runs of a delimiter collapse, so empty fields must be written as `*`); writing makes
// every field readable by those rules: a double quote becomes ', a comma in a bare field
// becomes ; and line breaks are dropped. Pure text functions, safe on any input.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bans/ban_record.h"

namespace varnholt {

// Lines are read in pieces of at most this many characters; a longer line goes on as the
// next piece.
constexpr size_t kBanLinePiece = 1023;

// Calls `line` for every line piece of `text` (line feeds removed; carriage returns must
// be gone already, see WithoutCarriageReturns). The pieces are views into `text`.
void ForEachBanFileLine(std::string_view text, const std::function<void(std::string_view)>& line);
// `text` without carriage returns: itself when it has none, else a copy kept in `storage`.
std::string_view WithoutCarriageReturns(std::string_view text, std::string* storage);

// The eight fields of a line as views into it, `*` fields already empty; false when the
// line lacks one.
bool SplitBanLine(std::string_view line, std::string_view fields[8]);

// The first four fields (player to guid) of a line; false when the line lacks them.
bool ParseBanIdentities(std::string_view line, BanRecord* record);
// All eight fields; false when the line lacks one (the line is then skipped).
bool ParseBanLine(std::string_view line, BanRecord* record);
// Every readable line of a file's text, in order.
std::vector<BanRecord> ParseBanListText(std::string_view text);

// The record's line, with its line feed; fields cut to their widths.
std::string FormatBanLine(const BanRecord& record);
void AppendBanLine(const BanRecord& record, std::string* out);

// Splits like the classic tokenizer: runs of delimiters collapse, empty pieces are skipped.
std::vector<std::string_view> SplitCollapsing(std::string_view text, std::string_view delimiters);

// Reads a decimal time; text that is not a number (or does not fit) reads as 0.
int64_t ParseBanTime(std::string_view text);

}  // namespace varnholt
