#include "serve/LearnerArchive.h"

#include <archive.h>
#include <archive_entry.h>

#include <chrono>
#include <memory>

#include "serve/LearnerPin.h"
#include "state/Files.h"

namespace pellix::serve {

namespace {

using Archive = std::unique_ptr<archive, decltype(&archive_write_free)>;
using Entry = std::unique_ptr<archive_entry, decltype(&archive_entry_free)>;

la_ssize_t Append(archive*, void* out, const void* data, std::size_t size) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
    return static_cast<la_ssize_t>(size);
}

std::time_t ModifiedSeconds(const std::filesystem::path& file) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(file, ec);
    if (ec) return 0;
    return std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(written)));
}

// Adds one file as FOLDER/NAME; false with the reason when it cannot.
bool AddFile(archive* zip, const std::filesystem::path& file, const std::string& inside,
             std::string& error) {
    const FileRead read = ReadWholeFile(file);
    if (!read.data) {
        error = file.filename().string() + ": " + std::string(Describe(read.error));
        return false;
    }
    Entry entry(archive_entry_new(), &archive_entry_free);
    archive_entry_set_pathname(entry.get(), inside.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(read.data->size()));
    archive_entry_set_mtime(entry.get(), ModifiedSeconds(file), 0);
    if (archive_write_header(zip, entry.get()) != ARCHIVE_OK ||
        archive_write_data(zip, read.data->data(), read.data->size()) < 0) {
        error = archive_error_string(zip) ? archive_error_string(zip) : "cannot write the archive";
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> LearnerArchive(const std::filesystem::path& folder, std::string& error) {
    std::string out;
    Archive zip(archive_write_new(), &archive_write_free);
    if (!zip || archive_write_set_format_zip(zip.get()) != ARCHIVE_OK ||
        archive_write_open(zip.get(), &out, nullptr, Append, nullptr) != ARCHIVE_OK) {
        error = "cannot make an archive";
        return std::nullopt;
    }
    const std::string name = folder.filename().string();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = it->path().filename().string();
        std::error_code typeEc;
        // The PIN's hash is the learner's secret, not their work.
        if (file.starts_with(".") || file == kPinFileName || it->is_symlink(typeEc) ||
            !it->is_regular_file(typeEc))
            continue;
        if (!AddFile(zip.get(), it->path(), name + "/" + file, error)) return std::nullopt;
    }
    if (ec) {
        error = "cannot read the folder " + name + ": " + ec.message();
        return std::nullopt;
    }
    if (archive_write_close(zip.get()) != ARCHIVE_OK) {
        error = "cannot finish the archive";
        return std::nullopt;
    }
    return out;
}

}  // namespace pellix::serve
