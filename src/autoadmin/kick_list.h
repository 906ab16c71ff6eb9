// KickList.con: one line per automatic kick, holding the offender's key (his keyhash on an
// Internet server, his address on a LAN server). Counting the lines of a key decides whether
// his next offence is a kick or a ban. Lines are only ever appended.
//
// Threads: worker thread only.
#pragma once

#include <string>
#include <string_view>

#include "log/event_log.h"

namespace varnholt {

// Largest KickList.con read; a longer file is counted on its first part.
constexpr size_t kMaxKickListBytes = 16u * 1024u * 1024u;

// True when this offence, counted with the earlier ones of `key`, reaches `ban_value`: it is
// then a ban and is not recorded. Otherwise the kick is recorded and false returned. An
// unknown key ("[unknown]", empty, or one that is not a single line) is never banned and
// never recorded. File errors are logged and make the offence a kick.
bool KickListReached(const std::string& path, std::string_view key, int ban_value, EventLog& log);

}  // namespace varnholt
