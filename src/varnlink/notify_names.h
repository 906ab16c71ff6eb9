// Notifications in words: a short stable name for scripts ("player-kicked") and a phrase for
// people ("player kicked by an administrator"), for every notification code.
#pragma once

#include <cstdint>

namespace varnholt::varnlink {

struct NotifyName {
  uint32_t code;
  const char* name;
  const char* phrase;
};

// The row of a code; nullptr for a number that is no notification code.
const NotifyName* FindNotifyName(uint32_t code);

}  // namespace varnholt::varnlink
