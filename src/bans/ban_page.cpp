#include "bans/ban_page.h"

#include <cctype>

#include "bans/bans.h"
#include "log/error_text.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

// A field without the separator of the Command text it goes into, so that a name typed
// with one cannot shift the fields after it.
std::string Without(std::string text, char separator, char replacement) {
  for (char& c : text) {
    if (c == separator) c = replacement;
  }
  return text;
}

}  // namespace

BanPageForm BanPageFormOf(const BanRecord& record) {
  return BanPageForm{record.player, record.address, record.keyhash, record.guid, record.reason};
}

bool IsDottedAddress(const std::string& text) {
  int parts = 0;
  size_t i = 0;
  while (parts < 4) {
    int value = 0;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 4) {
      value = value * 10 + (text[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    ++parts;
    if (parts < 4) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
  }
  return i == text.size();
}

const char* CheckBanPageForm(const BanPageForm& form) {
  // Validation failures leave no error code behind, so no second reason is added.
  const char* refusal = nullptr;
  if (!form.address.empty() && !IsDottedAddress(form.address)) {
    refusal = "Couldn't save ban! IP address is not valid.";
  } else if (!form.keyhash.empty() && !IsValidKeyhash(form.keyhash)) {
    refusal = "Couldn't save ban! Keyhash is not valid.";
  } else if (!form.guid.empty() && !IsValidKeyhash(form.guid)) {
    refusal = "Couldn't save ban! GUID is not valid.";
  } else if (form.address.empty() && form.keyhash.empty() && form.guid.empty()) {
    refusal =
        "Couldn't save ban! You must specify at least one of IP address, keyhash or GUID to ban.";
  }
  ClearLastError();
  return refusal;
}

std::string BanPageBanText(const BanPageForm& form) {
  constexpr char kEnd = '\xFF';
  return BanText(-1, Without(form.name.substr(0, kBanPageNameLength), kEnd, ' '),
                 Without(form.address, kEnd, ' '), Without(form.keyhash, kEnd, ' '),
                 Without(form.guid, kEnd, ' '), 0,
                 Without(form.reason.substr(0, kBanPageReasonLength), kEnd, ' '));
}

std::string BanPageUnbanText(const BanPageForm& form) {
  return UnbanText(Without(form.name.substr(0, kBanPageNameLength), ',', ';'),
                   Without(form.address, ',', ';'), Without(form.keyhash, ',', ';'),
                   Without(form.guid, ',', ';'));
}

}  // namespace varnholt
