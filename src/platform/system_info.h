// What the program says about the system it runs on.
#pragma once

#include <string>

namespace varnholt {

// Operating-system family codes; 4 and above count as the family that supports the
// "above normal" process priority. Linux always qualifies.
constexpr int kOsVersionLinux = 8;

// "Linux 6.1.0-18-amd64 (Debian GNU/Linux 12 (bookworm))": kernel and distribution.
// Fails only when the kernel refuses to report its version.
bool GetSystemVersionText(std::string* text, int* version_code);

// The user's profile folder: $USERPROFILE (set when a Windows-style environment is kept),
// else $HOME; empty when unknown.
std::string UserProfileFolder();

// The user's documents folder: $XDG_DOCUMENTS_DIR, else ~/Documents; empty when unknown.
std::string DocumentsFolder();

}  // namespace varnholt
