#include "state/LessonsCopy.h"

#include <system_error>

#include "state/Files.h"

namespace pellix {

namespace fs = std::filesystem;

std::optional<fs::path> RunningProgramFile() {
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return std::nullopt;
    return program;
}

std::optional<fs::path> InstalledLessonsPage(const fs::path& programFile) {
    const fs::path programDir = programFile.parent_path();
    const fs::path candidates[] = {
        programDir / ".." / "share" / "doc" / "pellix" / kLessonsPageFile,
        programDir / ".." / kLessonsPageFile,
        fs::path(PELLIX_INSTALLED_LESSONS_PAGE),
    };
    for (const fs::path& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal();
    }
    return std::nullopt;
}

std::string PlaceLessonsPage(const fs::path& folder, const fs::path& installed) {
    std::error_code ec;
    const fs::file_time_type installedTime = fs::last_write_time(installed, ec);
    if (ec) return "cannot read " + installed.string() + ": " + ec.message();
    const fs::path copy = folder / kLessonsPageFile;
    if (fs::exists(fs::symlink_status(copy, ec)) && !fs::is_regular_file(copy, ec))
        return copy.string() + " is not a file: the lessons are not placed there";
    const fs::file_time_type copyTime = fs::last_write_time(copy, ec);
    if (!ec && copyTime >= installedTime) return {};

    FileRead page = ReadWholeFile(installed);
    if (!page.data)
        return "cannot read " + installed.string() + ": " + std::string(Describe(page.error));
    if (FileError error = ReplaceFileAtomically(copy, *page.data).error; error != FileError::None)
        return "cannot write " + copy.string() + ": " + std::string(Describe(error));
    fs::last_write_time(copy, installedTime, ec);
    return {};
}

std::string LessonsPageUrl(const fs::path& folder, int task) {
    std::string path = fs::absolute(folder / kLessonsPageFile).lexically_normal().string();
    std::string url = "file://";
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : path) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    if (task > 0) url += "#task-" + std::to_string(task);
    return url;
}

}  // namespace pellix
