#include "state/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace pellix {

namespace {

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
        case FileError::Io:
            break;
    }
    return "I/O error";
}

FileRead ReadWholeFile(const std::filesystem::path& file) {
    // Non-blocking, so that a pipe or device in place of the file cannot
    // hang the router; anything but a regular file is refused.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {std::nullopt, FromErrno(errno)};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        FileError error = S_ISDIR(st.st_mode) ? FileError::IsDirectory : FileError::Io;
        ::close(fd);
        return {std::nullopt, error};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::string data;
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            FileError error = FromErrno(errno);
            ::close(fd);
            return {std::nullopt, error};
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {std::move(data), FileError::None};
}

FileError ReplaceFileAtomically(const std::filesystem::path& file, std::string_view data) {
    std::filesystem::path folder = file.parent_path();
    std::string temp = (folder / ("." + file.filename().string() + ".tmp-XXXXXX")).string();
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
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return FileError::None;
}

}  // namespace pellix
