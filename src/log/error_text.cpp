#include "log/error_text.h"

#include <cctype>
#include <cstdio>

#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr const char* kProgramTexts[] = {
    "Client and server are using different protocol versions.\nAlways use the same version of "
    "Varnholt and Varnlink.",
    "The server did not respond with a valid authentication code.\nEnsure you are using the "
    "correct IP and port address to connect with Varnholt.",
    "The specified username is invalid. Verify the username is correct and then try again.",
    "The specified password is invalid. Verify the password is correct and then try again.",
    "The specified user account is disabled. Ask your server administrator to enable the "
    "account.",
    "The user account exists but has not been granted any permissions. Ask your server "
    "administrator to add some permissions to the account.",
    "No user accounts exist. At least one user account must exist to connect with Varnholt.",
    "A client with this username is already connected and this account is not permitted to "
    "connect multiple times.",
    "The maximum number of connected clients has been reached.",
    "Varnlink couldn't synchronise with Varnholt.",
    "The Remote Console username and/or password is invalid.",
    "Varnlink couldn't authenticate with Varnholt.",
    "Varnholt could not identify the server's status port.",
    "Varnholt couldn't get settings from the server.",
    "Varnholt couldn't get a player list from the server.",
    "There are no maps available to play with the current mod/game mode.",
    "The keyhash is not 32 characters in length.",
    "The keyhash is not a valid hexadecimal number.",
};

thread_local char t_buffer[1024];

}  // namespace

const char* ErrorText(uint32_t code) {
  if (code == 0) {
    t_buffer[0] = '\0';
  } else if (code >= kErrorProtocolVersion && code <= kErrorKeyhashHex) {
    snprintf(t_buffer, sizeof t_buffer, "%s", kProgramTexts[code - kErrorProtocolVersion]);
  } else if (code <= 30000 && SystemErrorMessage(code) != nullptr) {
    snprintf(t_buffer, sizeof t_buffer, "%s (%u)", SystemErrorMessage(code), code);
  } else {
    snprintf(t_buffer, sizeof t_buffer, "An unknown error has occured. (%d)",
             static_cast<int>(code));
  }
  return t_buffer;
}

bool IsValidKeyhash(std::string_view text) {
  if (text.size() != 32) {
    SetLastErrorCode(kErrorKeyhashLength);
    return false;
  }
  for (char c : text) {
    if (!isxdigit(static_cast<unsigned char>(c))) {
      SetLastErrorCode(kErrorKeyhashHex);
      return false;
    }
  }
  return true;
}

}  // namespace varnholt
