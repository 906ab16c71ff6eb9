// The notification codes: who each goes to and whether it carries a text, and the frame
// each becomes on the wire.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/notify_codes.h"

namespace varnholt {

enum class NotifyAudience {
  kAll,        // every connected client (some senders leave out the one who caused it)
  kRequester,  // the client whose request or Command it answers
  kTheClient,  // the client being disconnected
};

struct NotifyCodeInfo {
  uint32_t code;
  NotifyAudience audience;
  bool carries_text;
};

constexpr size_t kNotifyCodeCount = kNotifyLast - kNotifyFirst + 1;

const std::array<NotifyCodeInfo, kNotifyCodeCount>& NotifyCodeTable();
// The row of a code, or nullptr for a number that is no notification code.
const NotifyCodeInfo* FindNotifyCode(uint32_t code);

// The frame of a notification: the code, the length and, for codes that carry one, the
// text with its zero byte (an empty text is the zero byte alone). Codes without a text
// ignore `text` and go with length 0.
std::string NotificationFrame(uint32_t code, std::string_view text = {});

}  // namespace varnholt
