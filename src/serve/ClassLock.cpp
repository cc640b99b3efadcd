#include "serve/ClassLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace pellix::serve {

ClassLock::~ClassLock() {
    if (fd_ >= 0) close(fd_);
}

ClassLock::ClassLock(ClassLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

ClassLock& ClassLock::operator=(ClassLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::string ClassLock::Take(const std::filesystem::path& dir) {
    const std::filesystem::path file = dir / kLockFile;
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return "cannot open " + file.string() + ": " + std::strerror(errno);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            return "another pellix-serve serves this class folder (" + dir.string() +
                   "); stop it first or give another --dir";
        return "cannot lock " + file.string() + ": " + std::strerror(error);
    }
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
    return {};
}

}  // namespace pellix::serve
