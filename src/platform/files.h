// File helpers. Game installations copied from Windows differ in the case of their file
// names, so game files are looked up case-insensitively. Files are replaced whole through a
// unique temporary file and an atomic rename, so a crash leaves the old or the new file,
// never a truncated one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

enum class EnsureMode { kCreateIfMissing = 1, kTruncate = 2 };

// Creates every missing folder on the path, then creates the file empty if missing
// (kCreateIfMissing) or always empties it (kTruncate), and makes it writable by its owner.
// Fails only when the file had to be created and could not be.
[[nodiscard]] bool EnsureFile(const std::string& path, EnsureMode mode);

// Creates the folder and every missing parent; true when it exists afterwards.
bool CreateFolders(const std::string& path);

// Joins two path pieces with one "/".
std::string JoinPath(std::string_view folder, std::string_view name);

// Resolves a path below `base` whose pieces may differ in case from what is on disk
// ("mods/AshFront/settings/x.con"). Each existing piece is replaced by its spelling on disk;
// pieces that do not exist are kept as given, so the result can also name a new file.
std::string FindPathNoCase(const std::string& base, std::string_view relative);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Size in bytes, or -1 when the file cannot be examined.
int64_t FileSize(const std::string& path);
// True when the folder exists and holds at least one entry other than "." and "..".
bool FolderHasEntries(const std::string& path);

// Reads the whole file; fails with the mapped errno. `max_bytes` bounds what is read.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string* contents,
                                 size_t max_bytes = 64u * 1024u * 1024u);

// Reads the last `max_bytes` bytes of the file (all of a shorter one).
[[nodiscard]] bool ReadFileTail(const std::string& path, size_t max_bytes, std::string* contents);

// Replaces the file with `contents` through a unique temporary file in the same folder,
// flushed and renamed over the target. On failure the old file is untouched.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::string_view contents);

// Appends bytes in one write; creates the file when missing.
bool AppendToFile(const std::string& path, std::string_view bytes);

bool RemoveFile(const std::string& path);

// Moves a file to a new name that must not exist yet; an existing target is never replaced
// (the move fails with 183).
[[nodiscard]] bool MoveFileNoReplace(const std::string& from, const std::string& to);

// True when the file can be opened for reading and writing; the last error says why not.
bool CanOpenForReadWrite(const std::string& path);

// Names of the entries of a folder (without "." and ".."); fails when it cannot be read.
[[nodiscard]] bool ListFolder(const std::string& path, std::vector<std::string>* names);

std::string CurrentFolder();

}  // namespace varnholt
