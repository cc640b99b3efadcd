// The only place where the router touches the file system: whole-file reads
// and atomic whole-file replacement inside the working folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellix {

// Why a file could not be used. TooShort: the file was read but holds less
// than its format needs. TooLarge: the file is, or would become, larger than
// any file of the router's can be.
enum class FileError {
    None,
    NotFound,
    Denied,
    IsDirectory,
    NoSpace,
    QuotaExceeded,
    ReadOnlyFileSystem,
    NameTooLong,
    Io,
    TooShort,
    TooLarge,
};

// The one size limit of the router's files: the reader refuses a larger file
// rather than read it into memory, and the writer refuses to write one.
inline constexpr std::uintmax_t kMaxFileSize = 64u << 20;

// Why a file could not be used, in the system's own words ("No such file or
// directory", "No space left on device", ...), for the "%Error" lines.
std::string_view Describe(FileError error);

struct FileRead {
    std::optional<std::string> data;
    FileError error = FileError::None;
};

// Reads a whole regular file of at most kMaxFileSize bytes.
FileRead ReadWholeFile(const std::filesystem::path& file);

struct FileWrite {
    FileError error = FileError::None;
    // Whether the new file was created at all (in the atomic scheme, its
    // temporary file): the router reports "Building Configuration..." only
    // once it has opened the file it writes.
    bool opened = false;
};

// Replaces the file's content as a whole: writes data to a temporary file in
// the same folder, flushes it to disk and renames it over the file, so the
// file always holds either its old or its new content; on failure the
// temporary file is removed and the old file kept. It never replaces a file
// that the learner may not write (the save fails with Denied, as a plain
// write would) and never writes more than kMaxFileSize bytes (TooLarge). A
// replaced file keeps its mode (and owner, where the process may set it); a
// new one gets 0666 less the umask, as a plain create gives.
//
// The new content is synced to the disk before the rename, so that a crash
// or power loss never leaves a torn or empty file. ContentAndName also syncs
// the folder after the rename, so that after a power loss the file is the
// new one rather than the old one; the score file, rewritten at every prompt,
// goes without it (a killed process loses nothing either way).
enum class Durability { Content, ContentAndName };
FileWrite ReplaceFileAtomically(const std::filesystem::path& file, std::string_view data,
                                Durability durability = Durability::ContentAndName);

// Whether a name in the folder is one of the temporary files of
// ReplaceFileAtomically: "." followed by a fixed-length name, so that it fits
// wherever the file's own name fits.
bool IsTemporaryName(std::string_view name);

// Removes the temporary files that a program killed in the middle of a save
// left in the folder. Only files older than a minute are removed, so that a
// save under way in another run is not disturbed.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

}  // namespace pellix
