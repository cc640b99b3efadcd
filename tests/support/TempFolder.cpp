#include "support/TempFolder.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <system_error>

#include "support/Files.h"

namespace pellix::support {

namespace fs = std::filesystem;

TempFolder::TempFolder(std::string_view prefix, fs::path base) {
    std::error_code ec;
    if (base.empty()) base = fs::temp_directory_path(ec);
    std::string name = (base / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(name.data())) return;
    parent_ = name;
    owner_ = ::getpid();
    Watch();
    if (fs::create_directory(parent_ / "work", ec)) work_ = parent_ / "work";
}

std::string TempFolder::Read(std::string_view name) const {
    return ReadFile(File(name));
}

void TempFolder::Write(std::string_view name, std::string_view content) const {
    WriteFile(File(name), content);
}

std::vector<std::string> TempFolder::StrayOutside() const {
    std::vector<std::string> stray;
    for (const fs::directory_entry& e : fs::directory_iterator(parent_))
        if (e.path() != work_) stray.push_back(e.path().filename().string());
    return stray;
}

std::vector<std::string> TempFolder::TempFiles() const {
    std::vector<std::string> temps;
    for (const fs::directory_entry& e : fs::directory_iterator(work_)) {
        std::string name = e.path().filename().string();
        if (name.starts_with(".")) temps.push_back(name);
    }
    return temps;
}

void TempFolder::Remove() {
    if (parent_.empty() || ::getpid() != owner_) return;  // a forked child's copy

    std::error_code ec;
    fs::permissions(parent_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(parent_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(parent_, ec);
    parent_.clear();
    work_.clear();
    if (watcher_ >= 0) {
        char done = 1;
        ssize_t written = ::write(watcher_, &done, 1);  // the watcher leaves
        static_cast<void>(written);
        ::close(watcher_);
    }
    watcher_ = -1;
}

// The watcher holds the read end of a pipe whose write end this process
// holds. A normal end writes one byte and the watcher just leaves; when the
// process ends in any other way the read sees the pipe's end and the watcher
// runs "rm -rf" on the folder. The watcher is a grandchild that leaves the
// session and the process group, so that neither a kill of the group nor the
// owner's end takes it along, and nobody has to wait for it. The owner goes
// on only once the watcher has left the group: a kill of the group right
// after would otherwise take it along too.
void TempFolder::Watch() {
    int ends[2], left[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return;
    if (::pipe2(left, O_CLOEXEC) != 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    const char* argv[] = {"rm", "-rf", "--", parent_.c_str(), nullptr};
    const long maxFd = ::sysconf(_SC_OPEN_MAX) > 0 ? ::sysconf(_SC_OPEN_MAX) : 1024;
    pid_t child = ::fork();
    if (child == 0) {  // only async-signal-safe calls from here on
        if (::fork() != 0) ::_exit(0);
        ::setsid();
        ::signal(SIGINT, SIG_IGN);
        ::signal(SIGTERM, SIG_IGN);
        ::signal(SIGHUP, SIG_IGN);
        char gone = 1;
        ssize_t told = ::write(left[1], &gone, 1);
        static_cast<void>(told);
        for (int fd = 0; fd < maxFd && fd < 65536; ++fd)
            if (fd != ends[0]) ::close(fd);
        ::open("/dev/null", O_RDONLY);  // 0, 1 and 2 for rm
        ::open("/dev/null", O_WRONLY);
        ::open("/dev/null", O_WRONLY);
        char byte;
        ssize_t n;
        do n = ::read(ends[0], &byte, 1);
        while (n < 0 && errno == EINTR);
        if (n == 0) ::execv("/bin/rm", const_cast<char* const*>(argv));
        ::_exit(0);
    }
    ::close(ends[0]);
    ::close(left[1]);
    if (child < 0) {
        ::close(ends[1]);
        ::close(left[0]);
        return;
    }
    int status;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    char gone;
    while (::read(left[0], &gone, 1) < 0 && errno == EINTR) {
    }
    ::close(left[0]);
    watcher_ = ends[1];
}

}  // namespace pellix::support
