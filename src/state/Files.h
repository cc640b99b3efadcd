// The only place where the router touches the file system: whole-file reads
// and atomic whole-file replacement inside the working folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellix {

// TooShort: the file was read but holds less than its format needs.
enum class FileError { None, NotFound, Denied, IsDirectory, Io, TooShort };

// Why a file could not be used, in the router's words ("No such file or
// directory", ...), for the "%Error" lines.
std::string_view Describe(FileError error);

struct FileRead {
    std::optional<std::string> data;
    FileError error = FileError::None;
};

// Reads a whole regular file.
FileRead ReadWholeFile(const std::filesystem::path& file);

// Writes data to a temporary file in the same folder, flushes it to disk and
// renames it over the file, so the file always holds either its old or its new
// content. On failure the temporary file is removed and the old file kept.
FileError ReplaceFileAtomically(const std::filesystem::path& file, std::string_view data);

}  // namespace pellix
