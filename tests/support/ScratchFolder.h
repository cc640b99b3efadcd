// A folder of a test's or a fuzzer's own that is removed however the
// process ends: by its destructor on a normal end, and otherwise (killed at
// its time limit, a crash, a trap) by a small watcher process that waits for
// the owner to go and then removes the folder.
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace pellix::support {

class ScratchFolder {
  public:
    // Creates base/prefix-XXXXXX (base: the temporary folder when empty).
    explicit ScratchFolder(std::string_view prefix, std::filesystem::path base = {}) {
        if (base.empty()) base = std::filesystem::temp_directory_path();
        std::string name = (base / (std::string(prefix) + "-XXXXXX")).string();
        if (!::mkdtemp(name.data())) return;
        path_ = name;
        owner_ = ::getpid();
        Watch();
    }
    ~ScratchFolder() { Remove(); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when the folder could not be created.
    const std::filesystem::path& Path() const { return path_; }

    // Removes the folder now, making it writable first wherever a test took
    // that away.
    void Remove() {
        if (path_.empty() || ::getpid() != owner_) return;  // a forked child's copy

        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
        path_.clear();
        if (watcher_ >= 0) {
            char done = 1;
            ssize_t written = ::write(watcher_, &done, 1);  // the watcher leaves
            static_cast<void>(written);
            ::close(watcher_);
        }
        watcher_ = -1;
    }

  private:
    // The watcher holds the read end of a pipe whose write end this process
    // holds. A normal end writes one byte and the watcher just leaves; when
    // the process ends in any other way the read sees the pipe's end and the
    // watcher runs "rm -rf" on the folder. The watcher is a grandchild that
    // leaves the session and the process group, so that neither a kill of
    // the group nor the owner's end takes it along, and nobody has to wait
    // for it. The owner goes on only once the watcher has left the group: a
    // kill of the group right after would otherwise take it along too.
    void Watch() {
        int ends[2], left[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return;
        if (::pipe2(left, O_CLOEXEC) != 0) {
            ::close(ends[0]);
            ::close(ends[1]);
            return;
        }
        const char* argv[] = {"rm", "-rf", "--", path_.c_str(), nullptr};
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

    std::filesystem::path path_;
    pid_t owner_ = 0;
    int watcher_ = -1;
};

}  // namespace pellix::support
