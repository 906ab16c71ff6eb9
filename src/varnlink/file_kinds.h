// The files the service transfers, by the names `get` and `put` take.
#pragma once

#include <cstdint>
#include <string_view>

namespace varnholt::varnlink {

struct FileKind {
  const char* name;
  int get_request;  // request number n (code 0xBABE0000 + n)
  int put_request;  // -1 when the file can only be fetched
  // True when the server keeps an uploaded file byte for byte, so fetching it again shows
  // whether the upload was taken. Settings and users are filtered and merged instead.
  bool stored_as_sent;
};

// The row of a name; nullptr for an unknown one.
const FileKind* FindFileKind(std::string_view name);
// "settings, banlist, ..." for messages and help.
const char* FileKindNames();

}  // namespace varnholt::varnlink
