// One server per class folder: a lock on DIR/.pellix-serve.lock, held while
// the server runs, so that a second server on the same folder refuses to
// start instead of sharing the learners' files.
#pragma once

#include <filesystem>
#include <string>

namespace pellix::serve {

inline constexpr char kLockFile[] = ".pellix-serve.lock";

class ClassLock {
  public:
    ClassLock() = default;
    ~ClassLock();
    ClassLock(ClassLock&& other) noexcept;
    ClassLock& operator=(ClassLock&& other) noexcept;
    ClassLock(const ClassLock&) = delete;
    ClassLock& operator=(const ClassLock&) = delete;

    // Locks the folder; returns why it cannot, or "".
    std::string Take(const std::filesystem::path& dir);

  private:
    int fd_ = -1;
};

}  // namespace pellix::serve
