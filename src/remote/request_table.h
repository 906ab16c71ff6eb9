// The requests a logged-in client may send: for each, the right it needs, what follows its
// code on the wire, and the check of a client's rights against it.
#pragma once

#include <array>
#include <cstdint>

#include "remote/access_rights.h"
#include "remote/frames.h"

namespace varnholt {

enum class RequestInput : uint8_t { kNone, kText, kFile };

// Who may send a request: every client with any right, administrators only, or a client
// holding any one of the bits of `bits`.
enum class RequestRule : uint8_t { kAny, kAdminOnly, kAnyOf };

struct RequestRow {
  RequestRule rule;
  AccessRights bits;
  RequestInput input;
  const char* name;
};

// Row n describes request kRequestBase + n.
extern const std::array<RequestRow, kRequestCount> kRequestTable;

// The row of a request code; nullptr outside the request range.
const RequestRow* FindRequest(uint32_t code);

// Whether a client with `rights` may send `code`: never with no rights, always as an
// administrator, otherwise as the table says.
bool RequestAllowed(AccessRights rights, uint32_t code);

}  // namespace varnholt
