// The bytes of the status query: the 10-byte request, the check of a reply's identifier,
// and the conversion of a reply datagram into the backslash-delimited text the rest of the
// program reads (\key\value\key\value\ ... with player and team fields numbered by row).
// Pure functions; the reader never looks past the datagram it was given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnholt {

// Neither a received datagram nor the text made from it may exceed this.
constexpr size_t kMaxMsgSize = 32768;
constexpr size_t kStatusRequestSize = 10;
// The longest value GetQueryValue returns.
constexpr size_t kMaxQueryValue = 1023;

struct QuerySections {
  bool rules = false;
  bool players = false;
  bool teams = false;
};

// "\info\" asks for the rules, "\players\" for players and teams, "\status\" for all three
// (ignoring case); any other text for none.
QuerySections QuerySectionsOf(std::string_view query_text);

using RequestId = std::array<uint8_t, 4>;
using StatusRequest = std::array<uint8_t, kStatusRequestSize>;

StatusRequest BuildStatusRequest(const RequestId& id, const QuerySections& sections);

// True when bytes 1 to 4 of the datagram echo the request identifier.
bool ReplyMatches(std::string_view datagram, const RequestId& id);

enum class ConvertResult { kOk, kTooLong };

// Builds the reply text from a datagram: rules as \key\value\, then each player field as
// \FIELDn\value\ row by row, then the team fields the same way. Backslashes inside keys and
// values become "/", so a player's name cannot add keys to the text. Sections that are
// short or missing give fewer entries; kTooLong when the text (with its terminating zero)
// would exceed kMaxMsgSize.
ConvertResult ConvertStatusDatagram(std::string_view datagram, const QuerySections& sections,
                                    std::string* text);

// The value that follows the first "\key\" in the reply, up to the next backslash or the end
// (at most kMaxQueryValue characters). False when the key is not there.
bool FindQueryValue(std::string_view reply, std::string_view key, std::string* value);

}  // namespace varnholt
