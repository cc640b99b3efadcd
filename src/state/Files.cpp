#include "state/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>

namespace pellix {

namespace {

// ".pellix-" and eight random letters or digits: 16 characters, shorter than
// the longest name a folder can hold, so a temporary file can be made
// wherever the file itself can.
constexpr std::string_view kTempPrefix = ".pellix-";
constexpr std::size_t kTempRandom = 8;
constexpr std::string_view kTempAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string TemporaryName() {
    // One draw of the kernel's randomness a process (getentropy, as getrandom,
    // and also in the WebAssembly build's C library), stirred with a count for
    // each name: a save costs no call for it. Without getentropy the seed stays
    // zero, and O_EXCL still refuses a name that is taken.
    static const std::uint64_t seed = [] {
        std::uint64_t drawn = 0;
        if (::getentropy(&drawn, sizeof drawn) != 0) drawn = 0;
        return drawn;
    }();
    static std::atomic<std::uint64_t> names{0};
    // splitmix64: every count gives a different, well-mixed value.
    std::uint64_t mixed = seed + (names++ + 1) * 0x9e3779b97f4a7c15ULL;
    mixed = (mixed ^ (mixed >> 30)) * 0xbf58476d1ce4e5b9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94d049bb133111ebULL;
    mixed ^= mixed >> 31;
    std::string name(kTempPrefix);
    for (std::size_t k = 0; k < kTempRandom; ++k) {
        name += kTempAlphabet[mixed % kTempAlphabet.size()];
        mixed /= kTempAlphabet.size();
    }
    return name;
}

// Closes a descriptor on every way out.
struct OpenFile {
    int fd;
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
};

// The system's reasons the router tells apart; any other is an I/O error.
constexpr struct {
    int err;
    FileError error;
} kSystemReasons[] = {
    {ENOENT, FileError::NotFound},
    {ENOTDIR, FileError::NotFound},
    {EACCES, FileError::Denied},
    {EPERM, FileError::Denied},
    {EISDIR, FileError::IsDirectory},
    {ENOSPC, FileError::NoSpace},
    {EDQUOT, FileError::QuotaExceeded},
    {EROFS, FileError::ReadOnlyFileSystem},
    {ENAMETOOLONG, FileError::NameTooLong},
    {EFBIG, FileError::TooLarge},
};

// Each error in words, as the system says them.
constexpr struct {
    FileError error;
    std::string_view words;
} kWords[] = {
    {FileError::None, "OK"},
    {FileError::NotFound, "No such file or directory"},
    {FileError::Denied, "Permission denied"},
    {FileError::IsDirectory, "Is a directory"},
    {FileError::NoSpace, "No space left on device"},
    {FileError::QuotaExceeded, "Disk quota exceeded"},
    {FileError::ReadOnlyFileSystem, "Read-only file system"},
    {FileError::NameTooLong, "File name too long"},
    {FileError::Io, "I/O error"},
    {FileError::TooShort, "Incomplete configuration file"},
    {FileError::TooLarge, "File too large"},
};

FileError FromErrno(int err) {
    for (const auto& reason : kSystemReasons)
        if (reason.err == err) return reason.error;
    return FileError::Io;
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

// The folder a file lies in, opened for the *at calls and, where it may be
// read, for flushing the rename to disk.
int OpenFolder(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    const char* name = folder.empty() ? "." : folder.c_str();
    int fd = ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) fd = ::open(name, O_PATH | O_DIRECTORY | O_CLOEXEC);
    return fd;
}

// Creates a new temporary file in the folder with the mode a plain create
// gives (0666 less the umask and whatever default the folder imposes).
int CreateTemporary(int folder, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName();
        int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

std::string_view Describe(FileError error) {
    for (const auto& entry : kWords)
        if (entry.error == error) return entry.words;
    return "I/O error";
}

FileRead ReadWholeFile(const std::filesystem::path& file) {
    // Non-blocking, so that a pipe or device in place of the file cannot
    // hang the router; anything but a regular file is refused.
    OpenFile in{::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
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

FileWrite ReplaceFileAtomically(const std::filesystem::path& file, std::string_view data,
                                Durability durability) {
    OpenFile folder{OpenFolder(file)};
    if (folder.fd < 0) return {FromErrno(errno), false};
    const std::string name = file.filename().string();

    // The file in place decides the new file's mode, and whether the learner
    // may replace it at all: a file without write permission is refused as a
    // plain write to it would be.
    struct stat old {};
    bool replacing = ::fstatat(folder.fd, name.c_str(), &old, 0) == 0;
    if (!replacing && errno != ENOENT) return {FromErrno(errno), false};
    if (replacing && S_ISREG(old.st_mode) &&
        ::faccessat(folder.fd, name.c_str(), W_OK, AT_EACCESS) != 0)
        return {FromErrno(errno), false};

    std::string temp;
    OpenFile out{CreateTemporary(folder.fd, temp)};
    if (out.fd < 0) return {FromErrno(errno), false};

    int err = 0;
    if (data.size() > kMaxFileSize) {
        err = EFBIG;  // the reader would refuse it: write nothing at all
    } else {
        if (replacing && S_ISREG(old.st_mode)) {
            struct stat made {};
            bool sameMode = false;
            if (::fstat(out.fd, &made) == 0) {
                sameMode = (made.st_mode & 07777) == (old.st_mode & 07777);
                // The owner and group only where this process may set them
                // (root, or a group the learner belongs to); never an error.
                // A change of owner may clear set-id bits: the mode is then
                // set again.
                if (made.st_uid != old.st_uid || made.st_gid != old.st_gid) {
                    int ignored = ::fchown(out.fd, old.st_uid, old.st_gid);
                    static_cast<void>(ignored);
                    sameMode = false;
                }
            }
            if (!sameMode && ::fchmod(out.fd, old.st_mode & 07777) != 0) err = errno;
        }
        if (err == 0 && !WriteAll(out.fd, data)) err = errno;
        if (err == 0 && ::fsync(out.fd) != 0) err = errno;
    }
    int closed = ::close(out.fd);
    out.fd = -1;
    if (err == 0 && closed != 0) err = errno;
    if (err == 0 && ::renameat(folder.fd, temp.c_str(), folder.fd, name.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlinkat(folder.fd, temp.c_str(), 0);
        return {FromErrno(err), true};
    }
    // Makes the rename itself durable (fails harmlessly on O_PATH).
    if (durability == Durability::ContentAndName) ::fsync(folder.fd);
    return {FileError::None, true};
}

bool IsTemporaryName(std::string_view name) {
    if (!name.starts_with(kTempPrefix) || name.size() != kTempPrefix.size() + kTempRandom)
        return false;
    return name.substr(kTempPrefix.size()).find_first_not_of(kTempAlphabet) ==
           std::string_view::npos;
}

void RemoveStaleTemporaries(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        if (!IsTemporaryName(entry.path().filename().string()) || !entry.is_regular_file(ec))
            continue;
        auto written = entry.last_write_time(ec);
        if (!ec && now - written > std::chrono::minutes(1)) fs::remove(entry.path(), ec);
    }
}

}  // namespace pellix
