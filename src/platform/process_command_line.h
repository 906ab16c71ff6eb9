// What a process's command line and a script's "#!" line say is being run. Pure text work on
// what /proc and the file hold; any local user controls both, so every piece is bounded by
// the text it came from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// The words of a command line as /proc shows it: separated (and usually ended) by NULs.
std::vector<std::string> CommandLineWords(std::string_view cmdline);

// The words of a "#!" line at the start of `head` (interpreter first), or none when `head`
// does not start with "#!". Only the first line counts.
std::vector<std::string> InterpreterLineWords(std::string_view head);

// The script an interpreter runs: the kernel starts "interpreter [its option] script args",
// so it is the first word after the interpreter's options. "" when there is none. Anything
// later ("sh -c 'cat file'") is never it.
std::string ScriptWord(const std::vector<std::string>& words);

// The Windows program a Wine loader runs, as a Unix path ("" when it is on another drive or
// missing). Wine shows the program first ("Z:\games\server.exe +args"); before it rewrites
// its command line the loaders come first ("wine64-preloader wine64 server.exe").
std::string WineProgramPath(const std::vector<std::string>& words);

// True for the file names Wine's loader goes by ("wine", "wine64", "wine-preloader", ...).
bool IsWineLoaderName(std::string_view name);

// The Unix path a Wine path stands for: "Z:\games\x.exe" is "/games/x.exe" (Wine maps drive Z:
// to the root). Unix paths are returned unchanged; other drives give "".
std::string UnixPathOfWinePath(std::string_view path);

// The last piece of a path.
std::string_view BaseName(std::string_view path);

// Removes "." and ".." pieces and doubled slashes, without looking at the disk.
std::string NormalPath(std::string_view path);

}  // namespace varnholt
