#include "serve/ConnectionLoop.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace pellix::serve {

namespace {

// An output buffer kept for the next screen; a larger one is freed.
constexpr std::size_t kKeptCapacity = 16 * 1024;

}  // namespace

std::chrono::milliseconds WaitUntil(Clock::time_point wake) {
    if (wake == Clock::time_point::max()) return kLongestWait;
    return std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()) +
                          std::chrono::milliseconds(1),
                      std::chrono::milliseconds(0), kLongestWait);
}

void Consume(int eventFd) {
    std::uint64_t value = 0;
    [[maybe_unused]] auto got = read(eventFd, &value, sizeof value);
}

void Compact(std::string& out, std::size_t& sent) {
    if (sent == out.size()) {
        if (out.capacity() > kKeptCapacity)
            std::string().swap(out);
        else
            out.clear();
        sent = 0;
    } else if (sent > out.size() / 2) {
        out.erase(0, sent);
        sent = 0;
    }
}

}  // namespace pellix::serve
