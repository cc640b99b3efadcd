// A working folder of a test's, a fuzzer's or a benchmark's own, inside a
// parent folder of its own (so that anything written next to the working
// folder shows), removed however the process ends: by the destructor on a
// normal end, and otherwise (killed at its time limit, a crash, a trap) by a
// small watcher process that waits for the owner to go and then removes the
// parent folder.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellix::support {

class TempFolder {
  public:
    // Creates base/prefix-XXXXXX/work (base: the system's temporary folder
    // when empty). Path() is empty when the folders could not be created.
    explicit TempFolder(std::string_view prefix = "pellix-test", std::filesystem::path base = {});
    ~TempFolder() { Remove(); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The working folder, and the parent folder that holds only it.
    const std::filesystem::path& Path() const { return work_; }
    const std::filesystem::path& Parent() const { return parent_; }
    std::filesystem::path File(std::string_view name) const { return work_ / name; }

    // A file of the working folder, read whole ("" when it cannot be read)
    // or written whole.
    std::string Read(std::string_view name) const;
    void Write(std::string_view name, std::string_view content) const;

    // Every name in the parent folder other than the working folder.
    std::vector<std::string> StrayOutside() const;
    // Names in the working folder that begin with "." (the temporary files
    // of the router's atomic writes).
    std::vector<std::string> TempFiles() const;

    // Removes the folders now, making them writable first wherever a test
    // took that away.
    void Remove();

  private:
    void Watch();

    std::filesystem::path parent_;
    std::filesystem::path work_;
    pid_t owner_ = 0;
    int watcher_ = -1;
};

}  // namespace pellix::support
