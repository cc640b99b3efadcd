#include "state/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>

namespace pellix {

namespace {

constexpr std::string_view kTempMarker = ".tmp-";
constexpr std::string_view kTempUnique = "XXXXXX";  // filled in by mkostemp

// ".<name>.tmp-XXXXXX", beside the file it will replace.
std::string TemporaryName(const std::filesystem::path& file) {
    return "." + file.filename().string() + std::string(kTempMarker) + std::string(kTempUnique);
}

// Closes a descriptor on every way out of a read.
struct OpenFile {
    int fd;
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
};

FileError FromErrno(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return FileError::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return FileError::Denied;
        case EISDIR:
            return FileError::IsDirectory;
        default:
            return FileError::Io;
    }
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string_view Describe(FileError error) {
    switch (error) {
        case FileError::None:
            return "OK";
        case FileError::NotFound:
            return "No such file or directory";
        case FileError::Denied:
            return "Permission denied";
        case FileError::IsDirectory:
            return "Is a directory";
        case FileError::TooShort:
            return "Incomplete configuration file";
        case FileError::TooLarge:
            return "File too large";
        case FileError::Io:
            break;
    }
    return "I/O error";
}

FileRead ReadWholeFile(const std::filesystem::path& file) {
    // Non-blocking, so that a pipe or device in place of the file cannot
    // hang the router; anything but a regular file is refused.
    OpenFile in{::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (in.fd < 0) return {std::nullopt, FromErrno(errno)};
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {std::nullopt, S_ISDIR(st.st_mode) ? FileError::IsDirectory : FileError::Io};
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize)
        return {std::nullopt, FileError::TooLarge};
    ::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);
    std::string data;
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(in.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return {std::nullopt, FromErrno(errno)};
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > kMaxFileSize)  // grew while being read
            return {std::nullopt, FileError::TooLarge};
    }
    return {std::move(data), FileError::None};
}

FileError ReplaceFileAtomically(const std::filesystem::path& file, std::string_view data) {
    std::filesystem::path folder = file.parent_path();
    std::string temp = (folder / TemporaryName(file)).string();
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return FromErrno(errno);
    bool ok = ::fchmod(fd, 0644) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    int err = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return FromErrno(err);
    }
    // Make the rename itself durable.
    OpenFile dir{::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) ::fsync(dir.fd);
    return FileError::None;
}

void RemoveStaleTemporaries(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        std::size_t marker = name.rfind(kTempMarker);
        if (!name.starts_with('.') || marker == std::string::npos ||
            name.size() != marker + kTempMarker.size() + kTempUnique.size() ||
            !entry.is_regular_file(ec))
            continue;
        auto written = entry.last_write_time(ec);
        if (!ec && now - written > std::chrono::minutes(1)) fs::remove(entry.path(), ec);
    }
}

}  // namespace pellix
