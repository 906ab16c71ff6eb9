// Paths a user or a remote client names relative to a folder the program owns (the game
// folder): they must stay inside it, whatever the text says and whatever symbolic links lie
// on the way, so a setting can never make the program write elsewhere on the machine.
#pragma once

#include <string>
#include <string_view>

namespace varnholt {

// Resolves `relative` ("/" or "\" separated, pieces found ignoring case) below `folder`.
// False with 123 (invalid name) for an empty or absolute name, a drive letter or a ".."
// piece; false with 5 (access denied) when the file, or the nearest of its folders that
// exists, resolves through symbolic links to a place outside `folder`, or when the file is a
// link that leads nowhere (writing it would create its target).
bool ResolveConfinedPath(const std::string& folder, std::string_view relative, std::string* path);

}  // namespace varnholt
