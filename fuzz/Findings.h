// What every fuzzer shares: how a broken rule is reported, and where its
// working folders live.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace pellix::fuzz {

// Reports the broken rule on standard error and traps, which libFuzzer and
// the corpus runs report as a finding.
[[noreturn]] inline void Report(std::string_view fuzzer, std::string_view what) {
    std::fprintf(stderr, "%.*s: invariant broken: %.*s\n", static_cast<int>(fuzzer.size()),
                 fuzzer.data(), static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
    __builtin_trap();
}

// Where a fuzzer's folders go: $PELLIX_FUZZ_TMP when set, else tmpfs when
// there is one (the router flushes every save to the disk), else the
// system's temporary folder.
inline std::filesystem::path FolderBase() {
    if (const char* env = std::getenv("PELLIX_FUZZ_TMP")) return env;
    return std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                     : std::filesystem::temp_directory_path();
}

}  // namespace pellix::fuzz
