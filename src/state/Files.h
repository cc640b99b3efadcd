// The only place where the router touches the file system: whole-file reads
// and atomic whole-file replacement inside the working folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellix {

// TooShort: the file was read but holds less than its format needs.
// TooLarge: the file is larger than any file of the router's can be.
enum class FileError { None, NotFound, Denied, IsDirectory, Io, TooShort, TooLarge };

// No configuration or score file the router reads comes near this size; a
// larger one is refused rather than read into memory.
inline constexpr std::uintmax_t kMaxFileSize = 64u << 20;

// Why a file could not be used, in the router's words ("No such file or
// directory", ...), for the "%Error" lines.
std::string_view Describe(FileError error);

struct FileRead {
    std::optional<std::string> data;
    FileError error = FileError::None;
};

// Reads a whole regular file of at most kMaxFileSize bytes.
FileRead ReadWholeFile(const std::filesystem::path& file);

// Writes data to a temporary file in the same folder, flushes it to disk and
// renames it over the file, so the file always holds either its old or its new
// content. On failure the temporary file is removed and the old file kept.
FileError ReplaceFileAtomically(const std::filesystem::path& file, std::string_view data);

// Removes the temporary files that a program killed in the middle of a save
// left in the folder. Only files older than a minute are removed, so that a
// save under way in another run is not disturbed.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

}  // namespace pellix
