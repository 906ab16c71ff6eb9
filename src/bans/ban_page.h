// What the Bans page does with its fields and its menu, as operations the page calls on the
// user-interface thread: the checks of a ban typed by hand, the ban and unban Command texts
// built from the fields, and the confirmation texts of the clear and sync actions. The page
// itself (and its boxes and file dialogs) lives in the user interface.
#pragma once

#include <string>

#include "bans/ban_record.h"

namespace varnholt {

// The page's field lengths (characters kept).
constexpr int kBanPageNameLength = 31;
constexpr int kBanPageAddressLength = 15;
constexpr int kBanPageKeyhashLength = 32;
constexpr int kBanPageGuidLength = 32;
constexpr int kBanPageReasonLength = 62;

// What the operator typed; empty fields are "not known".
struct BanPageForm {
  std::string name;
  std::string address;
  std::string keyhash;
  std::string guid;
  std::string reason;
};

// The fields of a record as the page shows them when its row is selected.
BanPageForm BanPageFormOf(const BanRecord& record);

// A dotted IPv4 address: four decimal numbers 0-255 and nothing else.
bool IsDottedAddress(const std::string& text);

// Why a save is refused: the message the page logs with the error sound, or nullptr when
// the fields make a ban. The address is checked too: anything but a dotted address would
// end up in the server's ban files and console lines.
const char* CheckBanPageForm(const BanPageForm& form);

// The ban Command's text for the fields: not for a connected player (id -1), permanent,
// "[unknown]" for each empty identity and name, "unknown reason" for an empty reason.
std::string BanPageBanText(const BanPageForm& form);
// The unban Command's text for the fields, "[unknown]" for each empty one.
std::string BanPageUnbanText(const BanPageForm& form);

inline constexpr const char* kClearBansQuestion =
    "This action will remove all bans and clear the server banlists. Are you sure this is what "
    "you want to do?";
inline constexpr const char* kVerifyBansQuestion =
    "This action will verify the Varnholt and server banlists are synchronised.\nThis may take a "
    "moment to complete and may cause interruption to client activity if your banlists are "
    "large.\nAre you sure this is what you want to do?";
inline constexpr const char* kSyncToServerQuestion =
    "This action will erase the server banlist and export the Varnholt banlist to the server "
    "banlist.\nWARNING! This may cause information loss if your server banlist contains bans "
    "that are not listed in the Varnholt banlist.\nAre you sure this is what you want to do?";
inline constexpr const char* kSyncFromServerQuestion =
    "This action will erase the Varnholt banlist and import the server banlist to the Varnholt "
    "banlist.\nWARNING! This may cause information loss if your Varnholt banlist contains bans "
    "that are not listed in the server banlist.\nAre you sure this is what you want to do?";
inline constexpr const char* kImportBansQuestion =
    "This action will overwrite the current banlist in memory.\nAfter selecting a file click "
    "Save to make the loaded banlist permanent or click Refresh to return to the previous "
    "banlist.\nAre you sure this is what you want to do?";

inline constexpr const char* kBanListFileFilter = "Config Files (*.con)";
inline constexpr const char* kBanListFileName = "ServerBanList.con";
inline constexpr const char* kBanListExportTitle = "Select file for saved banlist";
inline constexpr const char* kBanListImportTitle = "Select banlist file to load";

}  // namespace varnholt
